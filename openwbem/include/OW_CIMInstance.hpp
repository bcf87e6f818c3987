// A CIM instance: a class name, properties looked up without regard to case, qualifiers, and
// a separate list of key properties from which the instance's object path is made. Setting
// a property only touches that key list when the property itself is a key.
// Thread-safety: copies are cheap and independent; distinct objects may be used concurrently.
#ifndef OW_CIMINSTANCE_HPP_INCLUDE_GUARD_
#define OW_CIMINSTANCE_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Types.hpp"
#include "OW_CIMElement.hpp"
#include "OW_CIMDataType.hpp"
#include "OW_CIMNULL.hpp"
#include "OW_CIMFwd.hpp"

namespace OpenWBEM
{

class CIMInstance : public CIMElement
{
public:
    CIMInstance();
    explicit CIMInstance(CIMNULL_t);
    explicit CIMInstance(const String& name);
    explicit CIMInstance(const char* name);
    CIMInstance(const CIMInstance& x);
    virtual ~CIMInstance();
    CIMInstance& operator=(const CIMInstance& x);

    virtual void setNull();

    String getClassName() const;
    CIMInstance& setClassName(const String& name);
    // The name of an instance is its class name.
    virtual String getName() const;
    virtual void setName(const String& name);

    // All properties, or only those whose value has the given type.
    CIMPropertyArray getProperties(Int32 valueDataType = CIMDataType::INVALID) const;
    // Replaces all properties; the keys become those of them that are keys.
    CIMInstance& setProperties(const CIMPropertyArray& props);
    // Case-insensitive; absent (or an empty name): a null property.
    CIMProperty getProperty(const String& name) const;
    CIMProperty getProperty(const String& name, const String& originClass) const;
    // Absent: NoSuchPropertyException naming the property.
    CIMProperty getPropertyT(const String& name) const;
    // Absent: a null value.
    CIMValue getPropertyValue(const String& name) const;
    bool propertyHasValue(const String& name) const;
    // An existing property only gets the new value; a new one takes the value's type and is
    // not a key.
    CIMInstance& setProperty(const String& name, const CIMValue& cv);
    // Replaces a property of the same name or adds it; a key property also updates the keys.
    CIMInstance& setProperty(const CIMProperty& prop);
    CIMInstance& removeProperty(const String& propName);
    // Only properties that already exist get their values updated.
    CIMInstance& updatePropertyValue(const CIMProperty& prop);
    CIMInstance& updatePropertyValues(const CIMPropertyArray& props);

    CIMPropertyArray getKeyValuePairs() const;
    CIMInstance& setKeys(const CIMPropertyArray& keys);

    CIMQualifierArray getQualifiers() const;
    CIMInstance& setQualifiers(const CIMQualifierArray& quals);
    CIMQualifier getQualifier(const String& qualName) const;
    CIMInstance& setQualifier(const CIMQualifier& qual);
    bool removeQualifier(const String& qualName);

    // "instance of <Class> {\n" + "<name> = <value>;\n" per property + "}\n".
    virtual String toString() const;
    virtual String toMOF() const;

private:
    struct INSTData;
    struct SafeBoolHelper
    {
        void nonNull() {}
    };
    typedef void (SafeBoolHelper::*safe_bool)();

public:
    operator safe_bool() const { return m_pdata ? &SafeBoolHelper::nonNull : 0; }
    bool operator!() const { return !m_pdata; }

private:
    INSTData* m_pdata;
};

} // end namespace OpenWBEM

#endif
