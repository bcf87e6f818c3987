#include "Text.hpp"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace softinv
{

namespace
{

bool needsEscape(unsigned char c)
{
    return c < 0x20 || c == 0x7f || c == '%' || c == ',' || c == ';' || c == '=';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
    {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F')
    {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f')
    {
        return c - 'a' + 10;
    }
    return -1;
}

} // namespace

std::string escapeAtom(const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text)
    {
        if (needsEscape(c))
        {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xf];
        }
        else
        {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string unescapeAtom(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '%' && i + 2 < text.size())
        {
            int high = hexValue(text[i + 1]);
            int low = hexValue(text[i + 2]);
            if (high >= 0 && low >= 0)
            {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::vector<std::string> splitExact(const std::string& text, char separator)
{
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;)
    {
        auto end = text.find(separator, start);
        if (end == std::string::npos)
        {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

std::string joinEscaped(const std::vector<std::string>& atoms, char separator)
{
    std::string out;
    for (std::size_t i = 0; i < atoms.size(); ++i)
    {
        if (i > 0)
        {
            out += separator;
        }
        out += escapeAtom(atoms[i]);
    }
    return out;
}

std::vector<std::string> splitEscaped(const std::string& text, char separator)
{
    std::vector<std::string> atoms;
    if (text.empty())
    {
        return atoms;
    }
    for (const auto& piece : splitExact(text, separator))
    {
        atoms.push_back(unescapeAtom(piece));
    }
    return atoms;
}

std::string trim(const std::string& text)
{
    auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
    {
        return "";
    }
    auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> splitWords(const std::string& text)
{
    std::vector<std::string> words;
    std::string current;
    for (char c : text)
    {
        if (c == ' ' || c == '\t')
        {
            if (!current.empty())
            {
                words.push_back(current);
                current.clear();
            }
        }
        else
        {
            current += c;
        }
    }
    if (!current.empty())
    {
        words.push_back(current);
    }
    return words;
}

bool isFieldText(const std::string& text, std::size_t maxChars)
{
    if (text.empty() || text.size() > maxChars || text.front() == ' ' || text.back() == ' ')
    {
        return false;
    }
    for (unsigned char c : text)
    {
        if (c < 0x20 || c == 0x7f)
        {
            return false;
        }
    }
    return true;
}

bool isPlainToken(const std::string& text, std::size_t maxChars)
{
    if (text.empty() || text.size() > maxChars || text.front() == '-' || text.front() == '.')
    {
        return false;
    }
    for (unsigned char c : text)
    {
        if (!std::isalnum(c) && std::strchr("._+:~-", c) == nullptr)
        {
            return false;
        }
    }
    return true;
}

std::string toFieldText(const std::string& text, std::size_t maxChars)
{
    std::string out;
    for (unsigned char c : text)
    {
        if (c >= 0x20 && c != 0x7f)
        {
            out += static_cast<char>(c);
        }
    }
    if (out.size() > maxChars)
    {
        out.resize(maxChars);
    }
    out = trim(out);
    return out.empty() ? std::string("-") : out;
}

std::string formatDate(std::time_t when)
{
    std::tm parts{};
    localtime_r(&when, &parts);
    char buffer[64];
    // The program never calls setlocale, so names are the C locale's English ones.
    std::strftime(buffer, sizeof buffer, "%a %b %e %H:%M:%S %Y", &parts);
    return buffer;
}

std::optional<std::time_t> parseDate(const std::string& raw)
{
    std::string text = trim(raw);
    // CIM form: yyyymmddhhmmss.uuuuuu followed by the offset east of UTC in minutes.
    if (text.size() == 25 && text[14] == '.' && (text[21] == '+' || text[21] == '-'))
    {
        for (std::size_t i = 0; i < 25; ++i)
        {
            if (i != 14 && i != 21 && !std::isdigit(static_cast<unsigned char>(text[i])))
            {
                return std::nullopt;
            }
        }
        std::tm parts{};
        parts.tm_year = std::atoi(text.substr(0, 4).c_str()) - 1900;
        parts.tm_mon = std::atoi(text.substr(4, 2).c_str()) - 1;
        parts.tm_mday = std::atoi(text.substr(6, 2).c_str());
        parts.tm_hour = std::atoi(text.substr(8, 2).c_str());
        parts.tm_min = std::atoi(text.substr(10, 2).c_str());
        parts.tm_sec = std::atoi(text.substr(12, 2).c_str());
        int offsetMinutes = std::atoi(text.substr(22, 3).c_str());
        if (text[21] == '-')
        {
            offsetMinutes = -offsetMinutes;
        }
        if (parts.tm_mon < 0 || parts.tm_mon > 11 || parts.tm_mday < 1 || parts.tm_mday > 31 ||
            parts.tm_hour > 23 || parts.tm_min > 59 || parts.tm_sec > 60)
        {
            return std::nullopt;
        }
        return timegm(&parts) - static_cast<std::time_t>(offsetMinutes) * 60;
    }
    std::tm parts{};
    const char* end = strptime(text.c_str(), "%a %b %d %H:%M:%S %Y", &parts);
    if (end == nullptr || *end != '\0')
    {
        return std::nullopt;
    }
    parts.tm_isdst = -1;
    std::time_t when = std::mktime(&parts);
    if (when == static_cast<std::time_t>(-1))
    {
        return std::nullopt;
    }
    return when;
}

std::string humanSize(std::uint64_t bytes)
{
    constexpr std::uint64_t kBytesPerKilobyte = 1024;
    constexpr std::uint64_t kBytesPerMegabyte = 1024 * 1024;
    char buffer[32];
    if (bytes < kBytesPerKilobyte)
    {
        std::snprintf(buffer, sizeof buffer, "%llu B", static_cast<unsigned long long>(bytes));
    }
    else if (bytes < kBytesPerMegabyte)
    {
        std::snprintf(
            buffer, sizeof buffer, "%llu KB",
            static_cast<unsigned long long>((bytes + kBytesPerKilobyte - 1) / kBytesPerKilobyte));
    }
    else
    {
        std::snprintf(buffer, sizeof buffer, "%.1f MB",
                      static_cast<double>(bytes) / static_cast<double>(kBytesPerMegabyte));
    }
    return buffer;
}

std::optional<long long> parseInteger(const std::string& text)
{
    if (text.empty())
    {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end == nullptr || *end != '\0')
    {
        return std::nullopt;
    }
    return value;
}

} // namespace softinv
