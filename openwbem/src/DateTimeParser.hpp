// Library-internal calendar helpers for DateTime and CIMDateTime: conversions between
// time_t and broken-down time in local time or UTC, and the text parser behind
// DateTime(const String&), which reads CIM datetime text or asctime-like free text.
// Thread-safety: pure functions over their arguments; the C time calls they make are
// serialised by TimeZoneLock.
#ifndef OW_SRC_DATETIMEPARSER_HPP_INCLUDE_GUARD_
#define OW_SRC_DATETIMEPARSER_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Types.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace OpenWBEM
{
namespace dtparse
{

const int kTmBaseYear = 1900;
const UInt32 kMaxMicrosecond = 999999;
const long kSecondsPerMinute = 60;
const long kSecondsPerHour = 3600;

// CIM datetime text: yyyymmddhhmmss.uuuuuu+UUU
const size_t kCimTextLength = 25;
const size_t kCimDotIndex = 14;
const size_t kCimSignIndex = 21;
const int kMaxCimYear = 9999;

const int kMaxMonth = 12;
const int kMaxDayOfMonth = 31;
const int kMaxHour = 23;
const int kMaxMinute = 59;
const int kMaxSecondWithLeap = 60;

// Years below 1900 are offsets from 1900, so two-digit years ("93") name 1993. Clients of
// this API have always been able to pass them; 1899 therefore means 3799.
inline int tmYearFor(int year)
{
    return year >= kTmBaseYear ? year - kTmBaseYear : year;
}

inline struct tm makeRawFields(int tmYear, int month, int day, int hour, int minute, int second)
{
    struct tm fields;
    std::memset(&fields, 0, sizeof(fields));
    fields.tm_year = tmYear;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    return fields;
}

inline struct tm makeFields(int year, int month, int day, int hour, int minute, int second)
{
    return makeRawFields(tmYearFor(year), month, day, hour, minute, second);
}

// Held around every call into the C library's time-zone machinery. glibc keeps one time-zone
// state per process: mktime reloads it on every call (freeing and copying its saved TZ text),
// the _r conversions load it on their first call. glibc guards that state with an internal lock
// that the thread sanitizer cannot see, so request threads converting dates at once look like a
// race on it. Taking our own lock orders those calls visibly; the first holder also loads the
// zone (tzset), so no later conversion starts from an unloaded state. Not recursive.
class TimeZoneLock
{
public:
    TimeZoneLock();
    ~TimeZoneLock();

private:
    TimeZoneLock(const TimeZoneLock&);
    TimeZoneLock& operator=(const TimeZoneLock&);
};

inline bool breakDown(time_t t, bool utc, struct tm& fields)
{
    TimeZoneLock lock;
    return (utc ? gmtime_r(&t, &fields) : localtime_r(&t, &fields)) != 0;
}

// mktime and timegm return -1 both for failure and for 23:59:59 on 31 Dec 1969 UTC; they only
// fill tm_wday on success, so a sentinel there tells the two apart.
const int kUnsetWeekday = -1;

inline bool fromUtcFields(const struct tm& fields, time_t& result)
{
    struct tm work = fields;
    work.tm_wday = kUnsetWeekday;
    TimeZoneLock lock;
    const time_t t = timegm(&work);
    if (t == static_cast<time_t>(-1) && work.tm_wday == kUnsetWeekday)
    {
        return false;
    }
    result = t;
    return true;
}

// fields.tm_isdst is a hint: honoured when it fits the resulting date (so an instant inside
// the repeated autumn hour keeps its side of the change), otherwise the C library decides.
inline bool fromLocalFields(const struct tm& fields, time_t& result)
{
    struct tm work = fields;
    work.tm_wday = kUnsetWeekday;
    TimeZoneLock lock;
    time_t t = mktime(&work);
    if (fields.tm_isdst >= 0 && work.tm_wday != kUnsetWeekday && work.tm_isdst != fields.tm_isdst)
    {
        work = fields;
        work.tm_isdst = -1;
        work.tm_wday = kUnsetWeekday;
        t = mktime(&work);
    }
    if (t == static_cast<time_t>(-1) && work.tm_wday == kUnsetWeekday)
    {
        return false;
    }
    result = t;
    return true;
}

// Integer text as String::toInt32 reads it: leading white space and a sign allowed, nothing
// after the digits, within Int32.
inline bool parseInt32(const std::string& text, int& value)
{
    if (text.empty())
    {
        return false;
    }
    const char* begin = text.c_str();
    char* end = 0;
    errno = 0;
    const long parsed = std::strtol(begin, &end, 10);
    if (end == begin || *end != '\0' || errno == ERANGE || parsed > INT_MAX || parsed < INT_MIN)
    {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

inline bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

enum ECimParse
{
    E_NOT_CIM_TEXT,
    E_CIM_VALID,
    E_CIM_INVALID
};

inline ECimParse parseCimText(const std::string& input, time_t& t, UInt32& microseconds)
{
    if (input.size() != kCimTextLength || input[kCimDotIndex] != '.' ||
        (input[kCimSignIndex] != '+' && input[kCimSignIndex] != '-'))
    {
        return E_NOT_CIM_TEXT;
    }
    std::string text = input;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '*')
        {
            text[i] = '0';
        }
    }
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, micros = 0, utc = 0;
    if (!parseInt32(text.substr(0, 4), year) || !parseInt32(text.substr(4, 2), month) ||
        !parseInt32(text.substr(6, 2), day) || !parseInt32(text.substr(8, 2), hour) ||
        !parseInt32(text.substr(10, 2), minute) || !parseInt32(text.substr(12, 2), second) ||
        !parseInt32(text.substr(15, 6), micros) || !parseInt32(text.substr(21, 4), utc))
    {
        return E_NOT_CIM_TEXT;
    }
    if (!inRange(year, 0, kMaxCimYear) || !inRange(month, 1, kMaxMonth) ||
        !inRange(day, 1, kMaxDayOfMonth) || !inRange(hour, 0, kMaxHour) ||
        !inRange(minute, 0, kMaxMinute) || !inRange(second, 0, kMaxSecondWithLeap) ||
        !inRange(micros, 0, static_cast<int>(kMaxMicrosecond)))
    {
        return E_CIM_INVALID;
    }
    // CIM text always carries a four-digit year, so it is taken as written: no 1900 offset.
    time_t atOffset = 0;
    if (!fromUtcFields(makeRawFields(year - kTmBaseYear, month, day, hour, minute, second),
                       atOffset))
    {
        return E_CIM_INVALID;
    }
    t = atOffset - static_cast<time_t>(utc) * kSecondsPerMinute;
    microseconds = static_cast<UInt32>(micros);
    return E_CIM_VALID;
}

struct NamedValue
{
    const char* name;
    int value;
};

const NamedValue kWeekdays[] = {{"Sunday", 0},   {"Monday", 1}, {"Tuesday", 2}, {"Wednesday", 3},
                                {"Thursday", 4}, {"Friday", 5}, {"Saturday", 6}};
const NamedValue kMonths[] = {{"January", 1},  {"February", 2},  {"March", 3},
                              {"April", 4},    {"May", 5},       {"June", 6},
                              {"July", 7},     {"August", 8},    {"September", 9},
                              {"October", 10}, {"November", 11}, {"December", 12}};

// Whole hours east of UTC. "J" is the military letter for the local zone.
const int kLocalZone = INT_MIN;
const NamedValue kZones[] = {
    {"A", 1},     {"B", 2},          {"C", 3},    {"D", 4},    {"E", 5},     {"F", 6},
    {"G", 7},     {"H", 8},          {"I", 9},    {"K", 10},   {"L", 11},    {"M", 12},
    {"N", -1},    {"O", -2},         {"P", -3},   {"Q", -4},   {"R", -5},    {"S", -6},
    {"T", -7},    {"U", -8},         {"V", -9},   {"W", -10},  {"X", -11},   {"Y", -12},
    {"Z", 0},     {"J", kLocalZone}, {"UTC", 0},  {"GMT", 0},  {"WET", 0},   {"BST", 1},
    {"IST", 1},   {"WEST", 1},       {"CET", 1},  {"CEST", 2}, {"EET", 2},   {"EEST", 3},
    {"MSK", 3},   {"MSD", 4},        {"AST", -4}, {"ADT", -3}, {"EST", -5},  {"EDT", -4},
    {"ET", -5},   {"CST", -6},       {"CDT", -5}, {"CT", -6},  {"MST", -7},  {"MDT", -6},
    {"MT", -7},   {"PST", -8},       {"PDT", -7}, {"PT", -8},  {"HST", -10}, {"AKST", -9},
    {"AKDT", -8}, {"WST", 8}};
const size_t kMaxZoneNameChars = 4;

template <size_t N>
inline bool lookup(const NamedValue (&table)[N], const std::string& token, int& value)
{
    for (size_t i = 0; i < N; ++i)
    {
        if (token == table[i].name)
        {
            value = table[i].value;
            return true;
        }
    }
    return false;
}

// A three-letter abbreviation or the exact full English name.
template <size_t N>
inline bool lookupName(const NamedValue (&table)[N], const std::string& token, int& value)
{
    for (size_t i = 0; i < N; ++i)
    {
        if (token == table[i].name || token == std::string(table[i].name, 3))
        {
            value = table[i].value;
            return true;
        }
    }
    return false;
}

inline std::vector<std::string> split(const std::string& text, const char* delimiters)
{
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos < text.size())
    {
        const size_t start = text.find_first_not_of(delimiters, pos);
        if (start == std::string::npos)
        {
            break;
        }
        const size_t stop = text.find_first_of(delimiters, start);
        parts.push_back(text.substr(start, stop == std::string::npos ? stop : stop - start));
        pos = stop == std::string::npos ? text.size() : stop;
    }
    return parts;
}

inline bool parseClock(const std::string& token, int& hour, int& minute, int& second)
{
    const std::vector<std::string> parts = split(token, ":");
    if (parts.size() != 2 && parts.size() != 3)
    {
        return false;
    }
    second = 0;
    if (!parseInt32(parts[0], hour) || !parseInt32(parts[1], minute) ||
        (parts.size() == 3 && !parseInt32(parts[2], second)))
    {
        return false;
    }
    return inRange(hour, 0, kMaxHour) && inRange(minute, 0, kMaxMinute) &&
           inRange(second, 0, kMaxSecondWithLeap);
}

// Free text such as "Wed Jun 30 21:49:08 1993", "30 Jun 1993 21:49:08" or
// "1:28:30 MST Feb 1 1999": tokens in any order; the first number is the day and the second
// the year. Without a zone the fields are local time.
inline bool parseFreeText(const std::string& text, time_t& t)
{
    bool haveWeekday = false, haveMonth = false, haveTime = false, haveZone = false;
    int numbers = 0, month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
    int zoneHours = kLocalZone;
    const std::vector<std::string> tokens = split(text, " \t\n\r\v");
    for (size_t i = 0; i < tokens.size(); ++i)
    {
        const std::string& token = tokens[i];
        int value = 0;
        if (token.size() >= 3 && lookupName(kWeekdays, token.substr(0, 3), value))
        {
            // The token opens with a weekday abbreviation: it is that weekday or nothing.
            if (haveWeekday || (token.size() > 3 && !lookup(kWeekdays, token, value)))
            {
                return false;
            }
            haveWeekday = true;
        }
        else if (!haveMonth && lookupName(kMonths, token, month))
        {
            haveMonth = true;
        }
        else if (!haveTime && token.find(':') != std::string::npos)
        {
            if (!parseClock(token, hour, minute, second))
            {
                return false;
            }
            haveTime = true;
        }
        else if (token[0] >= '0' && token[0] <= '9')
        {
            int& target = numbers == 0 ? day : year;
            if (numbers >= 2 || !parseInt32(token, target))
            {
                return false;
            }
            ++numbers;
        }
        else if (!haveZone && token.size() <= kMaxZoneNameChars && lookup(kZones, token, value))
        {
            haveZone = true;
            zoneHours = value;
        }
        else
        {
            return false;
        }
    }
    if (!haveMonth || !haveTime || numbers != 2 || !inRange(day, 1, kMaxDayOfMonth))
    {
        return false;
    }
    const struct tm fields = makeFields(year, month, day, hour, minute, second);
    if (zoneHours == kLocalZone)
    {
        return fromLocalFields(fields, t);
    }
    time_t atZone = 0;
    if (!fromUtcFields(fields, atZone))
    {
        return false;
    }
    t = atZone - static_cast<time_t>(zoneHours) * kSecondsPerHour;
    return true;
}

// Reads either text form; false means the text is not a date this API accepts.
inline bool parse(const std::string& text, time_t& t, UInt32& microseconds)
{
    switch (parseCimText(text, t, microseconds))
    {
    case E_CIM_VALID:
        return true;
    case E_CIM_INVALID:
        return false;
    case E_NOT_CIM_TEXT:
        break;
    }
    microseconds = 0;
    return parseFreeText(text, t);
}

} // namespace dtparse
} // end namespace OpenWBEM

#endif
