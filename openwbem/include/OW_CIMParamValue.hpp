// A named argument of an extrinsic method call: the in- and out-parameters a method provider
// receives and fills.
// Thread-safety: copies are cheap and independent; distinct objects may be used concurrently.
#ifndef OW_CIMPARAMVALUE_HPP_INCLUDE_GUARD_
#define OW_CIMPARAMVALUE_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_CIMBase.hpp"
#include "OW_CIMNULL.hpp"
#include "OW_CIMFwd.hpp"

namespace OpenWBEM
{

class CIMParamValue : public CIMBase
{
public:
    CIMParamValue();
    explicit CIMParamValue(CIMNULL_t);
    CIMParamValue(const String& name, const CIMValue& val);
    // The value is null.
    explicit CIMParamValue(const String& name);
    CIMParamValue(const CIMParamValue& arg);
    virtual ~CIMParamValue();
    CIMParamValue& operator=(const CIMParamValue& arg);

    virtual void setNull();

    String getName() const;
    CIMParamValue& setName(const String& name);
    CIMValue getValue() const;
    CIMParamValue& setValue(const CIMValue& val);

    // "CIMParamValue(<name>): <value>".
    virtual String toString() const;
    virtual String toMOF() const;

private:
    struct Data;
    struct SafeBoolHelper
    {
        void nonNull() {}
    };
    typedef void (SafeBoolHelper::*safe_bool)();

public:
    operator safe_bool() const { return m_pdata ? &SafeBoolHelper::nonNull : 0; }
    bool operator!() const { return !m_pdata; }

private:
    Data* m_pdata;
};

} // end namespace OpenWBEM

#endif
