// Strict text-to-number parsing behind String's toXxx() conversions: the whole text must be
// one number, ranges are checked, and the process-wide locale never changes the result.
// Thread-safety: pure functions; the shared "C" locale is created once and never modified.
#ifndef OW_SRC_BASENUMBERS_HPP_INCLUDE_GUARD_
#define OW_SRC_BASENUMBERS_HPP_INCLUDE_GUARD_
#include "OW_String.hpp"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

namespace OpenWBEM::numbers
{

// The C library's isspace() in the C locale, spelled out.
inline bool isCSpace(char c)
{
    return c != '\0' && std::strchr(" \t\n\v\f\r", c) != nullptr;
}

[[noreturn]] inline void throwConversion(const std::string& text, const char* typeName)
{
    const std::string msg = "Unable to convert \"" + text + "\" into " + typeName;
    OW_THROW(StringConversionException, msg.c_str());
}

inline locale_t cLocale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

// strtoll rules (leading white space, a sign, "0x" in base 16), then nothing may follow the
// digits and the value must lie in [lo, hi]. As in the library providers were written
// against, an empty (but not null) text reads as 0: the check is only that nothing is left.
inline long long parseSigned(const std::string& s, int base, const char* typeName, long long lo,
                             long long hi)
{
    const char* begin = s.c_str();
    char* end = nullptr;
    errno = 0;
    const long long v = strtoll_l(begin, &end, base, cLocale());
    if (end != begin + s.size() || errno != 0 || v < lo || v > hi)
    {
        throwConversion(s, typeName);
    }
    return v;
}

// As parseSigned with strtoull: a negative number wraps round ("-1" is the largest value), so
// it passes only where the type is as wide as unsigned long long; narrower types refuse it by
// their range check.
inline unsigned long long parseUnsigned(const std::string& s, int base, const char* typeName,
                                        unsigned long long hi)
{
    const char* begin = s.c_str();
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = strtoull_l(begin, &end, base, cLocale());
    if (end != begin + s.size() || errno != 0 || v > hi)
    {
        throwConversion(s, typeName);
    }
    return v;
}

// strtod rules; overflow fails, underflow rounds towards zero as strtod does.
inline double parseReal(const std::string& s, const char* typeName, double maxMagnitude)
{
    const char* begin = s.c_str();
    char* end = nullptr;
    errno = 0;
    const double v = strtod_l(begin, &end, cLocale());
    if (end != begin + s.size())
    {
        throwConversion(s, typeName);
    }
    if ((errno == ERANGE && std::isinf(v)) || (std::isfinite(v) && std::fabs(v) > maxMagnitude))
    {
        throwConversion(s, typeName);
    }
    return v;
}

} // end namespace OpenWBEM::numbers

#endif
