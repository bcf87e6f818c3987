// CIMProperty: name, declared type, value, qualifiers and key-ness of a property.
#include "OW_config.h"
#include "OW_CIMProperty.hpp"
#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMQualifier.hpp"
#include "OW_CIMValue.hpp"
#include "OW_CIMValueCast.hpp"
#include "OW_NoSuchQualifierException.hpp"
#include "OW_NULLValueException.hpp"
#include "OW_String.hpp"
#include "CIMImpl.hpp"

#include <string>

namespace OpenWBEM
{

struct CIMProperty::PROPData : public cimimpl::Shared
{
    explicit PROPData(const String& n) : name(n), value(CIMNULL), propagated(false) {}

    String name;
    CIMDataType dataType;
    CIMValue value;
    CIMQualifierArray qualifiers;
    String originClass;
    bool propagated;
};

CIMProperty::CIMProperty() : m_pdata(new PROPData(String())) {}

CIMProperty::CIMProperty(CIMNULL_t) : m_pdata(nullptr) {}

CIMProperty::CIMProperty(const String& name) : m_pdata(new PROPData(name)) {}

CIMProperty::CIMProperty(const char* name) : m_pdata(new PROPData(String(name))) {}

// The type is read from the value first, so a null value throws (as the interface has always
// done) before anything is allocated.
CIMProperty::CIMProperty(const String& name, const CIMValue& value) : m_pdata(nullptr)
{
    const CIMDataType type = value.getCIMDataType();
    m_pdata = new PROPData(name);
    m_pdata->dataType = type;
    m_pdata->value = value;
}

CIMProperty::CIMProperty(const String& name, const CIMDataType& dt) : m_pdata(new PROPData(name))
{
    m_pdata->dataType = dt;
}

CIMProperty::CIMProperty(const CIMProperty& arg)
    : CIMElement(), m_pdata(cimimpl::share(arg.m_pdata))
{
}

CIMProperty::~CIMProperty()
{
    cimimpl::release(m_pdata);
}

CIMProperty& CIMProperty::operator=(const CIMProperty& arg)
{
    cimimpl::assign(m_pdata, arg.m_pdata);
    return *this;
}

void CIMProperty::setNull()
{
    cimimpl::release(m_pdata);
}

String CIMProperty::getName() const
{
    return OW_CIM_READ(m_pdata).name;
}

void CIMProperty::setName(const String& name)
{
    OW_CIM_WRITE(m_pdata).name = name;
}

CIMValue CIMProperty::getValue() const
{
    return OW_CIM_READ(m_pdata).value;
}

CIMValue CIMProperty::getValueT() const
{
    const PROPData& d = OW_CIM_READ(m_pdata);
    if (!d.value)
    {
        OW_THROW(NULLValueException, d.name.c_str());
    }
    return d.value;
}

CIMProperty& CIMProperty::setValue(const CIMValue& val)
{
    OW_CIM_WRITE(m_pdata).value = val;
    return *this;
}

CIMDataType CIMProperty::getDataType() const
{
    return OW_CIM_READ(m_pdata).dataType;
}

CIMProperty& CIMProperty::setDataType(const CIMDataType& type)
{
    OW_CIM_WRITE(m_pdata).dataType = type;
    return *this;
}

CIMProperty& CIMProperty::setDataType(const CIMDataType::Type& type)
{
    PROPData& d = OW_CIM_WRITE(m_pdata);
    // Only the element type changes: array-ness stays as declared, or, while nothing was
    // declared yet, as the value has it.
    const bool declared = d.dataType && d.dataType.getType() != CIMDataType::CIMNULL;
    const bool wasArray = declared ? d.dataType.isArrayType() : (d.value && d.value.isArray());
    d.dataType = !wasArray  ? CIMDataType(type)
                 : declared ? CIMDataType(type, d.dataType.getSize())
                            : CIMDataType(type, 0);
    if (d.value && (d.value.getType() != type || d.value.isArray() != wasArray))
    {
        d.value = CIMValueCast::castValueToDataType(d.value, d.dataType);
    }
    return *this;
}

Int32 CIMProperty::getSize() const
{
    const PROPData& d = OW_CIM_READ(m_pdata);
    return d.dataType ? d.dataType.getSize() : -1;
}

CIMProperty& CIMProperty::setDataSize(Int32 size)
{
    PROPData& d = OW_CIM_WRITE(m_pdata);
    if (d.dataType)
    {
        d.dataType.setToArrayType(size);
    }
    return *this;
}

bool CIMProperty::isReference() const
{
    const PROPData& d = OW_CIM_READ(m_pdata);
    return d.dataType && d.dataType.isReferenceType();
}

bool CIMProperty::isKey() const
{
    return isReference() || hasTrueQualifier(CIMQualifier::CIM_QUAL_KEY);
}

String CIMProperty::getOriginClass() const
{
    return OW_CIM_READ(m_pdata).originClass;
}

CIMProperty& CIMProperty::setOriginClass(const String& originCls)
{
    OW_CIM_WRITE(m_pdata).originClass = originCls;
    return *this;
}

bool CIMProperty::getPropagated() const
{
    return OW_CIM_READ(m_pdata).propagated;
}

CIMProperty& CIMProperty::setPropagated(bool propagated)
{
    OW_CIM_WRITE(m_pdata).propagated = propagated;
    return *this;
}

CIMQualifierArray CIMProperty::getQualifiers() const
{
    return OW_CIM_READ(m_pdata).qualifiers;
}

CIMProperty& CIMProperty::setQualifiers(const CIMQualifierArray& quals)
{
    OW_CIM_WRITE(m_pdata).qualifiers = quals;
    return *this;
}

CIMQualifier CIMProperty::getQualifier(const String& name) const
{
    const PROPData& d = OW_CIM_READ(m_pdata);
    const long i = cimimpl::findByName(d.qualifiers, name);
    return i < 0 ? CIMQualifier(CIMNULL) : d.qualifiers[size_t(i)];
}

CIMQualifier CIMProperty::getQualifierT(const String& name) const
{
    const CIMQualifier q = getQualifier(name);
    if (!q)
    {
        OW_THROW(NoSuchQualifierException, name.c_str());
    }
    return q;
}

CIMProperty& CIMProperty::setQualifier(const CIMQualifier& qual)
{
    PROPData& d = OW_CIM_WRITE(m_pdata);
    const long i = cimimpl::findByName(d.qualifiers, qual.getName());
    if (i < 0)
    {
        d.qualifiers.append(qual);
    }
    else
    {
        d.qualifiers[size_t(i)] = qual;
    }
    return *this;
}

CIMProperty& CIMProperty::addQualifier(const CIMQualifier& qual)
{
    PROPData& d = OW_CIM_WRITE(m_pdata);
    if (cimimpl::findByName(d.qualifiers, qual.getName()) >= 0)
    {
        const String msg = "Qualifier " + qual.getName() + " already exists";
        OW_THROWCIMMSG(CIMException::ALREADY_EXISTS, msg.c_str());
    }
    d.qualifiers.append(qual);
    return *this;
}

bool CIMProperty::removeQualifier(const String& name)
{
    PROPData& d = OW_CIM_WRITE(m_pdata);
    const long i = cimimpl::findByName(d.qualifiers, name);
    if (i < 0)
    {
        return false;
    }
    d.qualifiers.remove(size_t(i));
    return true;
}

CIMProperty& CIMProperty::clearQualifiers()
{
    OW_CIM_WRITE(m_pdata).qualifiers.clear();
    return *this;
}

CIMProperty& CIMProperty::clearNonKeyQualifiers()
{
    PROPData& d = OW_CIM_WRITE(m_pdata);
    CIMQualifierArray kept;
    for (size_t i = 0; i < d.qualifiers.size(); ++i)
    {
        if (d.qualifiers[i].getName().equalsIgnoreCase(CIMQualifier::CIM_QUAL_KEY))
        {
            kept.append(d.qualifiers[i]);
        }
    }
    d.qualifiers = kept;
    return *this;
}

bool CIMProperty::hasTrueQualifier(const String& name) const
{
    const CIMQualifier q = getQualifier(name);
    if (!q)
    {
        return false;
    }
    const CIMValue v = q.getValue();
    return v && v.getType() == CIMDataType::BOOLEAN && !v.isArray() && bool(v.toBool());
}

String CIMProperty::toString() const
{
    const PROPData& d = OW_CIM_READ(m_pdata);
    const String type = d.dataType ? d.dataType.toString() : String("NULL");
    return type + ":" + d.name + "=" + (d.value ? d.value.toString() : String("null"));
}

String CIMProperty::toMOF() const
{
    const PROPData& d = OW_CIM_READ(m_pdata);
    std::string out;
    if (!d.qualifiers.empty())
    {
        out += "[";
        for (size_t i = 0; i < d.qualifiers.size(); ++i)
        {
            out += (i ? ", " : "") + cimimpl::str(d.qualifiers[i].toMOF());
        }
        out += "]\n";
    }
    out += d.dataType ? cimimpl::str(d.dataType.toMOF()) : std::string("NULL");
    out += " " + cimimpl::str(d.name);
    if (d.dataType && d.dataType.isArrayType())
    {
        const Int32 size = d.dataType.getSize();
        out += size > 0 ? "[" + std::to_string(size) + "]" : std::string("[]");
    }
    if (d.value)
    {
        out += " = " + cimimpl::str(d.value.toMOF());
    }
    out += ";\n";
    return cimimpl::toOW(out);
}

} // end namespace OpenWBEM
