// CIMQualifier and CIMQualifierType: qualifiers on CIM elements and their declarations.
#include "OW_config.h"
#include "OW_CIMQualifier.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMQualifierType.hpp"
#include "OW_CIMValue.hpp"
#include "OW_NULLValueException.hpp"
#include "OW_String.hpp"
#include "CIMImpl.hpp"

namespace OpenWBEM
{

const char* const CIMQualifier::CIM_QUAL_ABSTRACT = "Abstract";
const char* const CIMQualifier::CIM_QUAL_ASSOCIATION = "Association";
const char* const CIMQualifier::CIM_QUAL_DESCRIPTION = "Description";
const char* const CIMQualifier::CIM_QUAL_IN = "In";
const char* const CIMQualifier::CIM_QUAL_INDICATION = "Indication";
const char* const CIMQualifier::CIM_QUAL_KEY = "Key";
const char* const CIMQualifier::CIM_QUAL_OUT = "Out";
const char* const CIMQualifier::CIM_QUAL_PROVIDER = "Provider";
const char* const CIMQualifier::CIM_QUAL_REQUIRED = "Required";

// ---- CIMQualifier ----

struct CIMQualifier::QUALData : public cimimpl::Shared
{
    explicit QUALData(const String& n)
        : name(n), value(CIMNULL), defaults(CIMNULL), propagated(false)
    {
    }

    String name;
    CIMValue value;
    CIMQualifierType defaults;
    bool propagated;
};

CIMQualifier CIMQualifier::createKeyQualifier()
{
    CIMQualifier key(CIM_QUAL_KEY);
    key.setValue(CIMValue(Bool(true)));
    return key;
}

CIMQualifier::CIMQualifier() : m_pdata(new QUALData(String())) {}

CIMQualifier::CIMQualifier(CIMNULL_t) : m_pdata(nullptr) {}

CIMQualifier::CIMQualifier(const String& name) : m_pdata(new QUALData(name)) {}

CIMQualifier::CIMQualifier(const char* name) : m_pdata(new QUALData(String(name))) {}

CIMQualifier::CIMQualifier(const String& name, const CIMQualifierType& cgt)
    : m_pdata(new QUALData(name))
{
    setDefaults(cgt);
}

CIMQualifier::CIMQualifier(const CIMQualifierType& cgt) : m_pdata(new QUALData(cgt.getName()))
{
    setDefaults(cgt);
}

CIMQualifier::CIMQualifier(const CIMQualifier& arg)
    : CIMElement(), m_pdata(cimimpl::share(arg.m_pdata))
{
}

CIMQualifier::~CIMQualifier()
{
    cimimpl::release(m_pdata);
}

CIMQualifier& CIMQualifier::operator=(const CIMQualifier& arg)
{
    cimimpl::assign(m_pdata, arg.m_pdata);
    return *this;
}

void CIMQualifier::setNull()
{
    cimimpl::release(m_pdata);
}

String CIMQualifier::getName() const
{
    return OW_CIM_READ(m_pdata).name;
}

void CIMQualifier::setName(const String& name)
{
    OW_CIM_WRITE(m_pdata).name = name;
}

bool CIMQualifier::hasValue() const
{
    return bool(OW_CIM_READ(m_pdata).value);
}

CIMValue CIMQualifier::getValue() const
{
    return OW_CIM_READ(m_pdata).value;
}

CIMValue CIMQualifier::getValueT() const
{
    const QUALData& d = OW_CIM_READ(m_pdata);
    if (!d.value)
    {
        OW_THROW(NULLValueException, d.name.c_str());
    }
    return d.value;
}

CIMQualifier& CIMQualifier::setValue(const CIMValue& value)
{
    OW_CIM_WRITE(m_pdata).value = value;
    return *this;
}

bool CIMQualifier::isKeyValue() const
{
    const QUALData& d = OW_CIM_READ(m_pdata);
    return d.name.equalsIgnoreCase(CIM_QUAL_KEY) && d.value &&
           d.value.getType() == CIMDataType::BOOLEAN && !d.value.isArray() &&
           bool(d.value.toBool());
}

// A qualifier made from a declaration starts with the declared default value.
CIMQualifier& CIMQualifier::setDefaults(const CIMQualifierType& qtype)
{
    QUALData& d = OW_CIM_WRITE(m_pdata);
    d.defaults = qtype;
    if (qtype && !d.value)
    {
        d.value = qtype.getDefaultValue();
    }
    return *this;
}

CIMQualifierType CIMQualifier::getDefaults() const
{
    return OW_CIM_READ(m_pdata).defaults;
}

bool CIMQualifier::getPropagated() const
{
    return OW_CIM_READ(m_pdata).propagated;
}

CIMQualifier& CIMQualifier::setPropagated(bool propagated)
{
    OW_CIM_WRITE(m_pdata).propagated = propagated;
    return *this;
}

String CIMQualifier::toString() const
{
    return toMOF();
}

// "Name(value)", "Name{a, b}" for an array value, just "Name" without a value.
String CIMQualifier::toMOF() const
{
    const QUALData& d = OW_CIM_READ(m_pdata);
    if (!d.value)
    {
        return d.name;
    }
    if (d.value.isArray())
    {
        return d.name + d.value.toMOF();
    }
    return d.name + "(" + d.value.toMOF() + ")";
}

// ---- CIMQualifierType ----

struct CIMQualifierType::QUALTData : public cimimpl::Shared
{
    explicit QUALTData(const String& n) : name(n), defaultValue(CIMNULL) {}

    String name;
    CIMDataType dataType;
    CIMValue defaultValue;
};

CIMQualifierType::CIMQualifierType() : m_pdata(new QUALTData(String())) {}

CIMQualifierType::CIMQualifierType(CIMNULL_t) : m_pdata(nullptr) {}

CIMQualifierType::CIMQualifierType(const String& name) : m_pdata(new QUALTData(name)) {}

CIMQualifierType::CIMQualifierType(const char* name) : m_pdata(new QUALTData(String(name))) {}

CIMQualifierType::CIMQualifierType(const CIMQualifierType& arg)
    : CIMElement(), m_pdata(cimimpl::share(arg.m_pdata))
{
}

CIMQualifierType::~CIMQualifierType()
{
    cimimpl::release(m_pdata);
}

CIMQualifierType& CIMQualifierType::operator=(const CIMQualifierType& arg)
{
    cimimpl::assign(m_pdata, arg.m_pdata);
    return *this;
}

void CIMQualifierType::setNull()
{
    cimimpl::release(m_pdata);
}

String CIMQualifierType::getName() const
{
    return OW_CIM_READ(m_pdata).name;
}

void CIMQualifierType::setName(const String& name)
{
    OW_CIM_WRITE(m_pdata).name = name;
}

CIMDataType CIMQualifierType::getDataType() const
{
    return OW_CIM_READ(m_pdata).dataType;
}

CIMQualifierType& CIMQualifierType::setDataType(const CIMDataType& dataType)
{
    OW_CIM_WRITE(m_pdata).dataType = dataType;
    return *this;
}

CIMQualifierType& CIMQualifierType::setDataType(const CIMDataType::Type& dataType)
{
    OW_CIM_WRITE(m_pdata).dataType = CIMDataType(dataType);
    return *this;
}

CIMValue CIMQualifierType::getDefaultValue() const
{
    return OW_CIM_READ(m_pdata).defaultValue;
}

CIMQualifierType& CIMQualifierType::setDefaultValue(const CIMValue& defValue)
{
    OW_CIM_WRITE(m_pdata).defaultValue = defValue;
    return *this;
}

String CIMQualifierType::toString() const
{
    return toMOF();
}

String CIMQualifierType::toMOF() const
{
    const QUALTData& d = OW_CIM_READ(m_pdata);
    String out = "Qualifier " + d.name + " : " + (d.dataType ? d.dataType.toMOF() : String("NULL"));
    if (d.dataType && d.dataType.isArrayType())
    {
        out += "[]";
    }
    if (d.defaultValue)
    {
        out += " = " + d.defaultValue.toMOF();
    }
    return out + ";\n";
}

} // end namespace OpenWBEM
