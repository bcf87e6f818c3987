// CIMParamValue: a named method argument.
#include "OW_config.h"
#include "OW_CIMParamValue.hpp"
#include "OW_CIMValue.hpp"
#include "OW_String.hpp"
#include "CIMImpl.hpp"

namespace OpenWBEM
{

struct CIMParamValue::Data : public cimimpl::Shared
{
    Data(const String& n, const CIMValue& v) : name(n), value(v) {}

    String name;
    CIMValue value;
};

CIMParamValue::CIMParamValue() : m_pdata(new Data(String(), CIMValue(CIMNULL))) {}

CIMParamValue::CIMParamValue(CIMNULL_t) : m_pdata(nullptr) {}

CIMParamValue::CIMParamValue(const String& name, const CIMValue& val) : m_pdata(new Data(name, val))
{
}

CIMParamValue::CIMParamValue(const String& name) : m_pdata(new Data(name, CIMValue(CIMNULL))) {}

CIMParamValue::CIMParamValue(const CIMParamValue& arg)
    : CIMBase(), m_pdata(cimimpl::share(arg.m_pdata))
{
}

CIMParamValue::~CIMParamValue()
{
    cimimpl::release(m_pdata);
}

CIMParamValue& CIMParamValue::operator=(const CIMParamValue& arg)
{
    cimimpl::assign(m_pdata, arg.m_pdata);
    return *this;
}

void CIMParamValue::setNull()
{
    cimimpl::release(m_pdata);
}

String CIMParamValue::getName() const
{
    return OW_CIM_READ(m_pdata).name;
}

CIMParamValue& CIMParamValue::setName(const String& name)
{
    OW_CIM_WRITE(m_pdata).name = name;
    return *this;
}

CIMValue CIMParamValue::getValue() const
{
    return OW_CIM_READ(m_pdata).value;
}

CIMParamValue& CIMParamValue::setValue(const CIMValue& val)
{
    OW_CIM_WRITE(m_pdata).value = val;
    return *this;
}

String CIMParamValue::toString() const
{
    const Data& d = OW_CIM_READ(m_pdata);
    return "CIMParamValue(" + d.name + "): " + d.value.toString();
}

String CIMParamValue::toMOF() const
{
    const Data& d = OW_CIM_READ(m_pdata);
    return d.name + " = " + d.value.toMOF();
}

} // end namespace OpenWBEM
