// CIMValue: the typed value store, its exact-type accessors and its text forms.
#include "OW_config.h"
#include "OW_CIMValue.hpp"
#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_Char16.hpp"
#include "OW_CIMClass.hpp"
#include "OW_CIMDateTime.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMValueCast.hpp"
#include "OW_String.hpp"
#include "CIMImpl.hpp"

#include <iomanip>
#include <limits>
#include <locale>
#include <sstream>
#include <string>
#include <type_traits>
#include <variant>

namespace OpenWBEM
{

namespace
{

// What a C++ type is as a CIM value, and how a type mismatch names it.
template <class T> struct Traits;

#define OW_CIMVALUE_TRAITS(CPP, ARR, CIMTYPE, NAME)                                                \
    template <> struct Traits<CPP>                                                                 \
    {                                                                                              \
        typedef CPP Element;                                                                       \
        static const CIMDataType::Type type = CIMDataType::CIMTYPE;                                \
        static const bool isArray = false;                                                         \
        static const char* name() { return NAME; }                                                 \
    };                                                                                             \
    template <> struct Traits<ARR>                                                                 \
    {                                                                                              \
        typedef CPP Element;                                                                       \
        static const CIMDataType::Type type = CIMDataType::CIMTYPE;                                \
        static const bool isArray = true;                                                          \
        static const char* name() { return NAME " ARRAY"; }                                        \
    }

OW_CIMVALUE_TRAITS(Bool, BoolArray, BOOLEAN, "BOOLEAN");
OW_CIMVALUE_TRAITS(Char16, Char16Array, CHAR16, "CHAR16");
OW_CIMVALUE_TRAITS(UInt8, UInt8Array, UINT8, "UINT8");
OW_CIMVALUE_TRAITS(Int8, Int8Array, SINT8, "SINT8");
OW_CIMVALUE_TRAITS(UInt16, UInt16Array, UINT16, "UINT16");
OW_CIMVALUE_TRAITS(Int16, Int16Array, SINT16, "SINT16");
OW_CIMVALUE_TRAITS(UInt32, UInt32Array, UINT32, "UINT32");
OW_CIMVALUE_TRAITS(Int32, Int32Array, SINT32, "SINT32");
OW_CIMVALUE_TRAITS(UInt64, UInt64Array, UINT64, "UINT64");
OW_CIMVALUE_TRAITS(Int64, Int64Array, SINT64, "SINT64");
OW_CIMVALUE_TRAITS(Real32, Real32Array, REAL32, "REAL32");
OW_CIMVALUE_TRAITS(Real64, Real64Array, REAL64, "REAL64");
OW_CIMVALUE_TRAITS(String, StringArray, STRING, "STRING");
OW_CIMVALUE_TRAITS(CIMDateTime, CIMDateTimeArray, DATETIME, "DATETIME");
OW_CIMVALUE_TRAITS(CIMObjectPath, CIMObjectPathArray, REFERENCE, "REFERENCE");
OW_CIMVALUE_TRAITS(CIMClass, CIMClassArray, EMBEDDEDCLASS, "EMBEDDEDCLASS");
OW_CIMVALUE_TRAITS(CIMInstance, CIMInstanceArray, EMBEDDEDINSTANCE, "EMBEDDEDINSTANCE");

#undef OW_CIMVALUE_TRAITS

typedef std::variant<Bool, Char16, UInt8, Int8, UInt16, Int16, UInt32, Int32, UInt64, Int64, Real32,
                     Real64, String, CIMDateTime, CIMObjectPath, CIMClass, CIMInstance, BoolArray,
                     Char16Array, UInt8Array, Int8Array, UInt16Array, Int16Array, UInt32Array,
                     Int32Array, UInt64Array, Int64Array, Real32Array, Real64Array, StringArray,
                     CIMDateTimeArray, CIMObjectPathArray, CIMClassArray, CIMInstanceArray>
    ValueData;

template <class T> struct IsArray : std::false_type
{
};
template <class T> struct IsArray<Array<T>> : std::true_type
{
};

template <class T> constexpr bool isPlainNumber()
{
    return std::is_arithmetic<T>::value;
}

CIMDataType::Type typeOf(const ValueData& d)
{
    return std::visit([](const auto& v) { return Traits<std::decay_t<decltype(v)>>::type; }, d);
}

bool isArrayData(const ValueData& d)
{
    return std::visit([](const auto& v) { return Traits<std::decay_t<decltype(v)>>::isArray; }, d);
}

[[noreturn]] void throwNotA(const char* typeName)
{
    const std::string msg = std::string("CIMValue::CIMValueImpl::get - Value is not a ") + typeName;
    OW_THROW(ValueCastException, msg.c_str());
}

// A scalar sint64 is what untyped integer literals arrive as, so it may be read as any
// numeric type. The real library truncated silently; a value that does not fit is refused
// here instead of being handed back as a different number.
template <class T> T narrowInt64(Int64 v)
{
    if constexpr (std::is_integral<T>::value)
    {
        const bool fits = std::is_signed<T>::value
                              ? (v >= Int64(std::numeric_limits<T>::min()) &&
                                 v <= Int64(std::numeric_limits<T>::max()))
                              : (v >= 0 && UInt64(v) <= UInt64(std::numeric_limits<T>::max()));
        if (!fits)
        {
            const std::string msg = "CIMValue::CIMValueImpl::get - Value " + std::to_string(v) +
                                    " is out of range for " + Traits<T>::name();
            OW_THROW(ValueCastException, msg.c_str());
        }
    }
    return static_cast<T>(v);
}

template <class T> void extract(const ValueData& d, T& out)
{
    if (const T* p = std::get_if<T>(&d))
    {
        out = *p;
        return;
    }
    if constexpr (isPlainNumber<T>())
    {
        if (const Int64* p = std::get_if<Int64>(&d))
        {
            out = narrowInt64<T>(*p);
            return;
        }
    }
    throwNotA(Traits<T>::name());
}

// ---- text forms ----

std::string realText(double v)
{
    std::ostringstream os;
    os.imbue(std::locale::classic());
    os << v;
    return os.str();
}

// Array elements of the real types are written as printf's %f writes them, whatever locale
// the hosting process has set.
std::string realArrayText(double v)
{
    std::ostringstream os;
    os.imbue(std::locale::classic());
    os << std::fixed << std::setprecision(6) << v;
    return os.str();
}

template <class T> std::string scalarText(const T& v)
{
    if constexpr (std::is_same<T, Bool>::value)
    {
        return bool(v) ? "true" : "false";
    }
    else if constexpr (std::is_floating_point<T>::value)
    {
        return realText(v);
    }
    else if constexpr (std::is_integral<T>::value)
    {
        // Widened first: an 8-bit value is a number, not a character.
        return std::to_string(std::conditional_t<std::is_signed<T>::value, Int64, UInt64>(v));
    }
    else
    {
        return cimimpl::str(v.toString());
    }
}

template <class T> std::string scalarMOF(const T& v)
{
    if constexpr (std::is_same<T, String>::value)
    {
        return "\"" + cimimpl::mofEscape(cimimpl::str(v)) + "\"";
    }
    else if constexpr (std::is_same<T, Char16>::value)
    {
        return "'" + cimimpl::mofEscape(cimimpl::str(v.toString())) + "'";
    }
    else if constexpr (std::is_same<T, CIMDateTime>::value || std::is_same<T, CIMObjectPath>::value)
    {
        return "\"" + cimimpl::mofEscape(cimimpl::str(v.toString())) + "\"";
    }
    else if constexpr (std::is_same<T, CIMClass>::value || std::is_same<T, CIMInstance>::value)
    {
        return cimimpl::str(v.toMOF());
    }
    else
    {
        return scalarText(v);
    }
}

std::string textOf(const ValueData& d)
{
    return std::visit(
        [](const auto& v) -> std::string
        {
            typedef std::decay_t<decltype(v)> V;
            if constexpr (IsArray<V>::value)
            {
                typedef typename Traits<V>::Element E;
                std::string out;
                for (size_t i = 0; i < v.size(); ++i)
                {
                    if (i)
                    {
                        out += ',';
                    }
                    if constexpr (std::is_floating_point<E>::value)
                    {
                        out += realArrayText(v[i]);
                    }
                    else
                    {
                        out += scalarText(v[i]);
                    }
                }
                return out;
            }
            else
            {
                return scalarText(v);
            }
        },
        d);
}

std::string mofOf(const ValueData& d)
{
    return std::visit(
        [](const auto& v) -> std::string
        {
            typedef std::decay_t<decltype(v)> V;
            if constexpr (IsArray<V>::value)
            {
                std::string out = "{";
                for (size_t i = 0; i < v.size(); ++i)
                {
                    if (i)
                    {
                        out += ", ";
                    }
                    out += scalarMOF(v[i]);
                }
                return out + "}";
            }
            else
            {
                return scalarMOF(v);
            }
        },
        d);
}

// ---- comparison ----

bool sameInstance(const CIMInstance& a, const CIMInstance& b);

template <class T> bool elementEqual(const T& a, const T& b)
{
    if constexpr (std::is_same<T, CIMDateTime>::value)
    {
        return a.equal(b);
    }
    else if constexpr (std::is_same<T, CIMObjectPath>::value)
    {
        return a.equals(b);
    }
    else if constexpr (std::is_same<T, CIMInstance>::value)
    {
        return sameInstance(a, b);
    }
    else if constexpr (std::is_same<T, CIMClass>::value)
    {
        return a.toMOF() == b.toMOF();
    }
    else
    {
        return a == b;
    }
}

// Instances are equal when their class names match (ignoring case) and they hold the same
// properties, by name ignoring case, with equal values.
bool sameInstance(const CIMInstance& a, const CIMInstance& b)
{
    if (!a || !b)
    {
        return !a && !b;
    }
    if (!a.getClassName().equalsIgnoreCase(b.getClassName()))
    {
        return false;
    }
    const CIMPropertyArray pa = a.getProperties();
    const CIMPropertyArray pb = b.getProperties();
    if (pa.size() != pb.size())
    {
        return false;
    }
    for (size_t i = 0; i < pa.size(); ++i)
    {
        const long j = cimimpl::findByName(pb, pa[i].getName());
        if (j < 0 || pa[i].getValue() != pb[size_t(j)].getValue())
        {
            return false;
        }
    }
    return true;
}

// Values of the same scalar type order naturally; composite ones by their text.
template <class T> bool elementLess(const T& a, const T& b)
{
    if constexpr (std::is_arithmetic<T>::value || std::is_same<T, Bool>::value ||
                  std::is_same<T, Char16>::value || std::is_same<T, String>::value)
    {
        return a < b;
    }
    else
    {
        return a.toString() < b.toString();
    }
}

bool dataEqual(const ValueData& a, const ValueData& b)
{
    if (a.index() != b.index())
    {
        return false;
    }
    return std::visit(
        [&b](const auto& va) -> bool
        {
            typedef std::decay_t<decltype(va)> V;
            const V& vb = std::get<V>(b);
            if constexpr (IsArray<V>::value)
            {
                if (va.size() != vb.size())
                {
                    return false;
                }
                for (size_t i = 0; i < va.size(); ++i)
                {
                    if (!elementEqual(va[i], vb[i]))
                    {
                        return false;
                    }
                }
                return true;
            }
            else
            {
                return elementEqual(va, vb);
            }
        },
        a);
}

bool dataLess(const ValueData& a, const ValueData& b)
{
    if (a.index() != b.index())
    {
        return a.index() < b.index();
    }
    return std::visit(
        [&b](const auto& va) -> bool
        {
            typedef std::decay_t<decltype(va)> V;
            const V& vb = std::get<V>(b);
            if constexpr (IsArray<V>::value)
            {
                return std::lexicographical_compare(va.begin(), va.end(), vb.begin(), vb.end(),
                                                    [](const auto& x, const auto& y)
                                                    { return elementLess(x, y); });
            }
            else
            {
                return elementLess(va, vb);
            }
        },
        a);
}

} // end anonymous namespace

class CIMValue::CIMValueImpl : public cimimpl::Shared
{
public:
    template <class T> explicit CIMValueImpl(const T& x) : data(std::in_place_type<T>, x) {}

    ValueData data;
};

// ---- construction ----

#define OW_CIMVALUE_CTOR(PARAM, STORED)                                                            \
    CIMValue::CIMValue(PARAM x) : m_impl(new CIMValueImpl(STORED(x))) {}

OW_CIMVALUE_CTOR(const Bool&, Bool)
OW_CIMVALUE_CTOR(bool, Bool)
OW_CIMVALUE_CTOR(UInt8, UInt8)
OW_CIMVALUE_CTOR(Int8, Int8)
OW_CIMVALUE_CTOR(UInt16, UInt16)
OW_CIMVALUE_CTOR(Int16, Int16)
OW_CIMVALUE_CTOR(UInt32, UInt32)
OW_CIMVALUE_CTOR(Int32, Int32)
OW_CIMVALUE_CTOR(UInt64, UInt64)
OW_CIMVALUE_CTOR(Int64, Int64)
OW_CIMVALUE_CTOR(Real32, Real32)
OW_CIMVALUE_CTOR(Real64, Real64)
OW_CIMVALUE_CTOR(const Char16&, Char16)
OW_CIMVALUE_CTOR(const String&, String)
OW_CIMVALUE_CTOR(const char*, String)
OW_CIMVALUE_CTOR(const CIMDateTime&, CIMDateTime)
OW_CIMVALUE_CTOR(const CIMObjectPath&, CIMObjectPath)
OW_CIMVALUE_CTOR(const CIMClass&, CIMClass)
OW_CIMVALUE_CTOR(const CIMInstance&, CIMInstance)
OW_CIMVALUE_CTOR(const BoolArray&, BoolArray)
OW_CIMVALUE_CTOR(const Char16Array&, Char16Array)
OW_CIMVALUE_CTOR(const UInt8Array&, UInt8Array)
OW_CIMVALUE_CTOR(const Int8Array&, Int8Array)
OW_CIMVALUE_CTOR(const UInt16Array&, UInt16Array)
OW_CIMVALUE_CTOR(const Int16Array&, Int16Array)
OW_CIMVALUE_CTOR(const UInt32Array&, UInt32Array)
OW_CIMVALUE_CTOR(const Int32Array&, Int32Array)
OW_CIMVALUE_CTOR(const UInt64Array&, UInt64Array)
OW_CIMVALUE_CTOR(const Int64Array&, Int64Array)
OW_CIMVALUE_CTOR(const Real64Array&, Real64Array)
OW_CIMVALUE_CTOR(const Real32Array&, Real32Array)
OW_CIMVALUE_CTOR(const StringArray&, StringArray)
OW_CIMVALUE_CTOR(const CIMDateTimeArray&, CIMDateTimeArray)
OW_CIMVALUE_CTOR(const CIMObjectPathArray&, CIMObjectPathArray)
OW_CIMVALUE_CTOR(const CIMClassArray&, CIMClassArray)
OW_CIMVALUE_CTOR(const CIMInstanceArray&, CIMInstanceArray)

#undef OW_CIMVALUE_CTOR

CIMValue::CIMValue(CIMNULL_t) : m_impl(nullptr) {}

CIMValue::CIMValue(const CIMValue& x) : m_impl(cimimpl::share(x.m_impl)) {}

CIMValue::~CIMValue()
{
    cimimpl::release(m_impl);
}

CIMValue& CIMValue::operator=(const CIMValue& x)
{
    cimimpl::assign(m_impl, x.m_impl);
    return *this;
}

void CIMValue::setNull()
{
    cimimpl::release(m_impl);
}

void CIMValue::set(const CIMValue& x)
{
    cimimpl::assign(m_impl, x.m_impl);
}

CIMValue CIMValue::createSimpleValue(const String& cimtype, const String& value)
{
    switch (CIMDataType::strToSimpleType(cimtype))
    {
    case CIMDataType::UINT8:
        return CIMValue(value.toUInt8());
    case CIMDataType::SINT8:
        return CIMValue(value.toInt8());
    case CIMDataType::UINT16:
        return CIMValue(value.toUInt16());
    case CIMDataType::SINT16:
        return CIMValue(value.toInt16());
    case CIMDataType::UINT32:
        return CIMValue(value.toUInt32());
    case CIMDataType::SINT32:
        return CIMValue(value.toInt32());
    case CIMDataType::UINT64:
        return CIMValue(value.toUInt64());
    case CIMDataType::SINT64:
        return CIMValue(value.toInt64());
    case CIMDataType::REAL32:
        return CIMValue(value.toReal32());
    case CIMDataType::REAL64:
        return CIMValue(value.toReal64());
    case CIMDataType::BOOLEAN:
        return CIMValue(Bool(value.toBool()));
    case CIMDataType::CHAR16:
        return CIMValue(value.toChar16());
    case CIMDataType::STRING:
        return CIMValue(value);
    case CIMDataType::DATETIME:
        return CIMValue(CIMDateTime(value));
    default:
        return CIMValue(CIMNULL);
    }
}

// ---- type queries ----

UInt32 CIMValue::getArraySize() const
{
    return std::visit(
        [](const auto& v) -> UInt32
        {
            if constexpr (IsArray<std::decay_t<decltype(v)>>::value)
            {
                return UInt32(v.size());
            }
            else
            {
                return 0;
            }
        },
        OW_CIM_READ(m_impl).data);
}

CIMDataType::Type CIMValue::getType() const
{
    return typeOf(OW_CIM_READ(m_impl).data);
}

CIMDataType CIMValue::getCIMDataType() const
{
    const ValueData& d = OW_CIM_READ(m_impl).data;
    if (isArrayData(d))
    {
        return CIMDataType(typeOf(d), 0);
    }
    if (const CIMObjectPath* path = std::get_if<CIMObjectPath>(&d))
    {
        return CIMDataType(path->getClassName());
    }
    return CIMDataType(typeOf(d));
}

bool CIMValue::isArray() const
{
    return isArrayData(OW_CIM_READ(m_impl).data);
}

bool CIMValue::sameType(const CIMValue& x) const
{
    return getType() == x.getType() && isArray() == x.isArray();
}

bool CIMValue::isNumericType() const
{
    return CIMDataType::isNumericType(getType());
}

// ---- comparison ----

bool CIMValue::equal(const CIMValue& x) const
{
    if (!m_impl || !x.m_impl)
    {
        return !m_impl && !x.m_impl;
    }
    return m_impl == x.m_impl || dataEqual(m_impl->data, x.m_impl->data);
}

bool CIMValue::operator==(const CIMValue& x) const
{
    return equal(x);
}

bool CIMValue::operator!=(const CIMValue& x) const
{
    return !equal(x);
}

// Null sorts first; values of different types order by type.
bool CIMValue::operator<(const CIMValue& x) const
{
    if (!m_impl || !x.m_impl)
    {
        return !m_impl && x.m_impl;
    }
    return dataLess(m_impl->data, x.m_impl->data);
}

// ---- text ----

String CIMValue::toString() const
{
    if (!m_impl)
    {
        return String("(null)");
    }
    return cimimpl::toOW(textOf(m_impl->data));
}

String CIMValue::toMOF() const
{
    if (!m_impl)
    {
        return String("NULL");
    }
    return cimimpl::toOW(mofOf(m_impl->data));
}

// ---- accessors ----

#define OW_CIMVALUE_GET(TYPE, TONAME)                                                              \
    void CIMValue::get(TYPE& x) const                                                              \
    {                                                                                              \
        extract(OW_CIM_READ(m_impl).data, x);                                                      \
    }                                                                                              \
    TYPE CIMValue::TONAME() const                                                                  \
    {                                                                                              \
        TYPE x = TYPE();                                                                           \
        extract(OW_CIM_READ(m_impl).data, x);                                                      \
        return x;                                                                                  \
    }

OW_CIMVALUE_GET(Bool, toBool)
OW_CIMVALUE_GET(Char16, toChar16)
OW_CIMVALUE_GET(UInt8, toUInt8)
OW_CIMVALUE_GET(Int8, toInt8)
OW_CIMVALUE_GET(UInt16, toUInt16)
OW_CIMVALUE_GET(Int16, toInt16)
OW_CIMVALUE_GET(UInt32, toUInt32)
OW_CIMVALUE_GET(Int32, toInt32)
OW_CIMVALUE_GET(UInt64, toUInt64)
OW_CIMVALUE_GET(Int64, toInt64)
OW_CIMVALUE_GET(Real32, toReal32)
OW_CIMVALUE_GET(Real64, toReal64)
OW_CIMVALUE_GET(CIMDateTime, toCIMDateTime)
OW_CIMVALUE_GET(CIMObjectPath, toCIMObjectPath)
OW_CIMVALUE_GET(CIMClass, toCIMClass)
OW_CIMVALUE_GET(CIMInstance, toCIMInstance)
OW_CIMVALUE_GET(BoolArray, toBoolArray)
OW_CIMVALUE_GET(Char16Array, toChar16Array)
OW_CIMVALUE_GET(UInt8Array, toUInt8Array)
OW_CIMVALUE_GET(Int8Array, toInt8Array)
OW_CIMVALUE_GET(UInt16Array, toUInt16Array)
OW_CIMVALUE_GET(Int16Array, toInt16Array)
OW_CIMVALUE_GET(UInt32Array, toUInt32Array)
OW_CIMVALUE_GET(Int32Array, toInt32Array)
OW_CIMVALUE_GET(UInt64Array, toUInt64Array)
OW_CIMVALUE_GET(Int64Array, toInt64Array)
OW_CIMVALUE_GET(Real64Array, toReal64Array)
OW_CIMVALUE_GET(Real32Array, toReal32Array)
OW_CIMVALUE_GET(StringArray, toStringArray)
OW_CIMVALUE_GET(CIMDateTimeArray, toCIMDateTimeArray)
OW_CIMVALUE_GET(CIMObjectPathArray, toCIMObjectPathArray)
OW_CIMVALUE_GET(CIMClassArray, toCIMClassArray)
OW_CIMVALUE_GET(CIMInstanceArray, toCIMInstanceArray)

#undef OW_CIMVALUE_GET

void CIMValue::get(String& x) const
{
    extract(OW_CIM_READ(m_impl).data, x);
}

} // end namespace OpenWBEM
