#include "cim.h"

#include <cctype>
#include <optional>

namespace swu
{

const KeyBinding* InstanceName::key(const std::string& name) const
{
    for (const KeyBinding& k : keys)
    {
        if (k.name == name)
        {
            return &k;
        }
    }
    return nullptr;
}

std::string toText(const InstanceName& name)
{
    std::string out = name.className;
    char separator = '.';
    for (const KeyBinding& k : name.keys)
    {
        out += separator;
        separator = ',';
        out += k.name + "=";
        if (k.valueType == "string" || k.valueType == "reference")
        {
            out += '"';
            for (char c : k.value)
            {
                if (c == '"' || c == '\\')
                {
                    out += '\\';
                }
                out += c;
            }
            out += '"';
        }
        else
        {
            out += k.value;
        }
    }
    return out;
}

const Value* Instance::property(const std::string& name) const
{
    for (const auto& p : properties)
    {
        if (p.first == name)
        {
            return &p.second;
        }
    }
    return nullptr;
}

std::string Instance::text(const std::string& name) const
{
    const Value* v = property(name);
    return v == nullptr || v->null ? std::string() : v->text;
}

bool Instance::has(const std::string& name) const
{
    const Value* v = property(name);
    return v != nullptr && !v->null;
}

const Value* MethodResult::out(const std::string& name) const
{
    // A CIMOM that fills in an empty entry for every OUT parameter before the provider runs
    // sends the provider's own entry after it, under the same name: the last one with a value
    // is the answer.
    const Value* found = nullptr;
    for (const auto& p : outParameters)
    {
        if (p.first == name && (found == nullptr || found->null || !p.second.null))
        {
            found = &p.second;
        }
    }
    return found;
}

const char* statusName(int code)
{
    static const char* const names[] = {
        "CIM_ERR_OK",
        "CIM_ERR_FAILED",
        "CIM_ERR_ACCESS_DENIED",
        "CIM_ERR_INVALID_NAMESPACE",
        "CIM_ERR_INVALID_PARAMETER",
        "CIM_ERR_INVALID_CLASS",
        "CIM_ERR_NOT_FOUND",
        "CIM_ERR_NOT_SUPPORTED",
        "CIM_ERR_CLASS_HAS_CHILDREN",
        "CIM_ERR_CLASS_HAS_INSTANCES",
        "CIM_ERR_INVALID_SUPERCLASS",
        "CIM_ERR_ALREADY_EXISTS",
        "CIM_ERR_NO_SUCH_PROPERTY",
        "CIM_ERR_TYPE_MISMATCH",
        "CIM_ERR_QUERY_LANGUAGE_NOT_SUPPORTED",
        "CIM_ERR_INVALID_QUERY",
        "CIM_ERR_METHOD_NOT_AVAILABLE",
        "CIM_ERR_METHOD_NOT_FOUND",
    };
    if (code >= 0 && code < static_cast<int>(sizeof names / sizeof names[0]))
    {
        return names[code];
    }
    return "CIM_ERR_UNKNOWN";
}

namespace
{

bool isIdentifier(const std::string& text)
{
    if (text.empty() || !(std::isalpha(static_cast<unsigned char>(text[0]))))
    {
        return false;
    }
    for (char c : text)
    {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_'))
        {
            return false;
        }
    }
    return text.find('_') != std::string::npos;
}

std::string trimmed(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
    {
        ++begin;
    }
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
    {
        --end;
    }
    return text.substr(begin, end - begin);
}

} // namespace

namespace
{

struct Tail
{
    std::string readable;
    std::string identifier;
    std::vector<std::string> arguments;
};

std::optional<Tail> splitTail(const std::string& whole)
{
    std::size_t open = whole.rfind("\n#");
    if (open == std::string::npos || whole.size() < open + 3 || whole.back() != '#')
    {
        return std::nullopt;
    }
    std::string tail = whole.substr(open + 2, whole.size() - open - 3);
    std::size_t comma = tail.find(',');
    Tail t;
    t.identifier = tail.substr(0, comma);
    if (!isIdentifier(t.identifier))
    {
        return std::nullopt;
    }
    while (comma != std::string::npos)
    {
        std::size_t next = tail.find(',', comma + 1);
        t.arguments.push_back(tail.substr(comma + 1, next == std::string::npos ? std::string::npos
                                                                               : next - comma - 1));
        comma = next;
    }
    t.readable = trimmed(whole.substr(0, open));
    return t;
}

} // namespace

CimError::CimError(int code, std::string description)
    : std::runtime_error(std::string(statusName(code)) +
                         (description.empty() ? std::string() : ": " + description)),
      code_(code), description_(std::move(description))
{
    std::string whole = trimmed(description_);
    // CIMOMs put the provider's text in parentheses after the text of the status code:
    // "general error (text\n#Identifier#)".
    std::string inner = whole;
    std::size_t paren = whole.find(" (");
    if (paren != std::string::npos && whole.back() == ')')
    {
        inner = trimmed(whole.substr(paren + 2, whole.size() - paren - 3));
    }
    for (const std::string* text : {&whole, &inner})
    {
        if (std::optional<Tail> t = splitTail(*text))
        {
            readable_ = t->readable;
            identifier_ = t->identifier;
            arguments_ = t->arguments;
            return;
        }
        // Without a readable text the provider sends the identifier alone.
        if (text->compare(0, 4, "SWU_") == 0 && isIdentifier(*text))
        {
            identifier_ = *text;
            return;
        }
    }
    readable_ = whole;
}

} // namespace swu
