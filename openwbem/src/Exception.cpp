// Exception: copies own their text and a clone of the cause, so an exception outlives the
// objects it was raised from.
#include "OW_Exception.hpp"

#include <ostream>
#include <utility>

namespace OpenWBEM
{

const int Exception::UNKNOWN_SUBCLASS_ID;
const int Exception::UNKNOWN_ERROR_CODE;

namespace
{

const char* orEmpty(const char* p)
{
    return p ? p : "";
}

} // end unnamed namespace

Exception::Exception(const char* file, int line, const char* msg)
    : m_file(orEmpty(file)), m_line(line), m_msg(orEmpty(msg)), m_subClassId(UNKNOWN_SUBCLASS_ID),
      m_subException(nullptr), m_errorCode(UNKNOWN_ERROR_CODE)
{
}

Exception::Exception(int subClassId, const char* file, int line, const char* msg, int errorCode,
                     const Exception* otherException)
    : m_file(orEmpty(file)), m_line(line), m_msg(orEmpty(msg)), m_subClassId(subClassId),
      m_subException(otherException ? otherException->clone() : nullptr), m_errorCode(errorCode)
{
}

Exception::Exception(const Exception& e)
    : std::exception(e), m_file(e.m_file), m_line(e.m_line), m_msg(e.m_msg),
      m_subClassId(e.m_subClassId),
      m_subException(e.m_subException ? e.m_subException->clone() : nullptr),
      m_errorCode(e.m_errorCode)
{
}

Exception& Exception::operator=(const Exception& rhs)
{
    Exception copy(rhs);
    swap(copy);
    return *this;
}

void Exception::swap(Exception& x)
{
    std::swap(m_file, x.m_file);
    std::swap(m_line, x.m_line);
    std::swap(m_msg, x.m_msg);
    std::swap(m_subClassId, x.m_subClassId);
    std::swap(m_subException, x.m_subException);
    std::swap(m_errorCode, x.m_errorCode);
}

Exception::~Exception() throw()
{
    delete m_subException;
}

const char* Exception::type() const
{
    return "Exception";
}

const char* Exception::getMessage() const
{
    return m_msg.c_str();
}

const char* Exception::getFile() const
{
    return m_file.c_str();
}

int Exception::getLine() const
{
    return m_line;
}

int Exception::getSubClassId() const
{
    return m_subClassId;
}

const Exception* Exception::getSubException() const
{
    return m_subException;
}

int Exception::getErrorCode() const
{
    return m_errorCode;
}

const char* Exception::what() const throw()
{
    return getMessage();
}

Exception* Exception::clone() const throw()
{
    try
    {
        return new (std::nothrow) Exception(*this);
    }
    catch (...)
    {
        return nullptr;
    }
}

std::ostream& operator<<(std::ostream& os, const Exception& e)
{
    return os << e.getFile() << ": " << e.getLine() << " " << e.type() << ": " << e.getMessage();
}

} // end namespace OpenWBEM
