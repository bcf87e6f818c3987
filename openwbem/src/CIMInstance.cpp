// CIMInstance: properties by case-insensitive name, and the separate key list that object
// paths are made from.
#include "OW_config.h"
#include "OW_CIMInstance.hpp"
#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMQualifier.hpp"
#include "OW_CIMValue.hpp"
#include "OW_NoSuchPropertyException.hpp"
#include "OW_String.hpp"
#include "CIMImpl.hpp"

#include <string>

namespace OpenWBEM
{

struct CIMInstance::INSTData : public cimimpl::Shared
{
    explicit INSTData(const String& cls) : className(cls) {}

    String className;
    CIMPropertyArray properties;
    // Kept apart from the properties on purpose: only key properties reach it, and it is what
    // an object path made from the instance carries.
    CIMPropertyArray keys;
    CIMQualifierArray qualifiers;
};

namespace
{

CIMPropertyArray keysOf(const CIMPropertyArray& props)
{
    CIMPropertyArray keys;
    for (size_t i = 0; i < props.size(); ++i)
    {
        if (props[i].isKey())
        {
            keys.append(props[i]);
        }
    }
    return keys;
}

} // end anonymous namespace

CIMInstance::CIMInstance() : m_pdata(new INSTData(String())) {}

CIMInstance::CIMInstance(CIMNULL_t) : m_pdata(nullptr) {}

CIMInstance::CIMInstance(const String& name) : m_pdata(new INSTData(name)) {}

CIMInstance::CIMInstance(const char* name) : m_pdata(new INSTData(String(name))) {}

CIMInstance::CIMInstance(const CIMInstance& x) : CIMElement(), m_pdata(cimimpl::share(x.m_pdata)) {}

CIMInstance::~CIMInstance()
{
    cimimpl::release(m_pdata);
}

CIMInstance& CIMInstance::operator=(const CIMInstance& x)
{
    cimimpl::assign(m_pdata, x.m_pdata);
    return *this;
}

void CIMInstance::setNull()
{
    cimimpl::release(m_pdata);
}

String CIMInstance::getClassName() const
{
    return OW_CIM_READ(m_pdata).className;
}

CIMInstance& CIMInstance::setClassName(const String& name)
{
    OW_CIM_WRITE(m_pdata).className = name;
    return *this;
}

String CIMInstance::getName() const
{
    return getClassName();
}

void CIMInstance::setName(const String& name)
{
    setClassName(name);
}

CIMPropertyArray CIMInstance::getProperties(Int32 valueDataType) const
{
    const INSTData& d = OW_CIM_READ(m_pdata);
    if (valueDataType == CIMDataType::INVALID)
    {
        return d.properties;
    }
    CIMPropertyArray out;
    for (size_t i = 0; i < d.properties.size(); ++i)
    {
        const CIMValue v = d.properties[i].getValue();
        if (v && Int32(v.getType()) == valueDataType)
        {
            out.append(d.properties[i]);
        }
    }
    return out;
}

CIMInstance& CIMInstance::setProperties(const CIMPropertyArray& props)
{
    INSTData& d = OW_CIM_WRITE(m_pdata);
    d.properties = props;
    d.keys = keysOf(props);
    return *this;
}

CIMProperty CIMInstance::getProperty(const String& name) const
{
    const INSTData& d = OW_CIM_READ(m_pdata);
    const long i = name.empty() ? -1 : cimimpl::findByName(d.properties, name);
    return i < 0 ? CIMProperty(CIMNULL) : d.properties[size_t(i)];
}

CIMProperty CIMInstance::getProperty(const String& name, const String& originClass) const
{
    const INSTData& d = OW_CIM_READ(m_pdata);
    for (size_t i = 0; i < d.properties.size(); ++i)
    {
        const CIMProperty& p = d.properties[i];
        if (!name.empty() && p.getName().equalsIgnoreCase(name) &&
            p.getOriginClass().equalsIgnoreCase(originClass))
        {
            return p;
        }
    }
    return CIMProperty(CIMNULL);
}

CIMProperty CIMInstance::getPropertyT(const String& name) const
{
    const CIMProperty p = getProperty(name);
    if (!p)
    {
        OW_THROW(NoSuchPropertyException, name.c_str());
    }
    return p;
}

CIMValue CIMInstance::getPropertyValue(const String& name) const
{
    const CIMProperty p = getProperty(name);
    return p ? p.getValue() : CIMValue(CIMNULL);
}

bool CIMInstance::propertyHasValue(const String& name) const
{
    return bool(getPropertyValue(name));
}

CIMInstance& CIMInstance::setProperty(const String& name, const CIMValue& cv)
{
    INSTData& d = OW_CIM_WRITE(m_pdata);
    const long i = cimimpl::findByName(d.properties, name);
    if (i >= 0)
    {
        CIMProperty& existing = d.properties[size_t(i)];
        existing.setValue(cv);
        if (existing.isKey())
        {
            d.keys = keysOf(d.properties);
        }
        return *this;
    }
    CIMProperty added(name);
    added.setValue(cv);
    if (cv)
    {
        added.setDataType(cv.getCIMDataType());
    }
    // A property added by name and value has no qualifiers, so it is no key, whatever its
    // value: not even a reference, as the real library has it. Only a property given whole,
    // with its Key qualifier, becomes part of the instance's name.
    d.properties.append(added);
    return *this;
}

CIMInstance& CIMInstance::setProperty(const CIMProperty& prop)
{
    INSTData& d = OW_CIM_WRITE(m_pdata);
    const long i = cimimpl::findByName(d.properties, prop.getName());
    // Whenever a key comes or goes the list is made anew from the properties, as the real
    // library does: a key replaced by a plain property is no key any more, and the list
    // follows the order of the properties.
    bool keysChange = prop.isKey();
    if (i < 0)
    {
        d.properties.append(prop);
    }
    else
    {
        keysChange = keysChange || d.properties[size_t(i)].isKey();
        d.properties[size_t(i)] = prop;
    }
    if (keysChange)
    {
        d.keys = keysOf(d.properties);
    }
    return *this;
}

CIMInstance& CIMInstance::removeProperty(const String& propName)
{
    INSTData& d = OW_CIM_WRITE(m_pdata);
    const long i = cimimpl::findByName(d.properties, propName);
    if (i < 0)
    {
        return *this;
    }
    // A key that no longer exists must not live on in the paths made from this instance.
    const bool wasKey = d.properties[size_t(i)].isKey();
    d.properties.remove(size_t(i));
    if (wasKey)
    {
        d.keys = keysOf(d.properties);
    }
    return *this;
}

CIMInstance& CIMInstance::updatePropertyValue(const CIMProperty& prop)
{
    if (getProperty(prop.getName()))
    {
        setProperty(prop.getName(), prop.getValue());
    }
    return *this;
}

CIMInstance& CIMInstance::updatePropertyValues(const CIMPropertyArray& props)
{
    for (size_t i = 0; i < props.size(); ++i)
    {
        updatePropertyValue(props[i]);
    }
    return *this;
}

CIMPropertyArray CIMInstance::getKeyValuePairs() const
{
    return OW_CIM_READ(m_pdata).keys;
}

CIMInstance& CIMInstance::setKeys(const CIMPropertyArray& keys)
{
    OW_CIM_WRITE(m_pdata).keys = keys;
    return *this;
}

CIMQualifierArray CIMInstance::getQualifiers() const
{
    return OW_CIM_READ(m_pdata).qualifiers;
}

CIMInstance& CIMInstance::setQualifiers(const CIMQualifierArray& quals)
{
    OW_CIM_WRITE(m_pdata).qualifiers = quals;
    return *this;
}

CIMQualifier CIMInstance::getQualifier(const String& qualName) const
{
    const INSTData& d = OW_CIM_READ(m_pdata);
    const long i = cimimpl::findByName(d.qualifiers, qualName);
    return i < 0 ? CIMQualifier(CIMNULL) : d.qualifiers[size_t(i)];
}

CIMInstance& CIMInstance::setQualifier(const CIMQualifier& qual)
{
    INSTData& d = OW_CIM_WRITE(m_pdata);
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

bool CIMInstance::removeQualifier(const String& qualName)
{
    INSTData& d = OW_CIM_WRITE(m_pdata);
    const long i = cimimpl::findByName(d.qualifiers, qualName);
    if (i < 0)
    {
        return false;
    }
    d.qualifiers.remove(size_t(i));
    return true;
}

String CIMInstance::toString() const
{
    const INSTData& d = OW_CIM_READ(m_pdata);
    std::string out = "instance of " + cimimpl::str(d.className) + " {\n";
    for (size_t i = 0; i < d.properties.size(); ++i)
    {
        const CIMValue v = d.properties[i].getValue();
        out += cimimpl::str(d.properties[i].getName()) + " = " +
               (v ? cimimpl::str(v.toString()) : std::string("null")) + ";\n";
    }
    return cimimpl::toOW(out + "}\n");
}

String CIMInstance::toMOF() const
{
    const INSTData& d = OW_CIM_READ(m_pdata);
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
    out += "instance of " + cimimpl::str(d.className) + "\n{\n";
    for (size_t i = 0; i < d.properties.size(); ++i)
    {
        const CIMValue v = d.properties[i].getValue();
        out += "    " + cimimpl::str(d.properties[i].getName()) + " = " +
               (v ? cimimpl::str(v.toMOF()) : std::string("NULL")) + ";\n";
    }
    return cimimpl::toOW(out + "};\n");
}

} // end namespace OpenWBEM
