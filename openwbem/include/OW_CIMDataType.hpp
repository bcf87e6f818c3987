// The type of a CIM property, qualifier or value: one of the CIM intrinsic types, optionally
// an array (of unlimited or fixed size), or a reference to a named class.
// Thread-safety: a value; distinct objects may be used concurrently, const ones shared.
#ifndef OW_CIMDATATYPE_HPP_INCLUDE_GUARD_
#define OW_CIMDATATYPE_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Types.hpp"
#include "OW_CIMBase.hpp"
#include "OW_CIMNULL.hpp"
#include "OW_CIMFwd.hpp"

namespace OpenWBEM
{

class CIMDataType : public CIMBase
{
public:
    // The numbering is part of the interface: it is what a value's type reports.
    enum Type
    {
        CIMNULL = 0,
        UINT8 = 1,
        SINT8 = 2,
        UINT16 = 3,
        SINT16 = 4,
        UINT32 = 5,
        SINT32 = 6,
        UINT64 = 7,
        SINT64 = 8,
        STRING = 9,
        BOOLEAN = 10,
        REAL32 = 11,
        REAL64 = 12,
        DATETIME = 13,
        CHAR16 = 14,
        REFERENCE = 15,
        EMBEDDEDCLASS = 16,
        EMBEDDEDINSTANCE = 17,
        MAXDATATYPE = 18,
        INVALID = 99
    };

    CIMDataType();
    explicit CIMDataType(CIMNULL_t);
    CIMDataType(Type type);
    // An array type; size 0 means unlimited.
    CIMDataType(Type type, Int32 size);
    // A reference to instances of the named class.
    explicit CIMDataType(const String& refClassName);
    CIMDataType(const CIMDataType& arg);
    virtual ~CIMDataType();
    CIMDataType& operator=(const CIMDataType& arg);

    virtual void setNull();

    Type getType() const;
    bool isArrayType() const;
    bool isNumericType() const;
    static bool isNumericType(Type type);
    bool isReferenceType() const;
    // -1 for a non-array type, 0 for an unlimited array, else the fixed size.
    Int32 getSize() const;
    bool setToArrayType(Int32 size);
    String getRefClassName() const;
    bool syncWithValue(const CIMValue& value);
    bool equals(const CIMDataType& arg) const;

    virtual String toString() const;
    virtual String toMOF() const;

    // Case-insensitive CIM type name ("uint8" ... "datetime"); anything else gives INVALID.
    static Type strToSimpleType(const String& strType);
    static CIMDataType getDataType(const String& strType);

private:
    struct DTData;
    struct SafeBoolHelper
    {
        void nonNull() {}
    };
    typedef void (SafeBoolHelper::*safe_bool)();

public:
    operator safe_bool() const { return m_pdata ? &SafeBoolHelper::nonNull : 0; }
    bool operator!() const { return !m_pdata; }

private:
    DTData* m_pdata;
};

} // end namespace OpenWBEM

#endif
