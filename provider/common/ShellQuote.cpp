// Shell quoting of command-line words.
#include "ShellQuote.h"

#include <cstring>

using namespace OpenWBEM;

namespace
{

bool IsOrdinary(char c)
{
    // Tested by hand rather than with isalnum(): the result must not depend on the locale,
    // and bytes of multi-byte characters are never ordinary.
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
    {
        return true;
    }
    return c != '\0' && std::strchr("._+:@%/=,-", c) != 0;
}

} // namespace

String ShellQuote(const String& text)
{
    bool ordinary = true;
    for (size_t i = 0; i < text.length() && ordinary; ++i)
    {
        ordinary = IsOrdinary(text.charAt(i));
    }
    if (ordinary)
    {
        return text;
    }

    String quoted("'");
    for (size_t i = 0; i < text.length(); ++i)
    {
        char c = text.charAt(i);
        if (c == '\'')
        {
            // Close the quoted part, add an escaped quote, reopen.
            quoted += "'\\''";
        }
        else
        {
            quoted += c;
        }
    }
    quoted += "'";
    return quoted;
}

String NameVersionCommand(const char* option, const String& name, const String& version)
{
    String command(option);
    command += ShellQuote(name);
    command += " ";
    command += ShellQuote(version);
    return command;
}
