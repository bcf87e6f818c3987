// CIMDataType: CIM type descriptors, their names, and conversion of values between them.
#include "OW_config.h"
#include "OW_CIMDataType.hpp"
#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_Char16.hpp"
#include "OW_CIMClass.hpp"
#include "OW_CIMDateTime.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMValue.hpp"
#include "OW_CIMValueCast.hpp"
#include "OW_String.hpp"
#include "CIMImpl.hpp"

#include <cmath>
#include <limits>
#include <string>
#include <type_traits>
#include <vector>

namespace OpenWBEM
{

namespace
{

// Lower-case CIM names of the intrinsic types, indexed by CIMDataType::Type.
const char* const kTypeNames[] = {
    "NULL",   "uint8",    "sint8",  "uint16", "sint16",        "uint32",
    "sint32", "uint64",   "sint64", "string", "boolean",       "real32",
    "real64", "datetime", "char16", "REF",    "embeddedclass", "embeddedinstance",
};
const size_t kTypeNameCount = sizeof(kTypeNames) / sizeof(kTypeNames[0]);

const Int32 kScalarSize = -1;
const Int32 kUnlimitedArraySize = 0;

// A scalar descriptor of one of the intrinsic types, shared. Every property and value makes
// such descriptors, and one allocation each adds up over a large enumeration. The table holds a
// reference of its own that it never gives back, so a shared block is never freed, and a write
// (which only ever changes the size) clones it first as for any shared block.
template <class Block> Block* sharedScalar(CIMDataType::Type type)
{
    static Block* const* const table = []
    {
        static Block* blocks[kTypeNameCount];
        for (size_t i = 0; i < kTypeNameCount; ++i)
        {
            blocks[i] = new Block(CIMDataType::Type(i), kScalarSize, String());
        }
        return blocks;
    }();
    if (size_t(type) >= kTypeNameCount)
    {
        return new Block(type, kScalarSize, String());
    }
    return cimimpl::share(table[type]);
}

} // end anonymous namespace

struct CIMDataType::DTData : public cimimpl::Shared
{
    DTData(Type t, Int32 sz, const String& ref) : type(t), size(sz), refClassName(ref) {}

    Type type;
    // kScalarSize for a scalar, kUnlimitedArraySize or the fixed element count for an array.
    Int32 size;
    String refClassName;
};

CIMDataType::CIMDataType() : m_pdata(sharedScalar<DTData>(CIMNULL)) {}

CIMDataType::CIMDataType(CIMNULL_t) : m_pdata(nullptr) {}

CIMDataType::CIMDataType(Type type) : m_pdata(sharedScalar<DTData>(type)) {}

CIMDataType::CIMDataType(Type type, Int32 size)
    : m_pdata(new DTData(type, size < 0 ? kUnlimitedArraySize : size, String()))
{
}

CIMDataType::CIMDataType(const String& refClassName)
    : m_pdata(new DTData(REFERENCE, kScalarSize, refClassName))
{
}

CIMDataType::CIMDataType(const CIMDataType& arg) : CIMBase(), m_pdata(cimimpl::share(arg.m_pdata))
{
}

CIMDataType::~CIMDataType()
{
    cimimpl::release(m_pdata);
}

CIMDataType& CIMDataType::operator=(const CIMDataType& arg)
{
    cimimpl::assign(m_pdata, arg.m_pdata);
    return *this;
}

void CIMDataType::setNull()
{
    cimimpl::release(m_pdata);
}

CIMDataType::Type CIMDataType::getType() const
{
    return OW_CIM_READ(m_pdata).type;
}

bool CIMDataType::isArrayType() const
{
    return OW_CIM_READ(m_pdata).size != kScalarSize;
}

bool CIMDataType::isNumericType() const
{
    return isNumericType(getType());
}

bool CIMDataType::isNumericType(Type type)
{
    switch (type)
    {
    case UINT8:
    case SINT8:
    case UINT16:
    case SINT16:
    case UINT32:
    case SINT32:
    case UINT64:
    case SINT64:
    case REAL32:
    case REAL64:
        return true;
    default:
        return false;
    }
}

bool CIMDataType::isReferenceType() const
{
    return getType() == REFERENCE;
}

Int32 CIMDataType::getSize() const
{
    return OW_CIM_READ(m_pdata).size;
}

bool CIMDataType::setToArrayType(Int32 size)
{
    OW_CIM_WRITE(m_pdata).size = size < 0 ? kUnlimitedArraySize : size;
    return true;
}

String CIMDataType::getRefClassName() const
{
    return OW_CIM_READ(m_pdata).refClassName;
}

bool CIMDataType::syncWithValue(const CIMValue& value)
{
    if (!value)
    {
        return false;
    }
    const CIMDataType from = value.getCIMDataType();
    if (m_pdata && equals(from))
    {
        return false;
    }
    *this = from;
    return true;
}

bool CIMDataType::equals(const CIMDataType& arg) const
{
    if (!m_pdata || !arg.m_pdata)
    {
        return !m_pdata && !arg.m_pdata;
    }
    const DTData& a = *m_pdata;
    const DTData& b = *arg.m_pdata;
    return a.type == b.type && a.size == b.size && a.refClassName.equalsIgnoreCase(b.refClassName);
}

String CIMDataType::toString() const
{
    const Type t = getType();
    return String(size_t(t) < kTypeNameCount ? kTypeNames[t] : "INVALID");
}

String CIMDataType::toMOF() const
{
    const DTData& d = OW_CIM_READ(m_pdata);
    if (d.type == REFERENCE && !d.refClassName.empty())
    {
        return d.refClassName + " REF";
    }
    return toString();
}

CIMDataType::Type CIMDataType::strToSimpleType(const String& strType)
{
    for (size_t t = UINT8; t <= CHAR16; ++t)
    {
        if (strType.equalsIgnoreCase(kTypeNames[t]))
        {
            return Type(t);
        }
    }
    return INVALID;
}

CIMDataType CIMDataType::getDataType(const String& strType)
{
    const Type t = strToSimpleType(strType);
    return t == INVALID ? CIMDataType(OpenWBEM::CIMNULL) : CIMDataType(t);
}

// ---- value conversion ----

namespace
{

[[noreturn]] void throwCast(const CIMValue& value, const CIMDataType& to, const char* why)
{
    const std::string msg =
        "Cannot convert " + cimimpl::str(value.getCIMDataType().toString()) +
        (value.isArray() ? " array" : "") + " value \"" + cimimpl::str(value.toString()) +
        "\" to " + cimimpl::str(to.toString()) + (to.isArrayType() ? " array" : "") + ": " + why;
    OW_THROW(ValueCastException, msg.c_str());
}

// A numeric value widened without loss: exactly one of the members is meaningful.
struct Wide
{
    enum Kind
    {
        UNSIGNED,
        SIGNED,
        REAL
    } kind;
    UInt64 u;
    Int64 s;
    Real64 r;
};

Wide widen(const CIMValue& v)
{
    Wide w = {Wide::UNSIGNED, 0, 0, 0.0};
    switch (v.getType())
    {
    case CIMDataType::UINT8:
        w.u = v.toUInt8();
        break;
    case CIMDataType::UINT16:
        w.u = v.toUInt16();
        break;
    case CIMDataType::UINT32:
        w.u = v.toUInt32();
        break;
    case CIMDataType::UINT64:
        w.u = v.toUInt64();
        break;
    case CIMDataType::SINT8:
        w.kind = Wide::SIGNED;
        w.s = v.toInt8();
        break;
    case CIMDataType::SINT16:
        w.kind = Wide::SIGNED;
        w.s = v.toInt16();
        break;
    case CIMDataType::SINT32:
        w.kind = Wide::SIGNED;
        w.s = v.toInt32();
        break;
    case CIMDataType::SINT64:
        w.kind = Wide::SIGNED;
        w.s = v.toInt64();
        break;
    case CIMDataType::REAL32:
        w.kind = Wide::REAL;
        w.r = v.toReal32();
        break;
    default:
        w.kind = Wide::REAL;
        w.r = v.toReal64();
        break;
    }
    return w;
}

// Stores w into out when the number is exactly representable there.
template <class T> bool narrow(const Wide& w, T& out)
{
    typedef std::numeric_limits<T> L;
    if constexpr (std::is_floating_point<T>::value)
    {
        const Real64 r = w.kind == Wide::REAL     ? w.r
                         : w.kind == Wide::SIGNED ? Real64(w.s)
                                                  : Real64(w.u);
        if (std::isfinite(r) && std::fabs(r) > Real64(L::max()))
        {
            return false;
        }
        out = T(r);
        return true;
    }
    else
    {
        if (w.kind == Wide::REAL)
        {
            // Only whole numbers inside the range of T; 2^63 and up would not fit Int64.
            if (!std::isfinite(w.r) || std::trunc(w.r) != w.r || w.r < Real64(L::min()) ||
                w.r >= 2.0 * (Real64(L::max() / 2 + 1)))
            {
                return false;
            }
            out = T(w.r);
            return true;
        }
        if (w.kind == Wide::SIGNED)
        {
            if (w.s < 0)
            {
                if (!L::is_signed || w.s < Int64(L::min()))
                {
                    return false;
                }
                out = T(w.s);
                return true;
            }
            return narrow<T>(Wide{Wide::UNSIGNED, UInt64(w.s), 0, 0.0}, out);
        }
        if (w.u > UInt64(L::max()))
        {
            return false;
        }
        out = T(w.u);
        return true;
    }
}

template <class T> CIMValue numberAs(const CIMValue& v, const CIMDataType& to)
{
    T out = T();
    if (!narrow(widen(v), out))
    {
        throwCast(v, to, "out of range");
    }
    return CIMValue(out);
}

template <class T, class Parse> CIMValue parsed(const CIMValue& v, const CIMDataType& to, Parse p)
{
    try
    {
        return CIMValue(p(v.toString()));
    }
    catch (const ValueCastException&)
    {
        throw;
    }
    catch (const Exception& e)
    {
        throwCast(v, to, e.getMessage());
    }
}

CIMValue fromText(const CIMValue& v, const CIMDataType& to)
{
    typedef const String& S;
    switch (to.getType())
    {
    case CIMDataType::UINT8:
        return parsed<UInt8>(v, to, [](S s) { return s.toUInt8(); });
    case CIMDataType::SINT8:
        return parsed<Int8>(v, to, [](S s) { return s.toInt8(); });
    case CIMDataType::UINT16:
        return parsed<UInt16>(v, to, [](S s) { return s.toUInt16(); });
    case CIMDataType::SINT16:
        return parsed<Int16>(v, to, [](S s) { return s.toInt16(); });
    case CIMDataType::UINT32:
        return parsed<UInt32>(v, to, [](S s) { return s.toUInt32(); });
    case CIMDataType::SINT32:
        return parsed<Int32>(v, to, [](S s) { return s.toInt32(); });
    case CIMDataType::UINT64:
        return parsed<UInt64>(v, to, [](S s) { return s.toUInt64(); });
    case CIMDataType::SINT64:
        return parsed<Int64>(v, to, [](S s) { return s.toInt64(); });
    case CIMDataType::REAL32:
        return parsed<Real32>(v, to, [](S s) { return s.toReal32(); });
    case CIMDataType::REAL64:
        return parsed<Real64>(v, to, [](S s) { return s.toReal64(); });
    case CIMDataType::BOOLEAN:
        return parsed<Bool>(v, to, [](S s) { return Bool(s.toBool()); });
    case CIMDataType::CHAR16:
        if (v.toString().empty())
        {
            throwCast(v, to, "no character");
        }
        return CIMValue(Char16(v.toString()));
    case CIMDataType::DATETIME:
        return parsed<CIMDateTime>(v, to, [](S s) { return CIMDateTime(s); });
    case CIMDataType::REFERENCE:
        return parsed<CIMObjectPath>(v, to, [](S s) { return CIMObjectPath::parse(s); });
    default:
        throwCast(v, to, "no conversion from text");
    }
}

CIMValue castScalar(const CIMValue& v, const CIMDataType& to)
{
    if (to.getType() == CIMDataType::STRING)
    {
        return CIMValue(v.toString());
    }
    if (v.getType() == CIMDataType::STRING)
    {
        return fromText(v, to);
    }
    if (!v.isNumericType() || !to.isNumericType())
    {
        throwCast(v, to, "incompatible types");
    }
    switch (to.getType())
    {
    case CIMDataType::UINT8:
        return numberAs<UInt8>(v, to);
    case CIMDataType::SINT8:
        return numberAs<Int8>(v, to);
    case CIMDataType::UINT16:
        return numberAs<UInt16>(v, to);
    case CIMDataType::SINT16:
        return numberAs<Int16>(v, to);
    case CIMDataType::UINT32:
        return numberAs<UInt32>(v, to);
    case CIMDataType::SINT32:
        return numberAs<Int32>(v, to);
    case CIMDataType::UINT64:
        return numberAs<UInt64>(v, to);
    case CIMDataType::SINT64:
        return numberAs<Int64>(v, to);
    case CIMDataType::REAL32:
        return numberAs<Real32>(v, to);
    default:
        return numberAs<Real64>(v, to);
    }
}

template <class A> std::vector<CIMValue> elements(const A& a)
{
    std::vector<CIMValue> out;
    out.reserve(a.size());
    for (typename A::const_iterator it = a.begin(); it != a.end(); ++it)
    {
        out.push_back(CIMValue(*it));
    }
    return out;
}

std::vector<CIMValue> elementsOf(const CIMValue& v)
{
    switch (v.getType())
    {
    case CIMDataType::UINT8:
        return elements(v.toUInt8Array());
    case CIMDataType::SINT8:
        return elements(v.toInt8Array());
    case CIMDataType::UINT16:
        return elements(v.toUInt16Array());
    case CIMDataType::SINT16:
        return elements(v.toInt16Array());
    case CIMDataType::UINT32:
        return elements(v.toUInt32Array());
    case CIMDataType::SINT32:
        return elements(v.toInt32Array());
    case CIMDataType::UINT64:
        return elements(v.toUInt64Array());
    case CIMDataType::SINT64:
        return elements(v.toInt64Array());
    case CIMDataType::REAL32:
        return elements(v.toReal32Array());
    case CIMDataType::REAL64:
        return elements(v.toReal64Array());
    case CIMDataType::BOOLEAN:
        return elements(v.toBoolArray());
    case CIMDataType::CHAR16:
        return elements(v.toChar16Array());
    case CIMDataType::STRING:
        return elements(v.toStringArray());
    case CIMDataType::DATETIME:
        return elements(v.toCIMDateTimeArray());
    case CIMDataType::REFERENCE:
        return elements(v.toCIMObjectPathArray());
    case CIMDataType::EMBEDDEDCLASS:
        return elements(v.toCIMClassArray());
    default:
        return elements(v.toCIMInstanceArray());
    }
}

template <class A> CIMValue collect(const std::vector<CIMValue>& elems)
{
    A out;
    out.reserve(elems.size());
    for (size_t i = 0; i < elems.size(); ++i)
    {
        typename A::value_type x = typename A::value_type();
        elems[i].get(x);
        out.push_back(x);
    }
    return CIMValue(out);
}

CIMValue arrayOf(CIMDataType::Type t, const std::vector<CIMValue>& elems)
{
    switch (t)
    {
    case CIMDataType::UINT8:
        return collect<UInt8Array>(elems);
    case CIMDataType::SINT8:
        return collect<Int8Array>(elems);
    case CIMDataType::UINT16:
        return collect<UInt16Array>(elems);
    case CIMDataType::SINT16:
        return collect<Int16Array>(elems);
    case CIMDataType::UINT32:
        return collect<UInt32Array>(elems);
    case CIMDataType::SINT32:
        return collect<Int32Array>(elems);
    case CIMDataType::UINT64:
        return collect<UInt64Array>(elems);
    case CIMDataType::SINT64:
        return collect<Int64Array>(elems);
    case CIMDataType::REAL32:
        return collect<Real32Array>(elems);
    case CIMDataType::REAL64:
        return collect<Real64Array>(elems);
    case CIMDataType::BOOLEAN:
        return collect<BoolArray>(elems);
    case CIMDataType::CHAR16:
        return collect<Char16Array>(elems);
    case CIMDataType::STRING:
        return collect<StringArray>(elems);
    case CIMDataType::DATETIME:
        return collect<CIMDateTimeArray>(elems);
    case CIMDataType::REFERENCE:
        return collect<CIMObjectPathArray>(elems);
    case CIMDataType::EMBEDDEDCLASS:
        return collect<CIMClassArray>(elems);
    default:
        return collect<CIMInstanceArray>(elems);
    }
}

bool isValueType(CIMDataType::Type t)
{
    return t >= CIMDataType::UINT8 && t <= CIMDataType::EMBEDDEDINSTANCE;
}

} // end anonymous namespace

CIMValue CIMValueCast::castValueToDataType(const CIMValue& value, const CIMDataType& dataType)
{
    if (!value || !dataType)
    {
        return value;
    }
    const CIMDataType::Type to = dataType.getType();
    if (value.getType() == to && value.isArray() == dataType.isArrayType())
    {
        return value;
    }
    if (!isValueType(to))
    {
        throwCast(value, dataType, "not a value type");
    }
    // Turning a scalar into an array or back would invent or drop elements.
    if (value.isArray() != dataType.isArrayType())
    {
        throwCast(value, dataType, "array and scalar do not convert");
    }
    if (!value.isArray())
    {
        return castScalar(value, dataType);
    }
    const CIMDataType elementType(to);
    std::vector<CIMValue> elems = elementsOf(value);
    for (size_t i = 0; i < elems.size(); ++i)
    {
        elems[i] = castScalar(elems[i], elementType);
    }
    return arrayOf(to, elems);
}

} // end namespace OpenWBEM
