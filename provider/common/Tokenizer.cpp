// GetNextToken with a per-thread position.
#include "Tokenizer.h"
#include "Diagnostics.h"
#include "Errors.h"

using namespace OpenWBEM;

namespace
{

// Where this thread's parse goes on. Each parse runs start to end on one thread, so a position
// per thread is all the state a parse needs; __thread keeps it a plain pointer, which also
// builds with compilers older than C++11.
__thread const char* tPosition = 0;

bool IsSeparator(char c)
{
    return c == '\t' || c == '\n';
}

} // namespace

String GetNextToken(const char* text, const char* fieldLabel, const char* sourceLabel)
{
    const char* cursor = text != 0 ? text : tPosition;
    if (cursor != 0)
    {
        while (IsSeparator(*cursor))
        {
            ++cursor;
        }
    }
    if (cursor == 0 || *cursor == '\0')
    {
        tPosition = cursor;
        String message("Failed to parse ");
        message += fieldLabel;
        message += " field from ";
        message += sourceLabel;
        LogError(message);
        ThrowCimFailed(locMsg(kErrorParsingFailed, message.c_str(), fieldLabel, sourceLabel,
                              static_cast<const char*>(0)));
    }

    const char* end = cursor;
    while (*end != '\0' && !IsSeparator(*end))
    {
        ++end;
    }
    // Past the separator that ended the field, as a splitter that consumes it would leave it.
    tPosition = *end != '\0' ? end + 1 : end;
    return String(cursor, static_cast<size_t>(end - cursor));
}
