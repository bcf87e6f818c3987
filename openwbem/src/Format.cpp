// Format's pattern expansion.
#include "OW_Format.hpp"

#include <ostream>
#include <string>

namespace OpenWBEM
{

void Format::expand(const char* pattern, const String* args, int argCount)
{
    std::string out;
    const char* p = pattern ? pattern : "";
    while (*p != '\0')
    {
        if (*p != '%')
        {
            out += *p++;
            continue;
        }
        const char next = p[1];
        if (next == '%')
        {
            out += '%';
            p += 2;
        }
        else if (next >= '1' && next <= '9' && next - '0' <= argCount)
        {
            const String& arg = args[next - '1'];
            out.append(arg.c_str(), arg.length());
            p += 2;
        }
        else
        {
            // Not a placeholder we can fill: keep the text as written rather than lose it.
            out += *p++;
        }
    }
    m_text = String(out.c_str(), out.size());
}

Format::operator String() const
{
    return m_text;
}

String Format::toString() const
{
    return m_text;
}

const char* Format::c_str() const
{
    return m_text.c_str();
}

std::ostream& operator<<(std::ostream& os, const Format& f)
{
    return os << f.toString();
}

} // end namespace OpenWBEM
