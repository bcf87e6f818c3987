// The escaping of response.h: XML markup, and the bytes XML 1.0 cannot carry.
#include "cimxml/response.h"

namespace cimom
{

namespace
{

const char kReplacementChar[] = "\xEF\xBF\xBD";

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence starting at text[i], or 0.
size_t utf8Length(std::string_view text, size_t i)
{
    const auto at = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = at(0);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
    {
        length = 2;
    }
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    }
    if (length == 0 || i + length > text.size() || at(1) < low || at(1) > high)
    {
        return 0;
    }
    for (size_t k = 2; k < length; ++k)
    {
        if (!isContinuation(at(k)))
        {
            return 0;
        }
    }
    // U+FFFE and U+FFFF are not XML characters either.
    if (length == 3 && lead == 0xEF && at(1) == 0xBF && at(2) >= 0xBE)
    {
        return 0;
    }
    return length;
}

} // namespace

std::string xmlEscape(std::string_view text, bool /*attribute: escaped alike*/)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    size_t i = 0;
    while (i < text.size())
    {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80)
        {
            const size_t length = utf8Length(text, i);
            if (length == 0)
            {
                out += kReplacementChar;
                ++i;
            }
            else
            {
                out.append(text.substr(i, length));
                i += length;
            }
            continue;
        }
        switch (c)
        {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        // Quotes, apostrophes and white space other than the blank go out as references in
        // text as in attributes, as OpenWBEM's daemon sends them: clients that print values
        // as received then print the same from both.
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '\r':
            out += "&#13;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\t':
            out += "&#9;";
            break;
        default:
            if (c < 0x20)
            {
                out += kReplacementChar;
            }
            else
            {
                out += static_cast<char>(c);
            }
        }
        ++i;
    }
    return out;
}

} // namespace cimom
