// The CIM datetime value: either an absolute time with its UTC offset in minutes
// (yyyymmddhhmmss.uuuuuu+UUU) or an interval (ddddddddhhmmss.uuuuuu:000), as CIM values
// carry it, with conversion to and from DateTime and the CIM text form.
// Thread-safety: a plain value; distinct objects may be used concurrently.
#ifndef OW_CIMDATETIME_HPP_INCLUDE_GUARD_
#define OW_CIMDATETIME_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Types.hpp"
#include "OW_CIMNULL.hpp"
#include "OW_CIMException.hpp"
#include "OW_String.hpp"

namespace OpenWBEM
{

class DateTime;

// Thrown for CIM datetime text that is neither absolute nor interval form. It is a
// CIMException (general error) so that a request handler reports it like any other failure.
class CIMDateTimeException : public CIMException
{
public:
    CIMDateTimeException(const char* file, int line, const char* msg);
    virtual ~CIMDateTimeException() throw();
    virtual const char* type() const;
    virtual CIMDateTimeException* clone() const throw();
};

class CIMDateTime
{
    struct Fields
    {
        UInt16 year;
        UInt8 month;
        UInt32 days;
        UInt8 hours;
        UInt8 minutes;
        UInt8 seconds;
        UInt32 microSeconds;
        Int16 utc;
        bool isInterval;
    };
    typedef Fields CIMDateTime::*safe_bool;

public:
    CIMDateTime();
    explicit CIMDateTime(CIMNULL_t);
    CIMDateTime(const CIMDateTime& arg);
    explicit CIMDateTime(const String& arg);
    CIMDateTime(const DateTime& arg);
    explicit CIMDateTime(UInt64 microSeconds);
    ~CIMDateTime();
    CIMDateTime& operator=(const CIMDateTime& arg);

    operator safe_bool() const;
    bool operator!() const;

    UInt16 getYear() const;
    UInt8 getMonth() const;
    UInt32 getDays() const;
    UInt32 getDay() const;
    UInt8 getHours() const;
    UInt8 getMinutes() const;
    UInt8 getSeconds() const;
    UInt32 getMicroSeconds() const;
    Int16 getUtc() const;
    bool isInterval() const;

    CIMDateTime& setYear(UInt16 arg);
    CIMDateTime& setMonth(UInt8 arg);
    CIMDateTime& setDays(UInt32 arg);
    CIMDateTime& setDay(UInt32 arg);
    CIMDateTime& setHours(UInt8 arg);
    CIMDateTime& setMinutes(UInt8 arg);
    CIMDateTime& setSeconds(UInt8 arg);
    CIMDateTime& setMicroSeconds(UInt32 arg);
    CIMDateTime& setUtc(Int16 arg);
    void setInterval(bool val);

    bool equal(const CIMDateTime& arg) const;
    bool operator==(const CIMDateTime& arg) const;
    bool operator!=(const CIMDateTime& arg) const;
    bool operator<(const CIMDateTime& arg) const;
    bool operator>(const CIMDateTime& arg) const;
    bool operator<=(const CIMDateTime& arg) const;
    bool operator>=(const CIMDateTime& arg) const;

    String toString() const;
    DateTime toDateTime() const;

private:
    Fields& fields();
    const Fields& fields() const;

    Fields m_fields;
    bool m_isNull;
};

} // end namespace OpenWBEM

#endif
