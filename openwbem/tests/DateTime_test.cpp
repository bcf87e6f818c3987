// DateTime: text forms in and out, fields in local time and UTC, setters and arithmetic.
// Expected epoch values below were worked out independently of this library.
#include "OW_config.h"
#include "OW_DateTime.hpp"
#include "OW_String.hpp"

#include "ScopedTimeZone.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

using namespace OpenWBEM;

namespace
{

const time_t k20040105T030405Z = 1073271845;
const time_t k19930630T214908Z = 741476948;
const time_t k20040705T100000Z = 1089021600;

std::string asText(const String& s)
{
    return std::string(s.c_str(), s.length());
}

time_t parsed(const char* text)
{
    return DateTime(String(text)).get();
}

// The message of the DateTimeException the text raises, or "no exception".
std::string rejection(const std::string& text)
{
    try
    {
        DateTime d((String(text.c_str())));
        return "no exception";
    }
    catch (const DateTimeException& e)
    {
        return e.getMessage();
    }
}

} // namespace

TEST(DateTimeText, AsctimeFormWithTrailingNewline)
{
    ScopedTimeZone zone("UTC");
    const DateTime d(2004, 1, 5, 3, 4, 5, 0, DateTime::E_UTC_TIME);
    EXPECT_EQ("Mon Jan  5 03:04:05 2004\n", asText(d.toString(DateTime::E_UTC_TIME)));
    EXPECT_EQ("Thu Jan  1 00:00:00 1970\n", asText(DateTime().toString(DateTime::E_UTC_TIME)));
    EXPECT_EQ("Wed Jun 30 21:49:08 1993\n", asText(DateTime(k19930630T214908Z).toString()));
    EXPECT_EQ("Mon Jan  1 00:00:00 12345\n",
              asText(DateTime(12345, 1, 1, 0, 0, 0, 0, DateTime::E_UTC_TIME).toString()));
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    EXPECT_EQ(asText(d.toString(DateTime::E_UTC_TIME)), asText(d.toStringGMT()));
#pragma GCC diagnostic pop
    {
        ScopedTimeZone berlin("Europe/Berlin");
        EXPECT_EQ("Mon Jan  5 04:04:05 2004\n", asText(d.toString()));
        EXPECT_EQ("Mon Jan  5 03:04:05 2004\n", asText(d.toString(DateTime::E_UTC_TIME)));
    }
    {
        ScopedTimeZone kolkata("Asia/Kolkata");
        EXPECT_EQ("Mon Jan  5 08:34:05 2004\n", asText(d.toString()));
    }
}

TEST(DateTimeFields, ConstructionAndGettersInBothOffsets)
{
    ScopedTimeZone zone("Europe/Berlin");
    const DateTime summer(2004, 7, 5, 12, 0, 0, 250);
    EXPECT_EQ(k20040705T100000Z, summer.get());
    EXPECT_EQ(250u, summer.getMicrosecond());
    EXPECT_EQ(12, summer.getHour());
    EXPECT_EQ(10, summer.getHour(DateTime::E_UTC_TIME));
    EXPECT_EQ(5, summer.getDay());
    EXPECT_EQ(1, summer.getDow());
    EXPECT_EQ(7, summer.getMonth());
    EXPECT_EQ(2004, summer.getYear());

    // Just after midnight local time it is still the previous day, month and year in UTC.
    const DateTime newYear(2004, 1, 1, 0, 30, 15);
    EXPECT_EQ(31, newYear.getDay(DateTime::E_UTC_TIME));
    EXPECT_EQ(12, newYear.getMonth(DateTime::E_UTC_TIME));
    EXPECT_EQ(2003, newYear.getYear(DateTime::E_UTC_TIME));
    EXPECT_EQ(3, newYear.getDow(DateTime::E_UTC_TIME));
    EXPECT_EQ(30, newYear.getMinute());
    EXPECT_EQ(15, newYear.getSecond());

    {
        ScopedTimeZone newYork("America/New_York");
        EXPECT_EQ(k20040105T030405Z, DateTime(2004, 1, 4, 22, 4, 5).get());
    }

    // Years below 1900 count from 1900; out-of-range fields roll over.
    EXPECT_EQ(k19930630T214908Z, DateTime(93, 6, 30, 21, 49, 8, 0, DateTime::E_UTC_TIME).get());
    EXPECT_EQ(-2208988800L, DateTime(0, 1, 1, 0, 0, 0, 0, DateTime::E_UTC_TIME).get());
    EXPECT_EQ(3799, DateTime(1899, 1, 1, 0, 0, 0, 0, DateTime::E_UTC_TIME).getYear());
    const DateTime leapRollover(2004, 2, 31, 0, 0, 0, 0, DateTime::E_UTC_TIME);
    EXPECT_EQ(3, leapRollover.getMonth(DateTime::E_UTC_TIME));
    EXPECT_EQ(2, leapRollover.getDay(DateTime::E_UTC_TIME));
    EXPECT_EQ(3,
              DateTime(2003, 2, 31, 0, 0, 0, 0, DateTime::E_UTC_TIME).getDay(DateTime::E_UTC_TIME));

    EXPECT_THROW(DateTime(2004, 1, 1, 0, 0, 0, 1000000), DateTimeException);
    EXPECT_THROW(DateTime(time_t(0), 1000000), DateTimeException);
}

TEST(DateTimeParse, AcceptsAsctimeAndFreeTextForms)
{
    ScopedTimeZone zone("UTC");
    EXPECT_EQ(k19930630T214908Z, parsed("Wed Jun 30 21:49:08 1993"));
    EXPECT_EQ(739144148, parsed("Wed Jun  3 21:49:08 1993"));
    EXPECT_EQ(k19930630T214908Z, parsed("Wed Jun 30 21:49:08 1993\n"));
    EXPECT_EQ(k19930630T214908Z, parsed("\tWed\tJun 30\v21:49:08\r1993 "));
    EXPECT_EQ(k19930630T214908Z - 8, parsed("Jun 30 21:49 93"));
    EXPECT_EQ(k19930630T214908Z, parsed("30 Jun 1993 21:49:08"));
    EXPECT_EQ(k19930630T214908Z, parsed("Wednesday June 30 21:49:08 1993"));
    EXPECT_EQ(k19930630T214908Z, parsed("Wed Jun 30 21:49:08 1993 UTC"));
    EXPECT_EQ(k19930630T214908Z + 52, parsed("Jun 30 21:49:60 1993"));
    EXPECT_EQ(k19930630T214908Z, parsed("Fri Jun 30 21:49:08 1993")); // weekday not checked
    EXPECT_EQ(k19930630T214908Z, parsed("Jun 30 21::49:08: 1993"));

    // Zones shift by whole hours; military letters count east from A and west from N.
    EXPECT_EQ(917832510 + 7 * 3600, parsed("1:28:30 MST Feb 1 1999"));
    EXPECT_EQ(k19930630T214908Z - 2 * 3600, parsed("Jun 30 21:49:08 1993 CEST"));
    EXPECT_EQ(k19930630T214908Z - 3600, parsed("Jun 30 21:49:08 1993 A"));
    EXPECT_EQ(k19930630T214908Z - 12 * 3600, parsed("Jun 30 21:49:08 1993 M"));
    EXPECT_EQ(k19930630T214908Z + 12 * 3600, parsed("Jun 30 21:49:08 1993 Y"));
    EXPECT_EQ(k19930630T214908Z + 4 * 3600, parsed("Jun 30 21:49:08 1993 EDT"));
    EXPECT_EQ(k19930630T214908Z - 8 * 3600, parsed("Jun 30 21:49:08 1993 WST"));
    EXPECT_EQ(k19930630T214908Z, parsed("Jun 30 21:49:08 1993 Z"));
}

TEST(DateTimeParse, FreeTextIsLocalUnlessAZoneIsGiven)
{
    ScopedTimeZone zone("Europe/Berlin");
    EXPECT_EQ(k20040705T100000Z, parsed("Mon Jul  5 12:00:00 2004"));
    EXPECT_EQ(k20040105T030405Z, parsed("Mon Jan  5 04:04:05 2004"));
    EXPECT_EQ(k20040105T030405Z, parsed("Mon Jan  5 04:04:05 2004 J"));
    EXPECT_EQ(k20040105T030405Z, parsed("Mon Jan  5 03:04:05 2004 GMT"));
    ScopedTimeZone kolkata("Asia/Kolkata");
    EXPECT_EQ(k20040105T030405Z, parsed("Mon Jan  5 08:34:05 2004"));
}

TEST(DateTimeParse, RejectsWithTheInputInTheMessage)
{
    ScopedTimeZone zone("UTC");
    const char* const rejected[] = {
        "",
        "   \n",
        "wed jun 30 21:49:08 1993",
        "1993-06-30 21:49:08",
        "Wed, 30 Jun 1993 21:49:08",
        "Wed Jun 30 21:49:08 1993 +0200",
        "Wed Jun 30 21:49:08 1993 utc",
        "Wed Jun 30 21:49:08.5 1993",
        "Wed Jun 30 1993",
        "Wed Jun 30 24:00:00 1993",
        "Jun 30 21:60:00 1993",
        "Jun 30 1:2:3:4 1993",
        "January 5, 2004 10:30",
        "Wed Thu Jun 30 21:49:08 1993",
        "Wedn Jun 30 21:49:08 1993",
        "Jun Jul 30 21:49:08 1993",
        "Jun 30 21:49:08 10:00 1993",
        "Jun 30 21:49:08 1993 UTC GMT",
        "Jun 30 21:49:08 1993 5",
        "Jun 30 21:49:08",
        "30 21:49:08 1993",
        "Jun 0 21:49:08 1993",
        "Jun 32 21:49:08 1993",
        "Jun 30 21:49:08 1993 XYZ",
        "00000001020304.000000:000",
    };
    for (const char* text : rejected)
    {
        EXPECT_EQ("Invalid DateTime: " + std::string(text), rejection(text)) << '"' << text << '"';
    }
}

TEST(DateTimeParse, CimTextIsReadAsUtcWithItsOffset)
{
    ScopedTimeZone zone("Europe/Berlin");
    const DateTime d(String("20040105040405.000007+060"));
    EXPECT_EQ(k20040105T030405Z, d.get());
    EXPECT_EQ(7u, d.getMicrosecond());
    EXPECT_EQ(k20040105T030405Z, parsed("20040104220405.000000-300"));
    EXPECT_EQ(k20040105T030405Z, parsed("20040105083405.000000+330"));
    EXPECT_EQ(k20040105T030405Z - 245, parsed("2004010503****.******+000"));
    EXPECT_EQ(k20040105T030405Z + 55, parsed("20040105030460.000000+000"));

    const char* const rejected[] = {
        "20041305030405.000000+000", "20040005030405.000000+000", "20040132030405.000000+000",
        "20040105240405.000000+000", "20040105036005.000000+000", "20040105030461.000000+000",
        "2004010503040x.000000+000", "20040105030405.000000:000", "2004010503040.000000+000",
    };
    for (const char* text : rejected)
    {
        EXPECT_EQ("Invalid DateTime: " + std::string(text), rejection(text)) << text;
    }
}

TEST(DateTimeText, LocalAsctimeRoundTripsInEveryZoneAndSeason)
{
    const char* const zones[] = {"UTC", "Europe/Berlin", "America/New_York", "Asia/Kolkata"};
    const time_t instants[] = {k20040105T030405Z, k20040705T100000Z, k19930630T214908Z, 0};
    for (const char* name : zones)
    {
        ScopedTimeZone zone(name);
        for (time_t t : instants)
        {
            const DateTime d(t, 123);
            EXPECT_EQ(t, DateTime(d.toString()).get()) << name << ' ' << t;
        }
    }
}

TEST(DateTimeSet, SettersChangeOneFieldInTheGivenOffset)
{
    ScopedTimeZone zone("Europe/Berlin");
    DateTime d(2004, 1, 5, 12, 30, 0);
    d.setMonth(7); // crosses into summer time: the wall-clock time stays
    EXPECT_EQ(1089023400, d.get());
    EXPECT_EQ(12, d.getHour());
    d.setHour(3, DateTime::E_UTC_TIME);
    EXPECT_EQ(3, d.getHour(DateTime::E_UTC_TIME));
    EXPECT_EQ(5, d.getHour());
    d.setTime(1, 2, 3);
    EXPECT_EQ("Mon Jul  5 01:02:03 2004\n", asText(d.toString()));
    d.setMinute(59);
    d.setSecond(58);
    d.setDay(31);
    d.setYear(93);
    EXPECT_EQ("Sat Jul 31 01:59:58 1993\n", asText(d.toString()));
    d.setMicrosecond(999999);
    EXPECT_EQ(999999u, d.getMicrosecond());
    EXPECT_THROW(d.setMicrosecond(1000000), DateTimeException);

    d.set(k20040105T030405Z, 5);
    EXPECT_EQ(k20040105T030405Z, d.get());
    EXPECT_EQ(5u, d.getMicrosecond());
    d.set(2004, 1, 5, 3, 4, 5, 6, DateTime::E_UTC_TIME);
    EXPECT_EQ(k20040105T030405Z, d.get());
    EXPECT_EQ(6u, d.getMicrosecond());

    // 02:30 happens twice on 31 Oct 2004; touching the seconds keeps the instant's side.
    DateTime firstPass(1099182600), secondPass(1099182600 + 3600);
    EXPECT_EQ(2, firstPass.getHour());
    EXPECT_EQ(2, secondPass.getHour());
    firstPass.setSecond(10);
    secondPass.setSecond(10);
    EXPECT_EQ(1099182610, firstPass.get());
    EXPECT_EQ(1099182610 + 3600, secondPass.get());

    DateTime now;
    now.setToCurrent();
    EXPECT_LE(std::labs(static_cast<long>(now.get() - std::time(0))), 1);
    EXPECT_LT(now.getMicrosecond(), 1000000u);
}

TEST(DateTimeArithmetic, CalendarStepsAreTakenInUtc)
{
    ScopedTimeZone zone("Europe/Berlin");
    DateTime beforeDst(2004, 3, 27, 12, 0, 0);
    beforeDst.addDays(1); // a UTC day: the local clock shows 13:00 after the change
    EXPECT_EQ(1080385200 + 86400, beforeDst.get());
    EXPECT_EQ(13, beforeDst.getHour());
    beforeDst.addWeeks(-1);
    EXPECT_EQ(1080385200 - 6 * 86400, beforeDst.get());

    DateTime endOfJanuary(2004, 1, 31, 10, 0, 0, 0, DateTime::E_UTC_TIME);
    endOfJanuary.addMonths(1);
    EXPECT_EQ("Tue Mar  2 10:00:00 2004\n", asText(endOfJanuary.toString(DateTime::E_UTC_TIME)));
    DateTime leapDay(2004, 2, 29, 0, 0, 0, 0, DateTime::E_UTC_TIME);
    leapDay.addYears(1);
    EXPECT_EQ("Tue Mar  1 00:00:00 2005\n", asText(leapDay.toString(DateTime::E_UTC_TIME)));
    leapDay.addMonths(-14);
    EXPECT_EQ("Thu Jan  1 00:00:00 2004\n", asText(leapDay.toString(DateTime::E_UTC_TIME)));

    DateTime d(1000, 9);
    d.addSeconds(5);
    d.addMinutes(-2);
    d.addHours(1);
    EXPECT_EQ(1000 + 5 - 120 + 3600, d.get());
    d += 100;
    d -= 1;
    EXPECT_EQ(1000 + 5 - 120 + 3600 + 99, d.get());
    EXPECT_EQ(9u, d.getMicrosecond());

    DateTime edge(LONG_MAX);
    EXPECT_THROW(edge.addSeconds(1), DateTimeException);
    EXPECT_THROW(DateTime(0).addHours(LONG_MAX), DateTimeException);
    EXPECT_THROW(DateTime(LONG_MIN) -= 1, DateTimeException);
    EXPECT_THROW(DateTime(0).addYears(INT_MAX), DateTimeException);
    EXPECT_THROW(DateTime(LONG_MAX).getYear(), DateTimeException);
}

TEST(DateTimeCompare, SecondsThenMicroseconds)
{
    const DateTime a(100, 5), b(100, 6), c(101, 0);
    EXPECT_TRUE(a < b && b < c && a < c);
    EXPECT_TRUE(c > a && b >= a && a <= a && a >= a);
    EXPECT_FALSE(b < a || a > b || c <= b);
    EXPECT_TRUE(a == DateTime(100, 5));
    EXPECT_TRUE(a != b);
    EXPECT_FALSE(a == b);
}

TEST(DateTimeZone, GmtOffsetIsTodaysWholeHours)
{
    {
        ScopedTimeZone zone("UTC");
        EXPECT_EQ(0, DateTime::getGMTOffset());
    }
    {
        ScopedTimeZone zone("Asia/Kolkata");
        EXPECT_EQ(5, DateTime::getGMTOffset());
    }
    {
        ScopedTimeZone zone("America/New_York");
        const Int16 offset = DateTime::getGMTOffset();
        EXPECT_TRUE(offset == -5 || offset == -4) << offset;
    }
}

// Request threads convert local-time text at once, with the process time zone left to the
// system (no TZ), as a CIMOM runs. Every thread must get the same instant; the thread
// sanitizer build also proves the conversions do not race on the C library's zone state.
TEST(DateTimeThreads, ConcurrentLocalConversionsAgree)
{
    ScopedTimeZone systemZone(0);
    const int kThreads = 8;
    const int kConversionsPerThread = 200;
    const DateTime expected(String("Mon Jan  5 03:04:05 2004"));
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [&, t]
            {
                for (int i = 0; i < kConversionsPerThread; ++i)
                {
                    const DateTime parsed(String("Mon Jan  5 03:04:05 2004"));
                    const DateTime fromFields(2004, 1, 5, 3, 4, 5);
                    if (parsed.get() != expected.get() || fromFields.get() != expected.get() ||
                        parsed.getHour() != 3 || parsed.getDay() != 5)
                    {
                        ++mismatches[t];
                    }
                }
            });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t)
    {
        EXPECT_EQ(0, mismatches[t]) << "thread " << t;
    }
}
