// Char16, and the code point tables behind case-insensitive text comparison.
#include "OW_Char16.hpp"
#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_String.hpp"
#include "BaseUtf8.hpp"

#include <cmath>
#include <ostream>

namespace OpenWBEM
{

namespace
{

constexpr double CHAR16_MAX_VALUE = 65535.0;

UInt16 fromReal(double val)
{
    // Out of range (and NaN) would be undefined behaviour in a plain cast.
    if (!(val >= 0.0 && val < CHAR16_MAX_VALUE + 1.0))
    {
        return 0;
    }
    return static_cast<UInt16>(std::trunc(val));
}

} // end unnamed namespace

Char16::Char16(const String& x) : m_value(x.toChar16().getValue()) {}

Char16::Char16(Real32 val) : m_value(fromReal(val)) {}

Char16::Char16(Real64 val) : m_value(fromReal(val)) {}

Char16::Char16(const Bool& val) : m_value(val ? 1 : 0) {}

String Char16::toString() const
{
    return String(*this);
}

std::ostream& operator<<(std::ostream& ostrm, const Char16& arg)
{
    return ostrm << String(arg);
}

namespace utf8
{

namespace
{

// Upper case letters in [first, last] whose lower case form is at a fixed distance.
struct OffsetRange
{
    UInt32 first;
    UInt32 last;
    Int32 offset;
};

constexpr OffsetRange OFFSET_RANGES[] = {
    {0x0041, 0x005A, 32}, {0x00C0, 0x00D6, 32}, {0x00D8, 0x00DE, 32}, {0x0388, 0x038A, 37},
    {0x038E, 0x038F, 63}, {0x0391, 0x03A1, 32}, {0x03A3, 0x03AB, 32}, {0x0400, 0x040F, 80},
    {0x0410, 0x042F, 32}, {0x0531, 0x0556, 48}, {0x1F08, 0x1F0F, -8}, {0x1F18, 0x1F1D, -8},
    {0x1F28, 0x1F2F, -8}, {0x1F38, 0x1F3F, -8}, {0x1F48, 0x1F4D, -8}, {0x1F68, 0x1F6F, -8},
    {0x2160, 0x216F, 16}, {0x24B6, 0x24CF, 26}, {0xFF21, 0xFF3A, 32}, {0x10400, 0x10427, 40},
};

// Ranges where upper and lower case alternate; evenUpper tells which of a pair is upper.
struct PairRange
{
    UInt32 first;
    UInt32 last;
    bool evenUpper;
};

constexpr PairRange PAIR_RANGES[] = {
    {0x0100, 0x012F, true},  {0x0132, 0x0137, true},  {0x0139, 0x0148, false},
    {0x014A, 0x0177, true},  {0x0179, 0x017E, false}, {0x01A0, 0x01A5, true},
    {0x01CD, 0x01DC, false}, {0x01DE, 0x01EF, true},  {0x01F8, 0x021F, true},
    {0x0222, 0x0233, true},  {0x03D8, 0x03EF, true},  {0x0460, 0x0481, true},
    {0x048A, 0x04BF, true},  {0x04C1, 0x04CE, false}, {0x04D0, 0x052F, true},
    {0x1E00, 0x1E95, true},  {0x1EA0, 0x1EFF, true},
};

struct SinglePair
{
    UInt32 from;
    UInt32 to;
};

constexpr SinglePair SINGLE_FOLDS[] = {
    {0x00B5, 0x03BC}, {0x0178, 0x00FF}, {0x017F, 0x0073}, {0x0386, 0x03AC},
    {0x038C, 0x03CC}, {0x03C2, 0x03C3}, {0x04C0, 0x04CF}, {0x1E9E, 0x00DF},
    {0x2126, 0x03C9}, {0x212A, 0x006B}, {0x212B, 0x00E5},
};

} // end unnamed namespace

UInt32 foldCase(UInt32 cp)
{
    if (cp < 0x41)
    {
        return cp;
    }
    for (const OffsetRange& r : OFFSET_RANGES)
    {
        if (cp >= r.first && cp <= r.last)
        {
            return static_cast<UInt32>(static_cast<Int32>(cp) + r.offset);
        }
    }
    for (const PairRange& r : PAIR_RANGES)
    {
        if (cp >= r.first && cp <= r.last)
        {
            const bool isEven = (cp % 2) == 0;
            return isEven == r.evenUpper ? cp + 1 : cp;
        }
    }
    for (const SinglePair& p : SINGLE_FOLDS)
    {
        if (cp == p.from)
        {
            return p.to;
        }
    }
    return cp;
}

std::vector<UInt32> foldedCodePoints(const char* s, size_t len)
{
    std::vector<UInt32> out;
    out.reserve(len);
    size_t pos = 0;
    while (pos < len)
    {
        UInt32 cp = 0;
        decode(s, len, pos, cp);
        out.push_back(foldCase(cp));
    }
    return out;
}

int compareIgnoreCase(const char* a, size_t alen, const char* b, size_t blen)
{
    size_t apos = 0;
    size_t bpos = 0;
    while (apos < alen && bpos < blen)
    {
        UInt32 ca = 0;
        UInt32 cb = 0;
        decode(a, alen, apos, ca);
        decode(b, blen, bpos, cb);
        ca = foldCase(ca);
        cb = foldCase(cb);
        if (ca != cb)
        {
            return ca < cb ? -1 : 1;
        }
    }
    if (apos < alen)
    {
        return 1;
    }
    return bpos < blen ? -1 : 0;
}

bool hasFoldedAffix(const std::vector<UInt32>& text, const std::vector<UInt32>& affix, bool atEnd)
{
    if (affix.size() > text.size())
    {
        return false;
    }
    const size_t offset = atEnd ? text.size() - affix.size() : 0;
    for (size_t i = 0; i < affix.size(); ++i)
    {
        if (text[offset + i] != affix[i])
        {
            return false;
        }
    }
    return true;
}

std::string fromUcs2(const Char16Array& ra)
{
    std::string out;
    for (size_t i = 0; i < ra.size(); ++i)
    {
        UInt32 cp = ra[i].getValue();
        if (cp == 0)
        {
            continue;
        }
        const bool highSurrogate = cp >= 0xD800 && cp <= 0xDBFF;
        if (highSurrogate && i + 1 < ra.size())
        {
            const UInt32 low = ra[i + 1].getValue();
            if (low >= 0xDC00 && low <= 0xDFFF)
            {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        append(out, cp);
    }
    return out;
}

} // end namespace utf8

} // end namespace OpenWBEM
