// The CIMObject header check of request.h: the header's text form of a class or
// instance path compared with the path in the request body.
#include "cimxml/request.h"

#include "OW_Array.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_String.hpp"

#include <cctype>
#include <cstdlib>
#include <strings.h>
#include <utility>

namespace cimom
{

namespace
{

struct HeaderKey
{
    std::string name;
    std::string value;
};

// Reads "Class" or "Class.k1=\"v\",k2=5" (values quoted with \-escapes, or bare).
bool parseModelPath(const std::string& text, std::string& className, std::vector<HeaderKey>& keys)
{
    const size_t dot = text.find('.');
    className = text.substr(0, dot);
    if (className.empty() || dot == std::string::npos)
    {
        return !className.empty();
    }
    size_t pos = dot + 1;
    while (pos < text.size())
    {
        const size_t equals = text.find('=', pos);
        if (equals == std::string::npos || equals == pos)
        {
            return false;
        }
        HeaderKey key{text.substr(pos, equals - pos), ""};
        pos = equals + 1;
        if (pos < text.size() && text[pos] == '"')
        {
            ++pos;
            bool closed = false;
            while (pos < text.size())
            {
                const char c = text[pos++];
                if (c == '\\' && pos < text.size())
                {
                    key.value += text[pos++];
                }
                else if (c == '"')
                {
                    closed = true;
                    break;
                }
                else
                {
                    key.value += c;
                }
            }
            if (!closed)
            {
                return false;
            }
        }
        else
        {
            const size_t comma = text.find(',', pos);
            key.value =
                text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
            pos = comma == std::string::npos ? text.size() : comma;
        }
        keys.push_back(std::move(key));
        if (pos < text.size())
        {
            if (text[pos] != ',' || pos + 1 == text.size())
            {
                return false;
            }
            ++pos;
        }
    }
    return true;
}

bool sameNumber(const std::string& a, const std::string& b)
{
    char* endA = nullptr;
    char* endB = nullptr;
    const double x = std::strtod(a.c_str(), &endA);
    const double y = std::strtod(b.c_str(), &endB);
    return !a.empty() && !b.empty() && *endA == '\0' && *endB == '\0' && x == y;
}

bool keyValueMatches(const OpenWBEM::CIMValue& value, const std::string& text)
{
    if (!value)
    {
        return strcasecmp(text.c_str(), "null") == 0 || text.empty();
    }
    // A reference key's text form differs between clients (host, quoting, key order); the
    // rest of the path already pins the object down.
    if (value.getType() == OpenWBEM::CIMDataType::REFERENCE)
    {
        return true;
    }
    const std::string own = value.toString().c_str();
    if (own == text)
    {
        return true;
    }
    if (value.getType() == OpenWBEM::CIMDataType::BOOLEAN)
    {
        return strcasecmp(own.c_str(), text.c_str()) == 0;
    }
    return value.isNumericType() && sameNumber(own, text);
}

std::string strippedNamespace(std::string ns)
{
    while (!ns.empty() && ns.front() == '/')
    {
        ns.erase(0, 1);
    }
    while (!ns.empty() && ns.back() == '/')
    {
        ns.pop_back();
    }
    return ns;
}

} // namespace

std::optional<std::string> percentDecode(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '%')
        {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 2])))
        {
            return std::nullopt;
        }
        out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
        i += 2;
    }
    return out;
}

bool objectHeaderMatches(const std::string& header, const OpenWBEM::CIMObjectPath& path)
{
    const size_t colon = header.find(':');
    if (colon == std::string::npos)
    {
        return false;
    }
    const std::string ns = strippedNamespace(header.substr(0, colon));
    if (strcasecmp(ns.c_str(), strippedNamespace(path.getNameSpace().c_str()).c_str()) != 0)
    {
        return false;
    }
    std::string className;
    std::vector<HeaderKey> headerKeys;
    if (!parseModelPath(header.substr(colon + 1), className, headerKeys) ||
        strcasecmp(className.c_str(), path.getClassName().c_str()) != 0)
    {
        return false;
    }
    const OpenWBEM::CIMPropertyArray keys = path.getKeys();
    if (keys.size() != headerKeys.size())
    {
        return false;
    }
    for (const OpenWBEM::CIMProperty& key : keys)
    {
        const std::string name = key.getName().c_str();
        bool found = false;
        for (const HeaderKey& headerKey : headerKeys)
        {
            // An unnamed single key in the body matches whatever name the header gives it.
            if ((name.empty() || strcasecmp(headerKey.name.c_str(), name.c_str()) == 0) &&
                keyValueMatches(key.getValue(), headerKey.value))
            {
                found = true;
                break;
            }
        }
        if (!found)
        {
            return false;
        }
    }
    return true;
}

} // namespace cimom
