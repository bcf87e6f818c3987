// Root of the library's exception hierarchy: every error the API reports carries the source
// position that raised it, a message, an error code and, optionally, the exception that caused
// it. OW_DECLARE_EXCEPTION makes a complete subclass in one line.
// Thread-safety: each Exception is an independent value; no state is shared between objects.
#ifndef OW_EXCEPTION_HPP_INCLUDE_GUARD_
#define OW_EXCEPTION_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include <exception>
#include <iosfwd>
#include <new>
#include <string>

namespace OpenWBEM
{

class Exception : public std::exception
{
protected:
    Exception(const char* file, int line, const char* msg) OW_DEPRECATED;
    Exception(int subClassId, const char* file, int line, const char* msg, int errorCode,
              const Exception* otherException = 0);
    void swap(Exception& x);

public:
    Exception(const Exception& e);
    Exception& operator=(const Exception& rhs);
    virtual ~Exception() throw();

    virtual const char* type() const;
    // Empty text, never a null pointer, when the exception was raised without a message.
    virtual const char* getMessage() const;
    const char* getFile() const;
    int getLine() const;
    int getSubClassId() const;
    const Exception* getSubException() const;
    int getErrorCode() const;
    virtual const char* what() const throw();
    // Returns 0 if memory for the copy cannot be had, so it may be called while unwinding.
    virtual Exception* clone() const throw();

    static const int UNKNOWN_SUBCLASS_ID = -1;
    static const int UNKNOWN_ERROR_CODE = -1;

private:
    std::string m_file;
    int m_line;
    std::string m_msg;
    int m_subClassId;
    Exception* m_subException;
    int m_errorCode;
};

// Writes "<file>: <line> <type>: <message>".
std::ostream& operator<<(std::ostream& os, const Exception& e);

} // end namespace OpenWBEM

// Throws exType built from the current source position and a const char* message.
#define OW_THROW(exType, msg) throw exType(__FILE__, __LINE__, (msg))

// Declares NAMEException, a direct subclass of Exception whose type() is "NAMEException".
// Every member is defined here, so no separate definition is needed anywhere.
#define OW_DECLARE_EXCEPTION(NAME)                                                                 \
    class NAME##Exception : public ::OpenWBEM::Exception                                           \
    {                                                                                              \
    public:                                                                                        \
        NAME##Exception(const char* file, int line, const char* msg,                               \
                        int errorCode = ::OpenWBEM::Exception::UNKNOWN_ERROR_CODE,                 \
                        const ::OpenWBEM::Exception* otherException = 0)                           \
            : ::OpenWBEM::Exception(::OpenWBEM::Exception::UNKNOWN_SUBCLASS_ID, file, line, msg,   \
                                    errorCode, otherException)                                     \
        {                                                                                          \
        }                                                                                          \
        virtual ~NAME##Exception() throw() {}                                                      \
        virtual const char* type() const { return #NAME "Exception"; }                             \
        virtual NAME##Exception* clone() const throw()                                             \
        {                                                                                          \
            try                                                                                    \
            {                                                                                      \
                return new (std::nothrow) NAME##Exception(*this);                                  \
            }                                                                                      \
            catch (...)                                                                            \
            {                                                                                      \
                return 0;                                                                          \
            }                                                                                      \
        }                                                                                          \
    }

#endif
