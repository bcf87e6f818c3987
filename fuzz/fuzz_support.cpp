// The shared checks of the fuzz targets.
#include "fuzz_target.h"

#include <cstdio>
#include <cstdlib>

namespace fuzz
{

void fail(const std::string& what, size_t inputSize)
{
    std::fprintf(stderr, "fuzz check failed on an input of %zu bytes: %s\n", inputSize,
                 what.c_str());
    std::fflush(stderr);
    std::abort();
}

namespace
{

// Bytes a well-formed sequence continues with after its first byte, and the allowed range of
// its second byte; 0 continuation bytes means the first byte cannot start a sequence.
struct Utf8Lead
{
    size_t continuationBytes;
    unsigned char secondLow;
    unsigned char secondHigh;
};

Utf8Lead leadOf(unsigned char c)
{
    if (c >= 0xC2 && c <= 0xDF)
    {
        return {1, 0x80, 0xBF};
    }
    if (c >= 0xE0 && c <= 0xEF)
    {
        return {2, static_cast<unsigned char>(c == 0xE0 ? 0xA0 : 0x80),
                static_cast<unsigned char>(c == 0xED ? 0x9F : 0xBF)};
    }
    if (c >= 0xF0 && c <= 0xF4)
    {
        return {3, static_cast<unsigned char>(c == 0xF0 ? 0x90 : 0x80),
                static_cast<unsigned char>(c == 0xF4 ? 0x8F : 0xBF)};
    }
    return {0, 0, 0};
}

} // namespace

bool isXmlCharacterData(const std::string& text)
{
    size_t i = 0;
    while (i < text.size())
    {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80)
        {
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            {
                return false;
            }
            ++i;
            continue;
        }
        const Utf8Lead lead = leadOf(c);
        if (lead.continuationBytes == 0 || i + lead.continuationBytes >= text.size())
        {
            return false;
        }
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (second < lead.secondLow || second > lead.secondHigh)
        {
            return false;
        }
        for (size_t k = 2; k <= lead.continuationBytes; ++k)
        {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            {
                return false;
            }
        }
        // U+FFFE and U+FFFF are no XML characters.
        if (c == 0xEF && second == 0xBF && static_cast<unsigned char>(text[i + 2]) >= 0xBE)
        {
            return false;
        }
        i += lead.continuationBytes + 1;
    }
    return true;
}

} // namespace fuzz
