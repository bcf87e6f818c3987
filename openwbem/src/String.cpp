// String: a std::string underneath; every copy owns its bytes.
#include "OW_String.hpp"
#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_Char16.hpp"
#include "OW_CIMDateTime.hpp"
#include "OW_CIMObjectPath.hpp"
#include "BaseNumbers.hpp"
#include "BaseUtf8.hpp"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cfloat>
#include <cstring>
#include <istream>
#include <locale>
#include <new>
#include <ostream>
#include <sstream>

namespace OpenWBEM
{

const size_t String::npos;

namespace
{

bool isWhitespace(char c)
{
    return numbers::isCSpace(c);
}

const char* orEmpty(const char* p)
{
    return p ? p : "";
}

// strcmp's answer for NUL-free text, extended over the whole length so that text holding a
// NUL byte still orders consistently with operator==.
int compareBytes(const std::string& a, const char* b, size_t blen)
{
    const size_t n = a.size() < blen ? a.size() : blen;
    for (size_t i = 0; i < n; ++i)
    {
        const int ca = static_cast<unsigned char>(a[i]);
        const int cb = static_cast<unsigned char>(b[i]);
        if (ca != cb)
        {
            return ca - cb;
        }
    }
    if (a.size() == blen)
    {
        return 0;
    }
    // A NUL byte inside the longer text still makes it the greater one.
    const int next = static_cast<unsigned char>(a.size() < blen ? b[n] : a[n]);
    const int magnitude = next != 0 ? next : 1;
    return a.size() < blen ? -magnitude : magnitude;
}

} // end unnamed namespace

String::String() : m_null(true) {}

String::String(Int32 val) : m_buf(std::to_string(val)), m_null(false) {}

String::String(UInt32 val) : m_buf(std::to_string(val)), m_null(false) {}

String::String(Int64 val) : m_buf(std::to_string(val)), m_null(false) {}

String::String(UInt64 val) : m_buf(std::to_string(val)), m_null(false) {}

String::String(Real64 val) : m_null(false)
{
    std::ostringstream os;
    os.imbue(std::locale::classic());
    os << val;
    m_buf = os.str();
}

String::String(const char* str) : m_buf(orEmpty(str)), m_null(str == 0) {}

String::String(const Char16Array& ra) : m_buf(utf8::fromUcs2(ra)), m_null(false) {}

String::String(Bool parm) : m_buf(parm ? "true" : "false"), m_null(false) {}

String::String(const Char16& parm) : m_null(parm.getValue() == 0)
{
    if (parm.getValue() != 0)
    {
        utf8::append(m_buf, parm.getValue());
    }
}

String::String(const CIMDateTime& parm) : m_buf(parm.toString().c_str()), m_null(false) {}

String::String(const CIMObjectPath& parm) : m_buf(parm.toString().c_str()), m_null(false) {}

String::String(ETakeOwnershipFlag, char* allocatedMemory, size_t len)
    : m_null(allocatedMemory == 0)
{
    if (allocatedMemory)
    {
        try
        {
            m_buf.assign(allocatedMemory, len);
        }
        catch (...)
        {
            delete[] allocatedMemory;
            throw;
        }
        delete[] allocatedMemory;
    }
}

String::String(const char* str, size_t len) : m_null(str == 0)
{
    if (str)
    {
        m_buf.assign(str, len);
    }
}

String::String(char c) : m_null(c == '\0')
{
    if (c != '\0')
    {
        m_buf.assign(1, c);
    }
}

void String::swap(String& x)
{
    m_buf.swap(x.m_buf);
    std::swap(m_null, x.m_null);
}

void String::checkNotNullForConversion(const char* typeName) const
{
    if (m_null && m_buf.empty())
    {
        numbers::throwConversion(m_buf, typeName);
    }
}

char* String::allocateCString() const
{
    char* p = static_cast<char*>(std::malloc(m_buf.size() + 1));
    if (!p)
    {
        throw std::bad_alloc();
    }
    std::memcpy(p, m_buf.c_str(), m_buf.size() + 1);
    return p;
}

int String::format(const char* fmt, ...)
{
    if (!fmt)
    {
        return -1;
    }
    va_list args;
    va_start(args, fmt);
    va_list argsAgain;
    va_copy(argsAgain, args);
    const int needed = std::vsnprintf(nullptr, 0, fmt, args);
    va_end(args);
    if (needed < 0)
    {
        va_end(argsAgain);
        return -1;
    }
    std::string out(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(&out[0], out.size(), fmt, argsAgain);
    va_end(argsAgain);
    out.resize(static_cast<size_t>(needed));
    m_buf.swap(out);
    return needed;
}

StringArray String::tokenize(const char* delims, EReturnTokensFlag returnTokens,
                             EEmptyTokenReturnFlag returnEmptyTokens) const
{
    StringArray tokens;
    if (m_buf.empty() || !delims)
    {
        return tokens;
    }
    std::string current;
    bool previousWasDelimiter = false;
    for (const char c : m_buf)
    {
        const bool isDelimiter = c != '\0' && std::strchr(delims, c) != nullptr;
        if (!isDelimiter)
        {
            current += c;
            previousWasDelimiter = false;
            continue;
        }
        if (!current.empty())
        {
            tokens.push_back(String(current.c_str(), current.size()));
            current.clear();
        }
        else if (returnEmptyTokens == E_RETURN_EMPTY_TOKENS && previousWasDelimiter)
        {
            tokens.push_back(String());
        }
        if (returnTokens == E_RETURN_TOKENS)
        {
            tokens.push_back(String(c));
        }
        previousWasDelimiter = true;
    }
    if (!current.empty())
    {
        tokens.push_back(String(current.c_str(), current.size()));
    }
    return tokens;
}

char String::charAt(size_t ndx) const
{
    return ndx < m_buf.size() ? m_buf[ndx] : '\0';
}

int String::compareTo(const String& arg) const
{
    return compareBytes(m_buf, arg.m_buf.data(), arg.m_buf.size());
}

int String::compareTo(const char* arg) const
{
    const char* p = orEmpty(arg);
    return compareBytes(m_buf, p, std::strlen(p));
}

int String::compareToIgnoreCase(const String& arg) const
{
    return utf8::compareIgnoreCase(m_buf.data(), m_buf.size(), arg.m_buf.data(), arg.m_buf.size());
}

int String::compareToIgnoreCase(const char* arg) const
{
    const char* p = orEmpty(arg);
    return utf8::compareIgnoreCase(m_buf.data(), m_buf.size(), p, std::strlen(p));
}

String& String::concat(const char* arg)
{
    m_buf += orEmpty(arg);
    return *this;
}

String& String::concat(const String& arg)
{
    m_buf += arg.m_buf;
    return *this;
}

String& String::concat(char arg)
{
    if (arg != '\0')
    {
        m_buf += arg;
    }
    return *this;
}

bool String::endsWith(const char* arg, EIgnoreCaseFlag ignoreCase) const
{
    const char* p = orEmpty(arg);
    const size_t n = std::strlen(p);
    if (ignoreCase == E_CASE_INSENSITIVE)
    {
        return utf8::hasFoldedAffix(utf8::foldedCodePoints(m_buf.data(), m_buf.size()),
                                    utf8::foldedCodePoints(p, n), true);
    }
    return n <= m_buf.size() && m_buf.compare(m_buf.size() - n, n, p, n) == 0;
}

bool String::endsWith(char arg) const
{
    return !m_buf.empty() && m_buf[m_buf.size() - 1] == arg;
}

bool String::startsWith(const char* arg, EIgnoreCaseFlag ignoreCase) const
{
    const char* p = orEmpty(arg);
    const size_t n = std::strlen(p);
    if (ignoreCase == E_CASE_INSENSITIVE)
    {
        return utf8::hasFoldedAffix(utf8::foldedCodePoints(m_buf.data(), m_buf.size()),
                                    utf8::foldedCodePoints(p, n), false);
    }
    return n <= m_buf.size() && m_buf.compare(0, n, p, n) == 0;
}

bool String::startsWith(char arg) const
{
    return !m_buf.empty() && m_buf[0] == arg;
}

bool String::equals(const String& arg) const
{
    return m_buf == arg.m_buf;
}

bool String::equals(const char* arg) const
{
    return m_buf == orEmpty(arg);
}

UInt32 String::hashCode() const
{
    // 32-bit FNV-1a.
    UInt32 hash = 2166136261u;
    for (const char c : m_buf)
    {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

size_t String::indexOf(char ch, size_t fromIndex) const
{
    return m_buf.find(ch, fromIndex);
}

size_t String::indexOf(const char* arg, size_t fromIndex) const
{
    return arg ? m_buf.find(arg, fromIndex) : npos;
}

size_t String::indexOf(const String& arg, size_t fromIndex) const
{
    return m_buf.find(arg.m_buf, fromIndex);
}

size_t String::lastIndexOf(char ch, size_t fromIndex) const
{
    return m_buf.rfind(ch, fromIndex);
}

size_t String::lastIndexOf(const char* arg, size_t fromIndex) const
{
    return arg ? m_buf.rfind(arg, fromIndex) : npos;
}

size_t String::lastIndexOf(const String& arg, size_t fromIndex) const
{
    return m_buf.rfind(arg.m_buf, fromIndex);
}

String String::substring(size_t beginIndex, size_t length) const
{
    if (beginIndex >= m_buf.size())
    {
        return String();
    }
    const std::string part = m_buf.substr(beginIndex, length);
    return String(part.data(), part.size());
}

bool String::isSpaces() const
{
    for (const char c : m_buf)
    {
        if (!isWhitespace(c))
        {
            return false;
        }
    }
    return true;
}

String& String::toLowerCase()
{
    for (char& c : m_buf)
    {
        if (c >= 'A' && c <= 'Z')
        {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return *this;
}

String& String::toUpperCase()
{
    for (char& c : m_buf)
    {
        if (c >= 'a' && c <= 'z')
        {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return *this;
}

String& String::ltrim()
{
    size_t first = 0;
    while (first < m_buf.size() && isWhitespace(m_buf[first]))
    {
        ++first;
    }
    m_buf.erase(0, first);
    return *this;
}

String& String::rtrim()
{
    size_t end = m_buf.size();
    while (end > 0 && isWhitespace(m_buf[end - 1]))
    {
        --end;
    }
    m_buf.erase(end);
    return *this;
}

String& String::trim()
{
    rtrim();
    return ltrim();
}

String& String::erase()
{
    m_buf.clear();
    return *this;
}

String& String::erase(size_t idx, size_t len)
{
    if (idx < m_buf.size())
    {
        m_buf.erase(idx, len);
    }
    return *this;
}

Char16 String::toChar16() const
{
    if (m_buf.empty())
    {
        return Char16();
    }
    size_t pos = 0;
    UInt32 cp = 0;
    if (!utf8::decode(m_buf.data(), m_buf.size(), pos, cp) || cp > utf8::BMP_LAST)
    {
        numbers::throwConversion(m_buf, "Char16");
    }
    return Char16(static_cast<UInt16>(cp));
}

Real32 String::toReal32() const
{
    checkNotNullForConversion("Real32");
    return static_cast<Real32>(numbers::parseReal(m_buf, "Real32", FLT_MAX));
}

Real64 String::toReal64() const
{
    checkNotNullForConversion("Real64");
    return numbers::parseReal(m_buf, "Real64", DBL_MAX);
}

bool String::toBool() const
{
    if (equalsIgnoreCase("true"))
    {
        return true;
    }
    if (equalsIgnoreCase("false"))
    {
        return false;
    }
    numbers::throwConversion(m_buf, "bool");
}

UInt8 String::toUInt8(int base) const
{
    checkNotNullForConversion("UInt8");
    return static_cast<UInt8>(numbers::parseUnsigned(m_buf, base, "UInt8", 0xFFu));
}

Int8 String::toInt8(int base) const
{
    checkNotNullForConversion("Int8");
    return static_cast<Int8>(numbers::parseSigned(m_buf, base, "Int8", -128, 127));
}

UInt16 String::toUInt16(int base) const
{
    checkNotNullForConversion("UInt16");
    return static_cast<UInt16>(numbers::parseUnsigned(m_buf, base, "UInt16", 0xFFFFu));
}

Int16 String::toInt16(int base) const
{
    checkNotNullForConversion("Int16");
    return static_cast<Int16>(numbers::parseSigned(m_buf, base, "Int16", -32768, 32767));
}

UInt32 String::toUInt32(int base) const
{
    checkNotNullForConversion("UInt32");
    return static_cast<UInt32>(numbers::parseUnsigned(m_buf, base, "UInt32", 0xFFFFFFFFu));
}

Int32 String::toInt32(int base) const
{
    checkNotNullForConversion("Int32");
    return static_cast<Int32>(
        numbers::parseSigned(m_buf, base, "Int32", -2147483647LL - 1, 2147483647LL));
}

UInt64 String::toUInt64(int base) const
{
    checkNotNullForConversion("UInt64");
    return static_cast<UInt64>(numbers::parseUnsigned(m_buf, base, "UInt64", ~0ULL));
}

Int64 String::toInt64(int base) const
{
    checkNotNullForConversion("Int64");
    return static_cast<Int64>(numbers::parseSigned(m_buf, base, "Int64", -9223372036854775807LL - 1,
                                                   9223372036854775807LL));
}

CIMDateTime String::toDateTime() const
{
    return CIMDateTime(*this);
}

String String::getLine(std::istream& istr)
{
    std::string line;
    std::getline(istr, line);
    return String(line.data(), line.size());
}

std::ostream& operator<<(std::ostream& ostr, const String& arg)
{
    return ostr.write(arg.c_str(), static_cast<std::streamsize>(arg.length()));
}

} // end namespace OpenWBEM
