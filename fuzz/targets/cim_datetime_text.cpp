// CIMDateTime's text constructor, lenient as the library has always been: text that is neither
// absolute nor interval form raises CIMDateTimeException; any other text gives a value that
// prints, and whose printed form, when it has the standard 25-character layout, reads back as
// the same value. Ordering (through DateTime) either answers or raises DateTime's exception.
#include "fuzz_target.h"

#include "OW_CIMDateTime.hpp"
#include "OW_DateTime.hpp"
#include "OW_String.hpp"

#include <cstdlib>
#include <ctime>
#include <string>

namespace
{

const size_t kCimTextChars = 25;

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
    OpenWBEM::CIMDateTime parsed(OpenWBEM::CIMNULL);
    try
    {
        parsed = OpenWBEM::CIMDateTime(OpenWBEM::String(text.c_str()));
    }
    catch (const OpenWBEM::CIMDateTimeException&)
    {
        return 0;
    }
    const OpenWBEM::CIMDateTime copy(parsed);
    fuzz::check(copy == parsed && !(copy != parsed), "a copy unequal to its original", size);

    const OpenWBEM::String printed = parsed.toString();
    if (printed.length() == kCimTextChars)
    {
        OpenWBEM::CIMDateTime reread(OpenWBEM::CIMNULL);
        try
        {
            reread = OpenWBEM::CIMDateTime(printed);
        }
        catch (const OpenWBEM::CIMDateTimeException&)
        {
            fuzz::fail(std::string("the printed form is no datetime text: ") + printed.c_str(),
                       size);
        }
        fuzz::check(reread == parsed,
                    std::string("the printed form reads back as another value: ") + printed.c_str(),
                    size);
    }
    try
    {
        const bool before = copy < parsed;
        fuzz::check(!before, "a value ordered before itself", size);
    }
    catch (const OpenWBEM::DateTimeException&)
    {
        // Intervals, and fields no calendar date has, have no DateTime.
    }
    return 0;
}
