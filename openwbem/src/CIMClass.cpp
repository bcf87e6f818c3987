// CIMClass: a class definition with its properties and qualifiers, and the instances made
// from it.
#include "OW_config.h"
#include "OW_CIMClass.hpp"
#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMQualifier.hpp"
#include "OW_CIMValue.hpp"
#include "OW_String.hpp"
#include "CIMImpl.hpp"

#include <string>

namespace OpenWBEM
{

struct CIMClass::CLSData : public cimimpl::Shared
{
    explicit CLSData(const String& n) : name(n) {}

    String name;
    String superClass;
    CIMPropertyArray properties;
    CIMQualifierArray qualifiers;
};

namespace
{

bool hasTrueQualifier(const CIMQualifierArray& quals, const char* name)
{
    const long i = cimimpl::findByName(quals, String(name));
    if (i < 0)
    {
        return false;
    }
    const CIMValue v = quals[size_t(i)].getValue();
    return v && v.getType() == CIMDataType::BOOLEAN && !v.isArray() && bool(v.toBool());
}

template <class T> void replaceOrAppend(Array<T>& seq, const T& item)
{
    const long i = cimimpl::findByName(seq, item.getName());
    if (i < 0)
    {
        seq.append(item);
    }
    else
    {
        seq[size_t(i)] = item;
    }
}

template <class T> bool removeNamed(Array<T>& seq, const String& name)
{
    const long i = cimimpl::findByName(seq, name);
    if (i < 0)
    {
        return false;
    }
    seq.remove(size_t(i));
    return true;
}

template <class T> void appendNew(Array<T>& seq, const T& item, const char* what)
{
    if (cimimpl::findByName(seq, item.getName()) >= 0)
    {
        const std::string msg =
            std::string(what) + " " + cimimpl::str(item.getName()) + " already exists";
        OW_THROWCIMMSG(CIMException::ALREADY_EXISTS, msg.c_str());
    }
    seq.append(item);
}

} // end anonymous namespace

CIMClass::CIMClass() : m_pdata(new CLSData(String())) {}

CIMClass::CIMClass(CIMNULL_t) : m_pdata(nullptr) {}

CIMClass::CIMClass(const String& name) : m_pdata(new CLSData(name)) {}

CIMClass::CIMClass(const char* name) : m_pdata(new CLSData(String(name))) {}

CIMClass::CIMClass(const CIMClass& x) : CIMElement(), m_pdata(cimimpl::share(x.m_pdata)) {}

CIMClass::~CIMClass()
{
    cimimpl::release(m_pdata);
}

CIMClass& CIMClass::operator=(const CIMClass& x)
{
    cimimpl::assign(m_pdata, x.m_pdata);
    return *this;
}

void CIMClass::setNull()
{
    cimimpl::release(m_pdata);
}

String CIMClass::getName() const
{
    return OW_CIM_READ(m_pdata).name;
}

void CIMClass::setName(const String& name)
{
    OW_CIM_WRITE(m_pdata).name = name;
}

String CIMClass::getSuperClass() const
{
    return OW_CIM_READ(m_pdata).superClass;
}

CIMClass& CIMClass::setSuperClass(const String& pname)
{
    OW_CIM_WRITE(m_pdata).superClass = pname;
    return *this;
}

bool CIMClass::isAssociation() const
{
    return hasTrueQualifier(OW_CIM_READ(m_pdata).qualifiers, CIMQualifier::CIM_QUAL_ASSOCIATION);
}

// Association-ness is carried by the Association qualifier alone, so the two never disagree.
CIMClass& CIMClass::setIsAssociation(bool isAssocFlag)
{
    CLSData& d = OW_CIM_WRITE(m_pdata);
    CIMQualifier q(CIMQualifier::CIM_QUAL_ASSOCIATION);
    q.setValue(CIMValue(Bool(isAssocFlag)));
    replaceOrAppend(d.qualifiers, q);
    return *this;
}

bool CIMClass::isAbstract() const
{
    return hasTrueQualifier(OW_CIM_READ(m_pdata).qualifiers, CIMQualifier::CIM_QUAL_ABSTRACT);
}

bool CIMClass::isKeyed() const
{
    return !getKeys().empty();
}

CIMPropertyArray CIMClass::getKeys() const
{
    const CLSData& d = OW_CIM_READ(m_pdata);
    CIMPropertyArray keys;
    for (size_t i = 0; i < d.properties.size(); ++i)
    {
        if (d.properties[i].isKey())
        {
            keys.append(d.properties[i]);
        }
    }
    return keys;
}

CIMPropertyArray CIMClass::getAllProperties() const
{
    return OW_CIM_READ(m_pdata).properties;
}

CIMProperty CIMClass::getProperty(const String& name) const
{
    const CLSData& d = OW_CIM_READ(m_pdata);
    const long i = cimimpl::findByName(d.properties, name);
    return i < 0 ? CIMProperty(CIMNULL) : d.properties[size_t(i)];
}

CIMProperty CIMClass::getProperty(const String& name, const String& originClass) const
{
    const CLSData& d = OW_CIM_READ(m_pdata);
    for (size_t i = 0; i < d.properties.size(); ++i)
    {
        const CIMProperty& p = d.properties[i];
        if (p.getName().equalsIgnoreCase(name) && p.getOriginClass().equalsIgnoreCase(originClass))
        {
            return p;
        }
    }
    return CIMProperty(CIMNULL);
}

int CIMClass::numberOfProperties() const
{
    return int(OW_CIM_READ(m_pdata).properties.size());
}

CIMClass& CIMClass::addProperty(const CIMProperty& prop)
{
    appendNew(OW_CIM_WRITE(m_pdata).properties, prop, "Property");
    return *this;
}

CIMClass& CIMClass::setProperty(const CIMProperty& prop)
{
    replaceOrAppend(OW_CIM_WRITE(m_pdata).properties, prop);
    return *this;
}

CIMClass& CIMClass::setProperties(const CIMPropertyArray& props)
{
    OW_CIM_WRITE(m_pdata).properties = props;
    return *this;
}

bool CIMClass::removeProperty(const String& name)
{
    return removeNamed(OW_CIM_WRITE(m_pdata).properties, name);
}

CIMQualifierArray CIMClass::getQualifiers() const
{
    return OW_CIM_READ(m_pdata).qualifiers;
}

CIMQualifier CIMClass::getQualifier(const String& name) const
{
    const CLSData& d = OW_CIM_READ(m_pdata);
    const long i = cimimpl::findByName(d.qualifiers, name);
    return i < 0 ? CIMQualifier(CIMNULL) : d.qualifiers[size_t(i)];
}

int CIMClass::numberOfQualifiers() const
{
    return int(OW_CIM_READ(m_pdata).qualifiers.size());
}

CIMClass& CIMClass::addQualifier(const CIMQualifier& qual)
{
    appendNew(OW_CIM_WRITE(m_pdata).qualifiers, qual, "Qualifier");
    return *this;
}

CIMClass& CIMClass::setQualifier(const CIMQualifier& qual)
{
    replaceOrAppend(OW_CIM_WRITE(m_pdata).qualifiers, qual);
    return *this;
}

CIMClass& CIMClass::setQualifiers(const CIMQualifierArray& quals)
{
    OW_CIM_WRITE(m_pdata).qualifiers = quals;
    return *this;
}

bool CIMClass::removeQualifier(const String& name)
{
    return removeNamed(OW_CIM_WRITE(m_pdata).qualifiers, name);
}

// The properties keep their qualifiers, so the class's key properties become the new
// instance's keys.
CIMInstance CIMClass::newInstance() const
{
    const CLSData& d = OW_CIM_READ(m_pdata);
    CIMInstance inst(d.name);
    inst.setProperties(d.properties);
    return inst;
}

String CIMClass::toString() const
{
    return toMOF();
}

String CIMClass::toMOF() const
{
    const CLSData& d = OW_CIM_READ(m_pdata);
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
    out += "class " + cimimpl::str(d.name);
    if (!d.superClass.empty())
    {
        out += " : " + cimimpl::str(d.superClass);
    }
    out += "\n{\n";
    for (size_t i = 0; i < d.properties.size(); ++i)
    {
        out += cimimpl::str(d.properties[i].toMOF());
    }
    return cimimpl::toOW(out + "};\n");
}

} // end namespace OpenWBEM
