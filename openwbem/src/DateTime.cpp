// DateTime: broken-down access, calendar arithmetic and the asctime text form. The text
// parser lives in DateTimeParser.hpp so that this file stays about the value itself.
#include "OW_config.h"
#include "OW_DateTime.hpp"
#include "OW_String.hpp"
#include "DateTimeParser.hpp"

#include <climits>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

namespace OpenWBEM
{

namespace
{

using dtparse::kSecondsPerHour;
using dtparse::kSecondsPerMinute;
const int kDaysPerWeek = 7;
const size_t kAsctimeBufferBytes = 64;

const char* const kWeekdayAbbreviations[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthAbbreviations[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

[[noreturn]] void throwOutOfRange(const char* what)
{
    OW_THROW(DateTimeException, what);
}

void checkMicroseconds(UInt32 microseconds)
{
    // A value past one second would print as a seventh digit in CIM datetime text, which no
    // parser reads back; refuse it where it enters rather than corrupt the text later.
    if (microseconds > dtparse::kMaxMicrosecond)
    {
        const std::string msg =
            "Invalid DateTime: microseconds out of range: " + std::to_string(microseconds);
        OW_THROW(DateTimeException, msg.c_str());
    }
}

// Adds a signed count of units to a tm field, refusing what int cannot hold.
void addToField(int& field, long long amount)
{
    const long long sum = static_cast<long long>(field) + amount;
    if (sum > INT_MAX || sum < INT_MIN)
    {
        throwOutOfRange("Invalid DateTime: calendar arithmetic out of range");
    }
    field = static_cast<int>(sum);
}

} // namespace

namespace dtparse
{

namespace
{

std::mutex& timeZoneMutex()
{
    static std::mutex mutex;
    return mutex;
}

// Written only while the mutex is held.
bool gTimeZoneLoaded = false;

} // namespace

TimeZoneLock::TimeZoneLock()
{
    timeZoneMutex().lock();
    if (!gTimeZoneLoaded)
    {
        tzset();
        gTimeZoneLoaded = true;
    }
}

TimeZoneLock::~TimeZoneLock()
{
    timeZoneMutex().unlock();
}

} // namespace dtparse

DateTime::DateTime() : m_time(0), m_microseconds(0) {}

DateTime::DateTime(const String& str) : m_time(0), m_microseconds(0)
{
    const std::string text(str.c_str(), str.length());
    if (!dtparse::parse(text, m_time, m_microseconds))
    {
        const std::string msg = "Invalid DateTime: " + text;
        OW_THROW(DateTimeException, msg.c_str());
    }
}

DateTime::DateTime(time_t t, UInt32 microseconds) : m_time(t), m_microseconds(microseconds)
{
    checkMicroseconds(microseconds);
}

DateTime::DateTime(int year, int month, int day, int hour, int minute, int second,
                   UInt32 microsecond, ETimeOffset timeOffset)
    : m_time(0), m_microseconds(0)
{
    set(year, month, day, hour, minute, second, microsecond, timeOffset);
}

DateTime::~DateTime() {}

struct tm DateTime::brokenDown(ETimeOffset timeOffset) const
{
    struct tm fields;
    if (!dtparse::breakDown(m_time, timeOffset == E_UTC_TIME, fields))
    {
        throwOutOfRange("Invalid DateTime: time value cannot be broken down");
    }
    return fields;
}

void DateTime::rebuild(struct tm& fields, ETimeOffset timeOffset)
{
    time_t result = 0;
    const bool ok = timeOffset == E_UTC_TIME ? dtparse::fromUtcFields(fields, result)
                                             : dtparse::fromLocalFields(fields, result);
    if (!ok)
    {
        throwOutOfRange("Invalid DateTime: fields do not name a representable time");
    }
    m_time = result;
}

int DateTime::getHour(ETimeOffset timeOffset) const
{
    return brokenDown(timeOffset).tm_hour;
}

int DateTime::getMinute(ETimeOffset timeOffset) const
{
    return brokenDown(timeOffset).tm_min;
}

int DateTime::getSecond(ETimeOffset timeOffset) const
{
    return brokenDown(timeOffset).tm_sec;
}

UInt32 DateTime::getMicrosecond() const
{
    return m_microseconds;
}

int DateTime::getDay(ETimeOffset timeOffset) const
{
    return brokenDown(timeOffset).tm_mday;
}

int DateTime::getDow(ETimeOffset timeOffset) const
{
    return brokenDown(timeOffset).tm_wday;
}

int DateTime::getMonth(ETimeOffset timeOffset) const
{
    return brokenDown(timeOffset).tm_mon + 1;
}

int DateTime::getYear(ETimeOffset timeOffset) const
{
    return brokenDown(timeOffset).tm_year + dtparse::kTmBaseYear;
}

time_t DateTime::get() const
{
    return m_time;
}

// Each setter edits one field of the broken-down time in the requested offset and rebuilds.
// In local time the old DST flag is offered first, so that touching a field inside the
// repeated autumn hour keeps the same instant's side of the change; fromLocalFields falls
// back to letting the C library decide when the flag does not fit the new date.
void DateTime::setHour(int hour, ETimeOffset timeOffset)
{
    struct tm fields = brokenDown(timeOffset);
    fields.tm_hour = hour;
    rebuild(fields, timeOffset);
}

void DateTime::setMinute(int minute, ETimeOffset timeOffset)
{
    struct tm fields = brokenDown(timeOffset);
    fields.tm_min = minute;
    rebuild(fields, timeOffset);
}

void DateTime::setSecond(int second, ETimeOffset timeOffset)
{
    struct tm fields = brokenDown(timeOffset);
    fields.tm_sec = second;
    rebuild(fields, timeOffset);
}

void DateTime::setMicrosecond(UInt32 microsecond)
{
    checkMicroseconds(microsecond);
    m_microseconds = microsecond;
}

void DateTime::setTime(int hour, int minute, int second, ETimeOffset timeOffset)
{
    struct tm fields = brokenDown(timeOffset);
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    rebuild(fields, timeOffset);
}

void DateTime::setDay(int day, ETimeOffset timeOffset)
{
    struct tm fields = brokenDown(timeOffset);
    fields.tm_mday = day;
    rebuild(fields, timeOffset);
}

void DateTime::setMonth(int month, ETimeOffset timeOffset)
{
    struct tm fields = brokenDown(timeOffset);
    fields.tm_mon = month - 1;
    rebuild(fields, timeOffset);
}

void DateTime::setYear(int year, ETimeOffset timeOffset)
{
    struct tm fields = brokenDown(timeOffset);
    fields.tm_year = dtparse::tmYearFor(year);
    rebuild(fields, timeOffset);
}

void DateTime::set(time_t t, UInt32 microseconds)
{
    checkMicroseconds(microseconds);
    m_time = t;
    m_microseconds = microseconds;
}

void DateTime::set(int year, int month, int day, int hour, int minute, int second,
                   UInt32 microseconds, ETimeOffset timeOffset)
{
    checkMicroseconds(microseconds);
    struct tm fields = dtparse::makeFields(year, month, day, hour, minute, second);
    rebuild(fields, timeOffset);
    m_microseconds = microseconds;
}

void DateTime::setToCurrent()
{
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    m_time = now.tv_sec;
    m_microseconds = static_cast<UInt32>(now.tv_nsec / 1000);
}

// Calendar steps are taken in UTC so that a day is always 24 hours and a month step keeps
// the UTC time of day; an impossible date (Jan 31 + 1 month) rolls over as timegm does.
void DateTime::addDays(int days)
{
    struct tm fields = brokenDown(E_UTC_TIME);
    addToField(fields.tm_mday, days);
    rebuild(fields, E_UTC_TIME);
}

void DateTime::addWeeks(int weeks)
{
    struct tm fields = brokenDown(E_UTC_TIME);
    addToField(fields.tm_mday, static_cast<long long>(weeks) * kDaysPerWeek);
    rebuild(fields, E_UTC_TIME);
}

void DateTime::addMonths(int months)
{
    struct tm fields = brokenDown(E_UTC_TIME);
    addToField(fields.tm_mon, months);
    rebuild(fields, E_UTC_TIME);
}

void DateTime::addYears(int years)
{
    struct tm fields = brokenDown(E_UTC_TIME);
    addToField(fields.tm_year, years);
    rebuild(fields, E_UTC_TIME);
}

void DateTime::addSeconds(long seconds)
{
    time_t result = 0;
    if (__builtin_add_overflow(m_time, seconds, &result))
    {
        throwOutOfRange("Invalid DateTime: time arithmetic out of range");
    }
    m_time = result;
}

void DateTime::addMinutes(long minutes)
{
    long seconds = 0;
    if (__builtin_mul_overflow(minutes, kSecondsPerMinute, &seconds))
    {
        throwOutOfRange("Invalid DateTime: time arithmetic out of range");
    }
    addSeconds(seconds);
}

void DateTime::addHours(long hours)
{
    long seconds = 0;
    if (__builtin_mul_overflow(hours, kSecondsPerHour, &seconds))
    {
        throwOutOfRange("Invalid DateTime: time arithmetic out of range");
    }
    addSeconds(seconds);
}

bool DateTime::operator<(const DateTime& tm) const
{
    if (m_time != tm.m_time)
    {
        return m_time < tm.m_time;
    }
    return m_microseconds < tm.m_microseconds;
}

bool DateTime::operator>(const DateTime& tm) const
{
    return tm < *this;
}

bool DateTime::operator==(const DateTime& tm) const
{
    return m_time == tm.m_time && m_microseconds == tm.m_microseconds;
}

bool DateTime::operator!=(const DateTime& tm) const
{
    return !(*this == tm);
}

bool DateTime::operator<=(const DateTime& tm) const
{
    return !(tm < *this);
}

bool DateTime::operator>=(const DateTime& tm) const
{
    return !(*this < tm);
}

DateTime& DateTime::operator+=(long seconds)
{
    addSeconds(seconds);
    return *this;
}

DateTime& DateTime::operator-=(long seconds)
{
    time_t result = 0;
    if (__builtin_sub_overflow(m_time, seconds, &result))
    {
        throwOutOfRange("Invalid DateTime: time arithmetic out of range");
    }
    m_time = result;
    return *this;
}

// The asctime layout, written out here rather than through asctime_r: asctime_r refuses
// years past 9999 and its 26-byte contract leaves no room for them.
String DateTime::toString(ETimeOffset timeOffset) const
{
    const struct tm fields = brokenDown(timeOffset);
    char text[kAsctimeBufferBytes];
    std::snprintf(text, sizeof(text), "%.3s %.3s%3d %.2d:%.2d:%.2d %lld\n",
                  kWeekdayAbbreviations[fields.tm_wday], kMonthAbbreviations[fields.tm_mon],
                  fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec,
                  static_cast<long long>(fields.tm_year) + dtparse::kTmBaseYear);
    return String(text);
}

String DateTime::toStringGMT() const
{
    return toString(E_UTC_TIME);
}

// Whole hours east of UTC as of now. This is the coarse figure older callers expect; code
// that needs the offset of a particular date asks that date (tm_gmtoff), as CIMDateTime does.
Int16 DateTime::getGMTOffset()
{
    const time_t now = std::time(0);
    struct tm fields;
    if (!dtparse::breakDown(now, false, fields))
    {
        return 0;
    }
    return static_cast<Int16>(fields.tm_gmtoff / kSecondsPerHour);
}

} // end namespace OpenWBEM
