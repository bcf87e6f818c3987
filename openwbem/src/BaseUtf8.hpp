// UTF-8 decoding, encoding and simple case folding shared by String and Char16: the
// case-insensitive comparisons of CIM names and the char16 <-> text conversions.
// Thread-safety: pure functions over their arguments.
#ifndef OW_SRC_BASEUTF8_HPP_INCLUDE_GUARD_
#define OW_SRC_BASEUTF8_HPP_INCLUDE_GUARD_
#include "OW_Types.hpp"
#include "OW_Char16.hpp"
#include <cstddef>
#include <string>
#include <vector>

namespace OpenWBEM::utf8
{

inline constexpr UInt32 REPLACEMENT_CHARACTER = 0xFFFD;
inline constexpr UInt32 MAX_CODE_POINT = 0x10FFFF;
inline constexpr UInt32 BMP_LAST = 0xFFFF;

// A byte that starts no valid sequence decodes to this range, one value per byte, so
// malformed text still compares deterministically and never equal to a real character.
inline constexpr UInt32 INVALID_BYTE_BASE = 0x80000000u;

inline bool isSurrogate(UInt32 cp)
{
    return cp >= 0xD800 && cp <= 0xDFFF;
}

// Decodes the code point at pos and advances past it. Overlong forms, surrogates and values
// above U+10FFFF are malformed: then one byte is consumed and false is returned, with cp set
// to INVALID_BYTE_BASE + that byte.
inline bool decode(const char* s, size_t len, size_t& pos, UInt32& cp)
{
    const unsigned char lead = static_cast<unsigned char>(s[pos]);
    size_t extra = 0;
    UInt32 value = 0;
    UInt32 minimum = 0;
    if (lead < 0x80)
    {
        cp = lead;
        ++pos;
        return true;
    }
    else if ((lead & 0xE0) == 0xC0)
    {
        extra = 1;
        value = lead & 0x1F;
        minimum = 0x80;
    }
    else if ((lead & 0xF0) == 0xE0)
    {
        extra = 2;
        value = lead & 0x0F;
        minimum = 0x800;
    }
    else if ((lead & 0xF8) == 0xF0)
    {
        extra = 3;
        value = lead & 0x07;
        minimum = 0x10000;
    }
    else
    {
        cp = INVALID_BYTE_BASE + lead;
        ++pos;
        return false;
    }
    if (pos + extra >= len)
    {
        cp = INVALID_BYTE_BASE + lead;
        ++pos;
        return false;
    }
    for (size_t i = 1; i <= extra; ++i)
    {
        const unsigned char c = static_cast<unsigned char>(s[pos + i]);
        if ((c & 0xC0) != 0x80)
        {
            cp = INVALID_BYTE_BASE + lead;
            ++pos;
            return false;
        }
        value = (value << 6) | (c & 0x3F);
    }
    if (value < minimum || value > MAX_CODE_POINT || isSurrogate(value))
    {
        cp = INVALID_BYTE_BASE + lead;
        ++pos;
        return false;
    }
    cp = value;
    pos += extra + 1;
    return true;
}

// Appends cp as UTF-8; surrogates and out-of-range values become U+FFFD.
inline void append(std::string& out, UInt32 cp)
{
    if (cp > MAX_CODE_POINT || isSurrogate(cp))
    {
        cp = REPLACEMENT_CHARACTER;
    }
    if (cp < 0x80)
    {
        out += static_cast<char>(cp);
    }
    else if (cp < 0x800)
    {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else if (cp < 0x10000)
    {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The functions below are defined in Char16.cpp.

// Simple (one-to-one) case folding for the scripts CIM names and descriptions realistically
// use: Latin, Greek, Cyrillic, Armenian and the fullwidth Latin letters.
UInt32 foldCase(UInt32 cp);

// The folded code points of a text, for case-insensitive comparison.
std::vector<UInt32> foldedCodePoints(const char* s, size_t len);

// <0, 0 or >0 as a and b compare after case folding.
int compareIgnoreCase(const char* a, size_t alen, const char* b, size_t blen);

// Whether the folded text begins (or, with atEnd, ends) with the folded affix.
bool hasFoldedAffix(const std::vector<UInt32>& text, const std::vector<UInt32>& affix, bool atEnd);

// The UTF-8 form of UCS-2 values: surrogate pairs combine into one character, NUL values are
// dropped, lone surrogates become U+FFFD.
std::string fromUcs2(const Char16Array& ra);

} // end namespace OpenWBEM::utf8

#endif
