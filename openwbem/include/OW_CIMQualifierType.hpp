// The declaration of a CIM qualifier: its name, data type and default value, from which
// qualifiers on classes, instances and properties take their defaults.
// Thread-safety: copies are cheap and independent; distinct objects may be used concurrently.
#ifndef OW_CIMQUALIFIERTYPE_HPP_INCLUDE_GUARD_
#define OW_CIMQUALIFIERTYPE_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_CIMElement.hpp"
#include "OW_CIMDataType.hpp"
#include "OW_CIMNULL.hpp"
#include "OW_CIMFwd.hpp"

namespace OpenWBEM
{

class CIMQualifierType : public CIMElement
{
public:
    CIMQualifierType();
    explicit CIMQualifierType(CIMNULL_t);
    explicit CIMQualifierType(const String& name);
    explicit CIMQualifierType(const char* name);
    CIMQualifierType(const CIMQualifierType& arg);
    virtual ~CIMQualifierType();
    CIMQualifierType& operator=(const CIMQualifierType& arg);

    virtual void setNull();

    virtual String getName() const;
    virtual void setName(const String& name);

    CIMDataType getDataType() const;
    CIMQualifierType& setDataType(const CIMDataType& dataType);
    CIMQualifierType& setDataType(const CIMDataType::Type& dataType);
    CIMValue getDefaultValue() const;
    CIMQualifierType& setDefaultValue(const CIMValue& defValue);

    virtual String toString() const;
    virtual String toMOF() const;

private:
    struct QUALTData;
    struct SafeBoolHelper
    {
        void nonNull() {}
    };
    typedef void (SafeBoolHelper::*safe_bool)();

public:
    operator safe_bool() const { return m_pdata ? &SafeBoolHelper::nonNull : 0; }
    bool operator!() const { return !m_pdata; }

private:
    QUALTData* m_pdata;
};

} // end namespace OpenWBEM

#endif
