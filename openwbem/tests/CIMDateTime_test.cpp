// CIMDateTime: its text forms, lenient text parsing, conversion to and from DateTime (with the
// UTC offset of the date itself), ordering, and null values.
#include "OW_config.h"
#include "OW_CIMDateTime.hpp"
#include "OW_DateTime.hpp"
#include "OW_String.hpp"

#include "ScopedTimeZone.hpp"

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>

using namespace OpenWBEM;

namespace
{

const time_t k20040105T030405Z = 1073271845;
const time_t k20040705T100000Z = 1089021600;

std::string asText(const String& s)
{
    return std::string(s.c_str(), s.length());
}

std::string cimText(const CIMDateTime& dt)
{
    return asText(dt.toString());
}

CIMDateTime fromText(const char* text)
{
    return CIMDateTime(String(text));
}

} // namespace

TEST(CIMDateTimeText, AbsoluteAndIntervalForms)
{
    ScopedTimeZone zone("UTC");
    const CIMDateTime empty;
    EXPECT_EQ("00000000000000.000000:000", cimText(empty));
    EXPECT_TRUE(empty.isInterval());

    const UInt64 oneDayOneHourOneMinuteOneSecond = 90061;
    const CIMDateTime interval(UInt64(oneDayOneHourOneMinuteOneSecond * 1000000 + 7));
    EXPECT_EQ("00000001010101.000007:000", cimText(interval));
    EXPECT_TRUE(interval.isInterval());
    EXPECT_EQ(1u, interval.getDays());
    EXPECT_EQ(7u, interval.getMicroSeconds());

    const DateTime instant(2004, 1, 5, 3, 4, 5, 7, DateTime::E_UTC_TIME);
    const CIMDateTime converted = instant; // the conversion is implicit
    EXPECT_EQ("20040105030405.000007+000", cimText(converted));
    EXPECT_FALSE(converted.isInterval());
    {
        ScopedTimeZone berlin("Europe/Berlin");
        EXPECT_EQ("20040105040405.000007+060", cimText(CIMDateTime(instant)));
    }
    {
        ScopedTimeZone newYork("America/New_York");
        EXPECT_EQ("20040104220405.000007-300", cimText(CIMDateTime(instant)));
    }

    CIMDateTime built;
    built.setYear(2004).setMonth(12).setDay(24).setHours(18).setMinutes(30).setSeconds(5);
    built.setMicroSeconds(42).setUtc(-90);
    built.setInterval(false);
    EXPECT_EQ("20041224183005.000042-090", cimText(built));
    EXPECT_EQ(24u, built.getDays());
    EXPECT_EQ(24u, built.getDay());
}

// The offset written is the one in force on that date, in minutes, not today's.
TEST(CIMDateTimeFromDateTime, UsesTheOffsetOfTheDateItself)
{
    const DateTime summer(k20040705T100000Z, 250);
    {
        ScopedTimeZone zone("Europe/Berlin");
        const CIMDateTime dt(summer);
        EXPECT_EQ("20040705120000.000250+120", cimText(dt));
        EXPECT_EQ(120, dt.getUtc());
    }
    {
        ScopedTimeZone zone("America/New_York");
        EXPECT_EQ("20040705060000.000250-240", cimText(CIMDateTime(summer)));
    }
    {
        ScopedTimeZone zone("Asia/Kolkata");
        const CIMDateTime dt(summer);
        EXPECT_EQ("20040705153000.000250+330", cimText(dt));
        EXPECT_EQ(330, dt.getUtc());
    }

    // So the round trip through CIM text is exact, microseconds included, in every season.
    const char* const zones[] = {"UTC", "Europe/Berlin", "America/New_York", "Asia/Kolkata"};
    const time_t instants[] = {k20040105T030405Z, k20040705T100000Z, 0};
    for (const char* name : zones)
    {
        ScopedTimeZone zone(name);
        for (time_t t : instants)
        {
            const DateTime d(t, 999999);
            EXPECT_TRUE(CIMDateTime(d).toDateTime() == d) << name << ' ' << t;
            EXPECT_TRUE(DateTime(CIMDateTime(d).toString()) == d) << name << ' ' << t;
        }
    }
}

TEST(CIMDateTimeParse, LenientFieldsByPosition)
{
    const CIMDateTime absolute = fromText("20040105030405.000007-300");
    EXPECT_FALSE(absolute.isInterval());
    EXPECT_EQ(2004, absolute.getYear());
    EXPECT_EQ(1, absolute.getMonth());
    EXPECT_EQ(5u, absolute.getDays());
    EXPECT_EQ(3, absolute.getHours());
    EXPECT_EQ(4, absolute.getMinutes());
    EXPECT_EQ(5, absolute.getSeconds());
    EXPECT_EQ(7u, absolute.getMicroSeconds());
    EXPECT_EQ(-300, absolute.getUtc());
    EXPECT_EQ("20040105030405.000007-300", cimText(absolute));

    const CIMDateTime interval = fromText("12345678102030.000400:000");
    EXPECT_TRUE(interval.isInterval());
    EXPECT_EQ(12345678u, interval.getDays());
    EXPECT_EQ(10, interval.getHours());
    EXPECT_EQ("12345678102030.000400:000", cimText(interval));

    // Wildcards and junk inside a field read as zero (or as the digits before them).
    const CIMDateTime wild = fromText("2004****0304**.******+060");
    EXPECT_EQ("20040000030400.000000+060", cimText(wild));

    const CIMDateTime empty = fromText("");
    EXPECT_FALSE(empty.isInterval());
    EXPECT_EQ("00000000000000.000000+000", cimText(empty));
}

TEST(CIMDateTimeParse, BadFormIsAGeneralCimError)
{
    const char* const rejected[] = {"20040105030405.000000x000", "20040105030405", "garbage",
                                    "Mon Jan  5 03:04:05 2004"};
    for (const char* text : rejected)
    {
        try
        {
            fromText(text);
            ADD_FAILURE() << "accepted " << text;
        }
        catch (const CIMException& e)
        {
            EXPECT_EQ(CIMException::FAILED, e.getErrNo()) << text;
            EXPECT_STREQ("CIMDateTimeException", e.type());
            EXPECT_STREQ("general error (Invalid format for date time)", e.getMessage());
            EXPECT_STREQ(e.getMessage(), e.what());
            std::unique_ptr<Exception> copy(e.clone());
            ASSERT_TRUE(copy.get() != 0);
            EXPECT_STREQ("CIMDateTimeException", copy->type());
            EXPECT_TRUE(dynamic_cast<CIMDateTimeException*>(copy.get()) != 0);
        }
    }
}

TEST(CIMDateTimeToDateTime, AbsoluteOnly)
{
    ScopedTimeZone zone("Europe/Berlin");
    EXPECT_EQ(k20040105T030405Z, fromText("20040104220405.000000-300").toDateTime().get());
    EXPECT_EQ(33u, fromText("20040105083405.000033+330").toDateTime().getMicrosecond());
    EXPECT_THROW(CIMDateTime().toDateTime(), DateTimeException);
    EXPECT_THROW(fromText("00000001000000.000000:000").toDateTime(), DateTimeException);
    EXPECT_THROW(fromText("").toDateTime(), DateTimeException); // month 0
}

TEST(CIMDateTimeCompare, EqualityIsByFieldsOrderIsByInstant)
{
    const CIMDateTime berlin = fromText("20040105040405.000000+060");
    const CIMDateTime utc = fromText("20040105030405.000000+000");
    const CIMDateTime later = fromText("20040105030405.000001+000");
    EXPECT_FALSE(berlin == utc);
    EXPECT_TRUE(berlin != utc);
    EXPECT_FALSE(berlin < utc || utc < berlin);
    EXPECT_TRUE(berlin <= utc && berlin >= utc);
    EXPECT_TRUE(utc < later && later > berlin && later >= utc && utc <= later);
    EXPECT_TRUE(utc == fromText("20040105030405.000000+000"));
    EXPECT_TRUE(utc.equal(fromText("20040105030405.000000+000")));

    const CIMDateTime hour = fromText("00000000010000.000000:000");
    const CIMDateTime day = fromText("00000001000000.000000:000");
    // Intervals have no instant, so ordering them fails the way the DateTime conversion does.
    EXPECT_THROW((void)(hour < day), DateTimeException);
    EXPECT_FALSE(hour == fromText("00000000010000.000000+000"));
    EXPECT_THROW((void)(hour < utc), DateTimeException);
}

TEST(CIMDateTimeNull, NullAndZeroValuesAreFalse)
{
    const CIMDateTime null(CIMNULL);
    EXPECT_FALSE(null);
    EXPECT_TRUE(!null);
    EXPECT_FALSE(CIMDateTime());
    EXPECT_FALSE(fromText(""));
    EXPECT_TRUE(CIMDateTime(UInt64(1)));
    EXPECT_TRUE(CIMDateTime(DateTime(k20040105T030405Z)));

    try
    {
        null.getYear();
        ADD_FAILURE() << "a null value answered";
    }
    catch (const Exception& e)
    {
        EXPECT_STREQ("NULL COWReference dereferenced", e.getMessage());
    }
    EXPECT_THROW(null.toString(), Exception);
    CIMDateTime nullCopy(null);
    EXPECT_THROW(nullCopy.setYear(1), Exception);
    EXPECT_TRUE(null == CIMDateTime(CIMNULL));
    EXPECT_TRUE(null != CIMDateTime());

    // Copies are independent values.
    CIMDateTime original = fromText("20040105030405.000000+000");
    CIMDateTime copy = original;
    copy.setYear(1999);
    EXPECT_EQ(2004, original.getYear());
    original = null;
    EXPECT_FALSE(original);
    EXPECT_EQ(1999, copy.getYear());
}
