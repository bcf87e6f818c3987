// The exception a provider throws to answer a CIM request with a CIM status code. Its message
// is the code's standard description, followed by the caller's detail text in parentheses.
// Raise it through OW_THROWCIM / OW_THROWCIMMSG.
// Thread-safety: each CIMException is an independent value.
#ifndef OW_CIMEXCEPTION_HPP_INCLUDE_GUARD_
#define OW_CIMEXCEPTION_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Exception.hpp"

namespace OpenWBEM
{

class CIMException : public Exception
{
public:
    enum ErrNoType
    {
        SUCCESS = 0,
        FAILED = 1,
        ACCESS_DENIED = 2,
        INVALID_NAMESPACE = 3,
        INVALID_PARAMETER = 4,
        INVALID_CLASS = 5,
        NOT_FOUND = 6,
        NOT_SUPPORTED = 7,
        CLASS_HAS_CHILDREN = 8,
        CLASS_HAS_INSTANCES = 9,
        INVALID_SUPERCLASS = 10,
        ALREADY_EXISTS = 11,
        NO_SUCH_PROPERTY = 12,
        TYPE_MISMATCH = 13,
        QUERY_LANGUAGE_NOT_SUPPORTED = 14,
        INVALID_QUERY = 15,
        METHOD_NOT_AVAILABLE = 16,
        METHOD_NOT_FOUND = 17
    };

    CIMException(const char* file, int line, ErrNoType errval, const char* msg = 0);
    CIMException(const CIMException& x);
    CIMException& operator=(CIMException x);
    virtual ~CIMException() throw();
    void swap(CIMException& x);

    ErrNoType getErrNo() const;
    void setErrNo(ErrNoType e);
    virtual const char* type() const;
    virtual const char* getMessage() const;
    virtual CIMException* clone() const throw();

private:
    void composeMessage();

    ErrNoType m_errno;
    std::string m_fullMessage;
};

} // end namespace OpenWBEM

// Both expand to an unqualified CIMException: use them inside namespace OpenWBEM or after
// "using namespace OpenWBEM;". The message must be a const char*.
#define OW_THROWCIM(errval) throw CIMException(__FILE__, __LINE__, (errval))
#define OW_THROWCIMMSG(errval, msg) throw CIMException(__FILE__, __LINE__, (errval), (msg))

#endif
