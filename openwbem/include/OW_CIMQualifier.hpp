// A CIM qualifier (Key, Description, ...) attached to a class, instance or property: a name,
// a value, and the declaration (qualifier type) it was made from.
// Thread-safety: copies are cheap and independent; distinct objects may be used concurrently.
#ifndef OW_CIMQUALIFIER_HPP_INCLUDE_GUARD_
#define OW_CIMQUALIFIER_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_CIMElement.hpp"
#include "OW_CIMNULL.hpp"
#include "OW_CIMFwd.hpp"

namespace OpenWBEM
{

class CIMQualifier : public CIMElement
{
public:
    // Names of the standard qualifiers this layer itself looks at.
    static const char* const CIM_QUAL_ABSTRACT;
    static const char* const CIM_QUAL_ASSOCIATION;
    static const char* const CIM_QUAL_DESCRIPTION;
    static const char* const CIM_QUAL_IN;
    static const char* const CIM_QUAL_INDICATION;
    static const char* const CIM_QUAL_KEY;
    static const char* const CIM_QUAL_OUT;
    static const char* const CIM_QUAL_PROVIDER;
    static const char* const CIM_QUAL_REQUIRED;

    // The qualifier "Key" with the boolean value true.
    static CIMQualifier createKeyQualifier();

    CIMQualifier();
    explicit CIMQualifier(CIMNULL_t);
    CIMQualifier(const String& name);
    CIMQualifier(const char* name);
    CIMQualifier(const String& name, const CIMQualifierType& cgt);
    explicit CIMQualifier(const CIMQualifierType& cgt);
    CIMQualifier(const CIMQualifier& arg);
    virtual ~CIMQualifier();
    CIMQualifier& operator=(const CIMQualifier& arg);

    virtual void setNull();

    virtual String getName() const;
    virtual void setName(const String& name);

    bool hasValue() const;
    CIMValue getValue() const;
    // As getValue, but a null value throws NULLValueException naming the qualifier.
    CIMValue getValueT() const;
    CIMQualifier& setValue(const CIMValue& value);
    // True for a Key qualifier whose value is boolean true.
    bool isKeyValue() const;

    CIMQualifier& setDefaults(const CIMQualifierType& qtype);
    CIMQualifierType getDefaults() const;
    bool getPropagated() const;
    CIMQualifier& setPropagated(bool propagated = true);

    virtual String toString() const;
    virtual String toMOF() const;

private:
    struct QUALData;
    struct SafeBoolHelper
    {
        void nonNull() {}
    };
    typedef void (SafeBoolHelper::*safe_bool)();

public:
    operator safe_bool() const { return m_pdata ? &SafeBoolHelper::nonNull : 0; }
    bool operator!() const { return !m_pdata; }

private:
    QUALData* m_pdata;
};

} // end namespace OpenWBEM

#endif
