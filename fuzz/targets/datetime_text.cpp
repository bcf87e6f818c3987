// DateTime's text constructor, which reads both CIM datetime text and asctime-like free text
// (the tool's dates come in that form). Text it refuses raises its DateTimeException; text it
// accepts must print, and in UTC the printed asctime form must read back as the same second.
#include "fuzz_target.h"

#include "OW_DateTime.hpp"
#include "OW_String.hpp"

#include <cstdlib>
#include <ctime>
#include <string>

namespace
{

// The printed form carries the year as it is, so only years a parse can take back are
// compared: four digits and after the 1900 offset that two-digit years get.
const int kFirstRoundTripYear = 1900;
const int kLastRoundTripYear = 9999;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("TZ", "UTC", 1);
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    OpenWBEM::DateTime parsed;
    try
    {
        parsed = OpenWBEM::DateTime(OpenWBEM::String(text.c_str()));
    }
    catch (const OpenWBEM::DateTimeException&)
    {
        return 0;
    }
    int year = 0;
    try
    {
        year = parsed.getYear(OpenWBEM::DateTime::E_UTC_TIME);
    }
    catch (const OpenWBEM::DateTimeException&)
    {
        // An instant too far out for the C library to break down.
        return 0;
    }
    fuzz::check(parsed.getMicrosecond() <= 999999, "a microsecond count past one second", size);
    if (year < kFirstRoundTripYear || year > kLastRoundTripYear)
    {
        return 0;
    }
    const OpenWBEM::String printed = parsed.toString(OpenWBEM::DateTime::E_UTC_TIME);
    OpenWBEM::DateTime again;
    try
    {
        again = OpenWBEM::DateTime(printed);
    }
    catch (const OpenWBEM::DateTimeException&)
    {
        fuzz::fail(std::string("the printed form does not read back: ") + printed.c_str(), size);
    }
    fuzz::check(again.get() == parsed.get(),
                std::string("the printed form reads back as another time: ") + printed.c_str(),
                size);
    return 0;
}
