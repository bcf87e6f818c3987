// The field splitter every listing parser uses. Whatever the text, the fields it hands out
// one by one are non-empty, hold no separator, and together are the text without its
// separators, in order; when none is left it refuses with a CIM error, never anything worse.
#include "fuzz_target.h"
#include "tool_runner.h"

#include "common/Tokenizer.h"

#include "OW_CIMException.hpp"

#include <string>

namespace
{

bool isSeparator(char c)
{
    return c == '\t' || c == '\n';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static fuzz::ToolRunner* tool = []
    {
        auto* runner = new fuzz::ToolRunner;
        fuzz::installTool(*runner);
        return runner;
    }();
    (void)tool;

    // The splitter reads C strings: the text ends at the first NUL.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string cText = text.substr(0, text.find('\0'));
    std::string expected;
    for (char c : cText)
    {
        if (!isSeparator(c))
        {
            expected += c;
        }
    }

    std::string joined;
    size_t fields = 0;
    try
    {
        for (const char* start = cText.c_str();; start = nullptr)
        {
            const OpenWBEM::String field = GetNextToken(start, "Field", " --fuzz");
            const std::string value(field.c_str(), field.length());
            fuzz::check(!value.empty(), "an empty field", size);
            for (char c : value)
            {
                fuzz::check(!isSeparator(c), "a field holding a separator", size);
            }
            joined += value;
            ++fields;
            fuzz::check(fields <= cText.size(), "more fields than characters", size);
        }
    }
    catch (const OpenWBEM::CIMException& e)
    {
        fuzz::check(e.getErrNo() == OpenWBEM::CIMException::FAILED,
                    "the end of the fields refused with the wrong code", size);
    }
    fuzz::check(joined == expected, "the fields are not the text without its separators", size);
    return 0;
}
