// CIMException: the full message is composed whenever the status code or text changes, so
// getMessage() and what() only read.
#include "OW_CIMException.hpp"

#include <cstring>
#include <utility>

namespace OpenWBEM
{

namespace
{

// The standard description of each status code, indexed by its value.
constexpr const char* const STATUS_DESCRIPTIONS[] = {
    "no error",
    "general error",
    "Access to CIM resource unavailable to client",
    "namespace does not exist",
    "invalid parameter passed to method",
    "class does not exist",
    "requested object could not be found",
    "requested operation is not supported",
    "operation cannot be done on class with subclasses",
    "operator cannot be done on class with instances",
    "specified superclass does not exist",
    "object already exists",
    "specified property does not exist",
    "value supplied is incompatible with type",
    "query language is not recognized or supported",
    "query is not valid for the specified query language",
    "extrinsic method could not be executed",
    "extrinsic method does not exist",
};

constexpr const char* UNKNOWN_STATUS_DESCRIPTION = "unknown error";

const char* describe(CIMException::ErrNoType e)
{
    const int count =
        static_cast<int>(sizeof(STATUS_DESCRIPTIONS) / sizeof(STATUS_DESCRIPTIONS[0]));
    const int code = static_cast<int>(e);
    return code >= 0 && code < count ? STATUS_DESCRIPTIONS[code] : UNKNOWN_STATUS_DESCRIPTION;
}

} // end unnamed namespace

CIMException::CIMException(const char* file, int line, ErrNoType errval, const char* msg)
    : Exception(UNKNOWN_SUBCLASS_ID, file, line, msg, errval), m_errno(errval)
{
    composeMessage();
}

CIMException::CIMException(const CIMException& x)
    : Exception(x), m_errno(x.m_errno), m_fullMessage(x.m_fullMessage)
{
}

CIMException& CIMException::operator=(CIMException x)
{
    swap(x);
    return *this;
}

CIMException::~CIMException() throw() {}

void CIMException::swap(CIMException& x)
{
    Exception::swap(x);
    std::swap(m_errno, x.m_errno);
    m_fullMessage.swap(x.m_fullMessage);
}

CIMException::ErrNoType CIMException::getErrNo() const
{
    return m_errno;
}

void CIMException::setErrNo(ErrNoType e)
{
    m_errno = e;
    composeMessage();
}

const char* CIMException::type() const
{
    return "CIMException";
}

const char* CIMException::getMessage() const
{
    return m_fullMessage.c_str();
}

CIMException* CIMException::clone() const throw()
{
    try
    {
        return new (std::nothrow) CIMException(*this);
    }
    catch (...)
    {
        return nullptr;
    }
}

void CIMException::composeMessage()
{
    const char* description = describe(m_errno);
    const char* detail = Exception::getMessage();
    if (*detail == '\0')
    {
        m_fullMessage = description;
    }
    else if (std::strncmp(detail, description, std::strlen(description)) == 0)
    {
        // Already carries the description, e.g. a message copied from another CIMException.
        m_fullMessage = detail;
    }
    else
    {
        m_fullMessage = std::string(description) + " (" + detail + ")";
    }
}

} // end namespace OpenWBEM
