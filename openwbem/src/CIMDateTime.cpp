// CIMDateTime: CIM datetime text in and out, and conversion from and to DateTime.
#include "OW_config.h"
#include "OW_CIMDateTime.hpp"
#include "OW_DateTime.hpp"
#include "DateTimeParser.hpp"
#include "NullExceptions.hpp"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace OpenWBEM
{

namespace
{

const UInt64 kMicrosecondsPerSecond = 1000000;
const UInt64 kSecondsPerMinute = 60;
const UInt64 kMinutesPerHour = 60;
const UInt64 kHoursPerDay = 24;
const UInt64 kMicrosecondsPerMinute = kMicrosecondsPerSecond * kSecondsPerMinute;
const UInt64 kMicrosecondsPerHour = kMicrosecondsPerMinute * kMinutesPerHour;
const UInt64 kMicrosecondsPerDay = kMicrosecondsPerHour * kHoursPerDay;
// Wide enough for every field at its type's maximum.
const size_t kCimTextBufferBytes = 64;

const char* const kInvalidFormatMessage = "Invalid format for date time";

// One field of CIM datetime text, read the lenient way: leading digits count, anything else
// (a '*' wildcard, a short string) reads as zero.
long field(const std::string& text, size_t pos, size_t len)
{
    if (pos >= text.size())
    {
        return 0;
    }
    const std::string part = text.substr(pos, len);
    return std::strtol(part.c_str(), 0, 10);
}


} // namespace

CIMDateTimeException::CIMDateTimeException(const char* file, int line, const char* msg)
    : CIMException(file, line, CIMException::FAILED, msg)
{
}

CIMDateTimeException::~CIMDateTimeException() throw() {}

const char* CIMDateTimeException::type() const
{
    return "CIMDateTimeException";
}

CIMDateTimeException* CIMDateTimeException::clone() const throw()
{
    try
    {
        return new (std::nothrow) CIMDateTimeException(*this);
    }
    catch (...)
    {
        // Copying the message text can fail for want of memory; clone reports that as 0.
        return 0;
    }
}

CIMDateTime::CIMDateTime() : m_isNull(false)
{
    m_fields = Fields();
    m_fields.isInterval = true;
}

CIMDateTime::CIMDateTime(CIMNULL_t) : m_isNull(true)
{
    m_fields = Fields();
}

CIMDateTime::CIMDateTime(const CIMDateTime& arg) : m_fields(arg.m_fields), m_isNull(arg.m_isNull) {}

CIMDateTime::CIMDateTime(const String& arg) : m_isNull(false)
{
    m_fields = Fields();
    const std::string text(arg.c_str(), arg.length());
    if (text.empty())
    {
        return;
    }
    const char kind = text.size() > dtparse::kCimSignIndex ? text[dtparse::kCimSignIndex] : '\0';
    if (kind == ':')
    {
        m_fields.isInterval = true;
        m_fields.days = static_cast<UInt32>(field(text, 0, 8));
    }
    else if (kind == '+' || kind == '-')
    {
        m_fields.year = static_cast<UInt16>(field(text, 0, 4));
        m_fields.month = static_cast<UInt8>(field(text, 4, 2));
        m_fields.days = static_cast<UInt32>(field(text, 6, 2));
        m_fields.utc = static_cast<Int16>(field(text, 21, 4));
    }
    else
    {
        OW_THROW(CIMDateTimeException, kInvalidFormatMessage);
    }
    m_fields.hours = static_cast<UInt8>(field(text, 8, 2));
    m_fields.minutes = static_cast<UInt8>(field(text, 10, 2));
    m_fields.seconds = static_cast<UInt8>(field(text, 12, 2));
    m_fields.microSeconds = static_cast<UInt32>(field(text, 15, 6));
}

// The offset is that of the date itself, in minutes, so summer dates and half-hour zones
// convert exactly. (The earlier library used today's offset rounded to whole hours, which
// put dates of the other DST season an hour off and Kolkata dates 30 minutes off.)
CIMDateTime::CIMDateTime(const DateTime& arg) : m_isNull(false)
{
    struct tm local;
    if (!dtparse::breakDown(arg.get(), false, local))
    {
        OW_THROW(DateTimeException, "Invalid DateTime: time value cannot be broken down");
    }
    m_fields = Fields();
    m_fields.year = static_cast<UInt16>(local.tm_year + dtparse::kTmBaseYear);
    m_fields.month = static_cast<UInt8>(local.tm_mon + 1);
    m_fields.days = static_cast<UInt32>(local.tm_mday);
    m_fields.hours = static_cast<UInt8>(local.tm_hour);
    m_fields.minutes = static_cast<UInt8>(local.tm_min);
    m_fields.seconds = static_cast<UInt8>(local.tm_sec);
    m_fields.microSeconds = arg.getMicrosecond();
    m_fields.utc = static_cast<Int16>(local.tm_gmtoff / static_cast<long>(kSecondsPerMinute));
    m_fields.isInterval = false;
}

CIMDateTime::CIMDateTime(UInt64 microSeconds) : m_isNull(false)
{
    m_fields = Fields();
    m_fields.isInterval = true;
    m_fields.days = static_cast<UInt32>(microSeconds / kMicrosecondsPerDay);
    m_fields.hours = static_cast<UInt8>(microSeconds / kMicrosecondsPerHour % kHoursPerDay);
    m_fields.minutes = static_cast<UInt8>(microSeconds / kMicrosecondsPerMinute % kMinutesPerHour);
    m_fields.seconds =
        static_cast<UInt8>(microSeconds / kMicrosecondsPerSecond % kSecondsPerMinute);
    m_fields.microSeconds = static_cast<UInt32>(microSeconds % kMicrosecondsPerSecond);
}

CIMDateTime::~CIMDateTime() {}

CIMDateTime& CIMDateTime::operator=(const CIMDateTime& arg)
{
    m_fields = arg.m_fields;
    m_isNull = arg.m_isNull;
    return *this;
}

// A null value behaves as the library's other null CIM objects do: any use of its contents
// is an error, not a silent zero.
CIMDateTime::Fields& CIMDateTime::fields()
{
    if (m_isNull)
    {
        throwNULLCOWReference(__FILE__, __LINE__);
    }
    return m_fields;
}

const CIMDateTime::Fields& CIMDateTime::fields() const
{
    if (m_isNull)
    {
        throwNULLCOWReference(__FILE__, __LINE__);
    }
    return m_fields;
}

CIMDateTime::operator safe_bool() const
{
    return !*this ? 0 : &CIMDateTime::m_fields;
}

bool CIMDateTime::operator!() const
{
    if (m_isNull)
    {
        return true;
    }
    const Fields& f = m_fields;
    return f.year == 0 && f.month == 0 && f.days == 0 && f.hours == 0 && f.minutes == 0 &&
           f.seconds == 0 && f.microSeconds == 0 && f.utc == 0;
}

UInt16 CIMDateTime::getYear() const
{
    return fields().year;
}

UInt8 CIMDateTime::getMonth() const
{
    return fields().month;
}

UInt32 CIMDateTime::getDays() const
{
    return fields().days;
}

UInt32 CIMDateTime::getDay() const
{
    return fields().days;
}

UInt8 CIMDateTime::getHours() const
{
    return fields().hours;
}

UInt8 CIMDateTime::getMinutes() const
{
    return fields().minutes;
}

UInt8 CIMDateTime::getSeconds() const
{
    return fields().seconds;
}

UInt32 CIMDateTime::getMicroSeconds() const
{
    return fields().microSeconds;
}

Int16 CIMDateTime::getUtc() const
{
    return fields().utc;
}

bool CIMDateTime::isInterval() const
{
    return fields().isInterval;
}

CIMDateTime& CIMDateTime::setYear(UInt16 arg)
{
    fields().year = arg;
    return *this;
}

CIMDateTime& CIMDateTime::setMonth(UInt8 arg)
{
    fields().month = arg;
    return *this;
}

CIMDateTime& CIMDateTime::setDays(UInt32 arg)
{
    fields().days = arg;
    return *this;
}

CIMDateTime& CIMDateTime::setDay(UInt32 arg)
{
    fields().days = arg;
    return *this;
}

CIMDateTime& CIMDateTime::setHours(UInt8 arg)
{
    fields().hours = arg;
    return *this;
}

CIMDateTime& CIMDateTime::setMinutes(UInt8 arg)
{
    fields().minutes = arg;
    return *this;
}

CIMDateTime& CIMDateTime::setSeconds(UInt8 arg)
{
    fields().seconds = arg;
    return *this;
}

CIMDateTime& CIMDateTime::setMicroSeconds(UInt32 arg)
{
    fields().microSeconds = arg;
    return *this;
}

CIMDateTime& CIMDateTime::setUtc(Int16 arg)
{
    fields().utc = arg;
    return *this;
}

void CIMDateTime::setInterval(bool val)
{
    fields().isInterval = val;
}

// Field-for-field identity: the same instant written with two different offsets is not
// "equal" here, while the ordering operators compare instants.
bool CIMDateTime::equal(const CIMDateTime& arg) const
{
    if (m_isNull || arg.m_isNull)
    {
        return m_isNull == arg.m_isNull;
    }
    const Fields& a = m_fields;
    const Fields& b = arg.m_fields;
    return a.year == b.year && a.month == b.month && a.days == b.days && a.hours == b.hours &&
           a.minutes == b.minutes && a.seconds == b.seconds && a.microSeconds == b.microSeconds &&
           a.utc == b.utc && a.isInterval == b.isInterval;
}

bool CIMDateTime::operator==(const CIMDateTime& arg) const
{
    return equal(arg);
}

bool CIMDateTime::operator!=(const CIMDateTime& arg) const
{
    return !equal(arg);
}

// Ordering goes through DateTime, as in the library providers were written against: an
// interval on either side has no DateTime and throws the conversion's DateTimeException.
bool CIMDateTime::operator<(const CIMDateTime& arg) const
{
    return toDateTime() < arg.toDateTime();
}

bool CIMDateTime::operator>(const CIMDateTime& arg) const
{
    return arg < *this;
}

bool CIMDateTime::operator<=(const CIMDateTime& arg) const
{
    return !(arg < *this);
}

bool CIMDateTime::operator>=(const CIMDateTime& arg) const
{
    return !(*this < arg);
}

String CIMDateTime::toString() const
{
    const Fields& f = fields();
    char text[kCimTextBufferBytes];
    if (f.isInterval)
    {
        std::snprintf(text, sizeof(text), "%08u%02u%02u%02u.%06u:000", f.days, f.hours, f.minutes,
                      f.seconds, f.microSeconds);
    }
    else
    {
        std::snprintf(text, sizeof(text), "%04u%02u%02u%02u%02u%02u.%06u%+04d", f.year, f.month,
                      f.days, f.hours, f.minutes, f.seconds, f.microSeconds, f.utc);
    }
    return String(text);
}

DateTime CIMDateTime::toDateTime() const
{
    return DateTime(toString());
}

} // end namespace OpenWBEM
