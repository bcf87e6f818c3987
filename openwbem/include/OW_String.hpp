// The API's text type: a byte string holding UTF-8, with the searching, trimming, tokenizing
// and number-conversion helpers providers use. Only `const char*` converts to it implicitly;
// every other source needs an explicit constructor, and nothing converts back implicitly.
// Thread-safety: copies are independent; concurrent reads are safe, a write needs sole use.
#ifndef OW_STRING_HPP_INCLUDE_GUARD_
#define OW_STRING_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Types.hpp"
#include "OW_ArrayFwd.hpp"
#include "OW_Exception.hpp"
#include <cstddef>
#include <iosfwd>
#include <string>

namespace OpenWBEM
{

class String;
class Bool;
class Char16;
class CIMDateTime;
class CIMObjectPath;
typedef Array<String> StringArray;
typedef Array<Char16> Char16Array;

// Raised by the toXxx() conversions: `Unable to convert "<text>" into <Type>`.
OW_DECLARE_EXCEPTION(StringConversion);

class String
{
public:
    String();
    explicit String(Int32 val);
    explicit String(UInt32 val);
    explicit String(Int64 val);
    explicit String(UInt64 val);
    // Six significant digits, as an ostream prints a double by default.
    explicit String(Real64 val);
    // A null pointer gives the empty string.
    String(const char* str);
    explicit String(const Char16Array& ra);
    explicit String(Bool parm);
    explicit String(const Char16& parm);
    explicit String(const CIMDateTime& parm);
    explicit String(const CIMObjectPath& parm);

    enum ETakeOwnershipFlag
    {
        E_TAKE_OWNERSHIP
    };
    // allocatedMemory must come from new char[]; it is released here, at once.
    explicit String(ETakeOwnershipFlag, char* allocatedMemory, size_t len);
    explicit String(const char* str, size_t len);
    // The NUL character gives the empty string.
    explicit String(char c);

    void swap(String& x);
    // A malloc'ed copy the caller must free().
    char* allocateCString() const;
    size_t length() const { return m_buf.size(); }
    bool empty() const { return m_buf.empty(); }
    // Replaces the contents with the printf-style expansion; returns the new length, or -1
    // when the format cannot be expanded (the contents are then left unchanged).
    int format(const char* fmt, ...)
#ifdef __GNUC__
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    enum EReturnTokensFlag
    {
        E_DISCARD_TOKENS,
        E_RETURN_TOKENS
    };
    enum EEmptyTokenReturnFlag
    {
        E_SKIP_EMPTY_TOKENS,
        E_RETURN_EMPTY_TOKENS
    };
    // Every character of delims separates tokens. With E_RETURN_TOKENS each delimiter is
    // also returned as a token of its own; with E_RETURN_EMPTY_TOKENS an empty token is
    // returned between two adjacent delimiters (never before the first or after the last).
    StringArray tokenize(const char* delims = " \n\r\t\v",
                         EReturnTokensFlag returnTokens = E_DISCARD_TOKENS,
                         EEmptyTokenReturnFlag returnEmptyTokens = E_SKIP_EMPTY_TOKENS) const;

    // Never null: "" for the empty string.
    const char* c_str() const
    {
        return m_buf.c_str();
    }
    const char* getBytes() const
    {
        return m_buf.c_str();
    }
    // '\0' for an index at or past the end.
    char charAt(size_t ndx) const;
    char operator[](size_t ndx) const
    {
        return charAt(ndx);
    }

    // Only the sign of these results is meaningful.
    int compareTo(const String& arg) const;
    int compareTo(const char* arg) const;
    int compareToIgnoreCase(const String& arg) const;
    int compareToIgnoreCase(const char* arg) const;

    String& concat(const char* arg);
    String& concat(const String& arg);
    // Appending the NUL character changes nothing.
    String& concat(char arg);

    enum EIgnoreCaseFlag
    {
        E_CASE_SENSITIVE,
        E_CASE_INSENSITIVE
    };
    bool endsWith(const char* arg, EIgnoreCaseFlag ignoreCase = E_CASE_SENSITIVE) const;
    bool endsWith(const String& arg, EIgnoreCaseFlag ignoreCase = E_CASE_SENSITIVE) const
    {
        return endsWith(arg.c_str(), ignoreCase);
    }
    bool endsWith(char arg) const;
    bool startsWith(const char* arg, EIgnoreCaseFlag ignoreCase = E_CASE_SENSITIVE) const;
    bool startsWith(const String& arg, EIgnoreCaseFlag ignoreCase = E_CASE_SENSITIVE) const
    {
        return startsWith(arg.c_str(), ignoreCase);
    }
    bool startsWith(char arg) const;

    bool equals(const String& arg) const;
    bool equals(const char* arg) const;
    bool equalsIgnoreCase(const String& arg) const
    {
        return compareToIgnoreCase(arg) == 0;
    }
    bool equalsIgnoreCase(const char* arg) const
    {
        return compareToIgnoreCase(arg) == 0;
    }
    UInt32 hashCode() const;

    // All return npos when nothing is found.
    size_t indexOf(char ch, size_t fromIndex = 0) const;
    size_t indexOf(const char* arg, size_t fromIndex = 0) const;
    size_t indexOf(const String& arg, size_t fromIndex = 0) const;
    size_t lastIndexOf(char ch, size_t fromIndex = npos) const;
    size_t lastIndexOf(const char* arg, size_t fromIndex = npos) const;
    size_t lastIndexOf(const String& arg, size_t fromIndex = npos) const;

    // Clamped to the string; a start past the end gives the empty string.
    String substring(size_t beginIndex, size_t length = npos) const;
    bool isSpaces() const;

    // The following modify the string in place and return it.
    String& toLowerCase();
    String& toUpperCase();
    String& ltrim();
    String& rtrim();
    String& trim();
    String& erase();
    String& erase(size_t idx, size_t len = npos);

    String& operator+=(const String& arg)
    {
        return concat(arg);
    }
    String& operator+=(const char* arg)
    {
        return concat(arg);
    }
    String& operator+=(char arg)
    {
        return concat(arg);
    }

    String toString() const
    {
        return *this;
    }
    Char16 toChar16() const;
    Real32 toReal32() const;
    Real64 toReal64() const;
    bool toBool() const;
    UInt8 toUInt8(int base = 10) const;
    Int8 toInt8(int base = 10) const;
    UInt16 toUInt16(int base = 10) const;
    Int16 toInt16(int base = 10) const;
    UInt32 toUInt32(int base = 10) const;
    Int32 toInt32(int base = 10) const;
    UInt64 toUInt64(int base = 10) const;
    Int64 toInt64(int base = 10) const;
    CIMDateTime toDateTime() const;

    // Reads up to the next newline, which is consumed but not stored.
    static String getLine(std::istream& istr);

    static const size_t npos = size_t(~0);

private:
    // Throws the conversion failure for a null String (as opposed to an empty one).
    void checkNotNullForConversion(const char* typeName) const;

    std::string m_buf;
    // True while the String has never held a buffer (default-constructed or made from a null
    // pointer): such a String converts to no number, whereas "" converts to 0.
    bool m_null;
};

std::ostream& operator<<(std::ostream& ostr, const String& arg);

inline String operator+(const String& s1, const String& s2)
{
    String rv(s1);
    return rv.concat(s2);
}
inline String operator+(const char* p, const String& s)
{
    String rv(p);
    return rv.concat(s);
}
inline String operator+(const String& s, const char* p)
{
    String rv(s);
    return rv.concat(p);
}
inline String operator+(char c, const String& s)
{
    String rv(c);
    return rv.concat(s);
}
inline String operator+(const String& s, char c)
{
    String rv(s);
    return rv.concat(c);
}

inline bool operator==(const String& s1, const String& s2)
{
    return s1.equals(s2);
}
inline bool operator==(const String& s1, const char* p)
{
    return s1.equals(p);
}
inline bool operator==(const char* p, const String& s)
{
    return s.equals(p);
}
inline bool operator!=(const String& s1, const String& s2)
{
    return !s1.equals(s2);
}
inline bool operator!=(const String& s1, const char* p)
{
    return !s1.equals(p);
}
inline bool operator!=(const char* p, const String& s)
{
    return !s.equals(p);
}
inline bool operator<(const String& s1, const String& s2)
{
    return s1.compareTo(s2) < 0;
}
inline bool operator<(const String& s1, const char* p)
{
    return s1.compareTo(p) < 0;
}
inline bool operator<(const char* p, const String& s)
{
    return s.compareTo(p) > 0;
}
inline bool operator<=(const String& s1, const String& s2)
{
    return s1.compareTo(s2) <= 0;
}
inline bool operator<=(const String& s1, const char* p)
{
    return s1.compareTo(p) <= 0;
}
inline bool operator<=(const char* p, const String& s)
{
    return s.compareTo(p) >= 0;
}
inline bool operator>(const String& s1, const String& s2)
{
    return s1.compareTo(s2) > 0;
}
inline bool operator>(const String& s1, const char* p)
{
    return s1.compareTo(p) > 0;
}
inline bool operator>(const char* p, const String& s)
{
    return s.compareTo(p) < 0;
}
inline bool operator>=(const String& s1, const String& s2)
{
    return s1.compareTo(s2) >= 0;
}
inline bool operator>=(const String& s1, const char* p)
{
    return s1.compareTo(p) >= 0;
}
inline bool operator>=(const char* p, const String& s)
{
    return s.compareTo(p) <= 0;
}

} // end namespace OpenWBEM

#endif
