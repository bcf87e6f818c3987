// A named, typed CIM property with its value and qualifiers, as held by classes, instances
// and object paths (as keys). A property is a key when it is a reference or carries a true
// Key qualifier.
// Thread-safety: copies are cheap and independent; distinct objects may be used concurrently.
#ifndef OW_CIMPROPERTY_HPP_INCLUDE_GUARD_
#define OW_CIMPROPERTY_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Types.hpp"
#include "OW_CIMElement.hpp"
#include "OW_CIMDataType.hpp"
#include "OW_CIMNULL.hpp"
#include "OW_CIMFwd.hpp"

namespace OpenWBEM
{

class CIMProperty : public CIMElement
{
public:
    CIMProperty();
    explicit CIMProperty(CIMNULL_t);
    explicit CIMProperty(const String& name);
    explicit CIMProperty(const char* name);
    // Takes its data type from the value, which therefore must not be null.
    CIMProperty(const String& name, const CIMValue& value);
    CIMProperty(const String& name, const CIMDataType& dt);
    CIMProperty(const CIMProperty& arg);
    virtual ~CIMProperty();
    CIMProperty& operator=(const CIMProperty& arg);

    virtual void setNull();

    virtual String getName() const;
    virtual void setName(const String& name);

    CIMValue getValue() const;
    // As getValue, but a null value throws NULLValueException naming the property.
    CIMValue getValueT() const;
    // Stores the value as given; the declared data type is left alone.
    CIMProperty& setValue(const CIMValue& val);
    CIMDataType getDataType() const;
    CIMProperty& setDataType(const CIMDataType& type);
    // Also converts a present value to the new type when type or array-ness differ.
    CIMProperty& setDataType(const CIMDataType::Type& type);
    Int32 getSize() const;
    CIMProperty& setDataSize(Int32 size);
    bool isReference() const;
    bool isKey() const;

    String getOriginClass() const;
    CIMProperty& setOriginClass(const String& originCls);
    bool getPropagated() const;
    CIMProperty& setPropagated(bool propagated = true);

    CIMQualifierArray getQualifiers() const;
    CIMProperty& setQualifiers(const CIMQualifierArray& quals);
    // Null qualifier when absent.
    CIMQualifier getQualifier(const String& name) const;
    // Absent: NoSuchQualifierException naming the qualifier.
    CIMQualifier getQualifierT(const String& name) const;
    // Replaces a qualifier of the same name or adds it.
    CIMProperty& setQualifier(const CIMQualifier& qual);
    // A qualifier of the same name already present: CIMException ALREADY_EXISTS.
    CIMProperty& addQualifier(const CIMQualifier& qual);
    bool removeQualifier(const String& name);
    CIMProperty& clearQualifiers();
    CIMProperty& clearNonKeyQualifiers();
    bool hasTrueQualifier(const String& name) const;

    // "<type>:<name>=<value>", e.g. "uint16:N=3".
    virtual String toString() const;
    virtual String toMOF() const;

private:
    struct PROPData;
    struct SafeBoolHelper
    {
        void nonNull() {}
    };
    typedef void (SafeBoolHelper::*safe_bool)();

public:
    operator safe_bool() const { return m_pdata ? &SafeBoolHelper::nonNull : 0; }
    bool operator!() const { return !m_pdata; }

private:
    PROPData* m_pdata;
};

} // end namespace OpenWBEM

#endif
