// A point in time held as seconds since the epoch plus microseconds, with broken-down
// access in local time or UTC, calendar arithmetic, and the text forms OpenWBEM clients
// print and parse (the asctime form out; asctime-like free text or CIM datetime text in).
// Thread-safety: distinct objects may be used concurrently; all time-zone work goes through
// the reentrant C calls, one call at a time process-wide, and nothing is cached between calls.
#ifndef OW_DATETIME_HPP_INCLUDE_GUARD_
#define OW_DATETIME_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Types.hpp"
#include "OW_Exception.hpp"
#include <ctime>

namespace OpenWBEM
{

OW_DECLARE_EXCEPTION(DateTime);

class String;

class DateTime
{
public:
    enum ETimeOffset
    {
        E_LOCAL_TIME,
        E_UTC_TIME
    };

    // The epoch, not the current time: callers that want "now" ask for it with setToCurrent().
    DateTime();
    explicit DateTime(const String& str);
    explicit DateTime(time_t t, UInt32 microseconds = 0);
    DateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
             UInt32 microsecond = 0, ETimeOffset timeOffset = E_LOCAL_TIME);
    ~DateTime();

    int getHour(ETimeOffset timeOffset = E_LOCAL_TIME) const;
    int getMinute(ETimeOffset timeOffset = E_LOCAL_TIME) const;
    int getSecond(ETimeOffset timeOffset = E_LOCAL_TIME) const;
    UInt32 getMicrosecond() const;
    int getDay(ETimeOffset timeOffset = E_LOCAL_TIME) const;
    int getDow(ETimeOffset timeOffset = E_LOCAL_TIME) const;
    int getMonth(ETimeOffset timeOffset = E_LOCAL_TIME) const;
    int getYear(ETimeOffset timeOffset = E_LOCAL_TIME) const;
    time_t get() const;

    void setHour(int hour, ETimeOffset timeOffset = E_LOCAL_TIME);
    void setMinute(int minute, ETimeOffset timeOffset = E_LOCAL_TIME);
    void setSecond(int second, ETimeOffset timeOffset = E_LOCAL_TIME);
    void setMicrosecond(UInt32 microsecond);
    void setTime(int hour, int minute, int second, ETimeOffset timeOffset = E_LOCAL_TIME);
    void setDay(int day, ETimeOffset timeOffset = E_LOCAL_TIME);
    void setMonth(int month, ETimeOffset timeOffset = E_LOCAL_TIME);
    void setYear(int year, ETimeOffset timeOffset = E_LOCAL_TIME);
    void set(time_t t, UInt32 microseconds = 0);
    void set(int year, int month, int day, int hour, int minute, int second, UInt32 microseconds,
             ETimeOffset timeOffset = E_LOCAL_TIME);
    void setToCurrent();

    void addDays(int days);
    void addWeeks(int weeks);
    void addMonths(int months);
    void addYears(int years);
    void addSeconds(long seconds);
    void addMinutes(long minutes);
    void addHours(long hours);

    bool operator<(const DateTime& tm) const;
    bool operator>(const DateTime& tm) const;
    bool operator==(const DateTime& tm) const;
    bool operator!=(const DateTime& tm) const;
    bool operator<=(const DateTime& tm) const;
    bool operator>=(const DateTime& tm) const;
    DateTime& operator+=(long seconds);
    DateTime& operator-=(long seconds);

    String toString(ETimeOffset timeOffset = E_LOCAL_TIME) const;
    String toStringGMT() const OW_DEPRECATED;

    static Int16 getGMTOffset();

private:
    struct tm brokenDown(ETimeOffset timeOffset) const;
    void rebuild(struct tm& fields, ETimeOffset timeOffset);

    time_t m_time;
    UInt32 m_microseconds;
};

} // end namespace OpenWBEM

#endif
