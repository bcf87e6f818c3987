// A CIM class definition: name, superclass, qualifiers and properties (with their default
// values); the template from which new instances are made.
// Thread-safety: copies are cheap and independent; distinct objects may be used concurrently.
#ifndef OW_CIMCLASS_HPP_INCLUDE_GUARD_
#define OW_CIMCLASS_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Types.hpp"
#include "OW_CIMElement.hpp"
#include "OW_CIMNULL.hpp"
#include "OW_CIMFwd.hpp"

namespace OpenWBEM
{

class CIMClass : public CIMElement
{
public:
    CIMClass();
    explicit CIMClass(CIMNULL_t);
    explicit CIMClass(const String& name);
    explicit CIMClass(const char* name);
    CIMClass(const CIMClass& x);
    virtual ~CIMClass();
    CIMClass& operator=(const CIMClass& x);

    virtual void setNull();

    virtual String getName() const;
    virtual void setName(const String& name);
    // Empty for a root class.
    String getSuperClass() const;
    CIMClass& setSuperClass(const String& pname);

    bool isAssociation() const;
    CIMClass& setIsAssociation(bool isAssocFlag);
    bool isAbstract() const;
    bool isKeyed() const;
    CIMPropertyArray getKeys() const;

    CIMPropertyArray getAllProperties() const;
    // Case-insensitive; absent: a null property.
    CIMProperty getProperty(const String& name) const;
    CIMProperty getProperty(const String& name, const String& originClass) const;
    int numberOfProperties() const;
    CIMClass& addProperty(const CIMProperty& prop);
    // Replaces a property of the same name or adds it.
    CIMClass& setProperty(const CIMProperty& prop);
    CIMClass& setProperties(const CIMPropertyArray& props);
    bool removeProperty(const String& name);

    CIMQualifierArray getQualifiers() const;
    CIMQualifier getQualifier(const String& name) const;
    int numberOfQualifiers() const;
    CIMClass& addQualifier(const CIMQualifier& qual);
    CIMClass& setQualifier(const CIMQualifier& qual);
    CIMClass& setQualifiers(const CIMQualifierArray& quals);
    bool removeQualifier(const String& name);

    // An instance of this class holding copies of its properties with their default values.
    CIMInstance newInstance() const;

    virtual String toString() const;
    virtual String toMOF() const;

private:
    struct CLSData;
    struct SafeBoolHelper
    {
        void nonNull() {}
    };
    typedef void (SafeBoolHelper::*safe_bool)();

public:
    operator safe_bool() const { return m_pdata ? &SafeBoolHelper::nonNull : 0; }
    bool operator!() const { return !m_pdata; }

private:
    CLSData* m_pdata;
};

} // end namespace OpenWBEM

#endif
