// CIMObjectPath: object names, their keys, and the text form with its parser.
#include "OW_config.h"
#include "OW_CIMObjectPath.hpp"
#include "OW_Array.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMValue.hpp"
#include "OW_NoSuchPropertyException.hpp"
#include "OW_String.hpp"
#include "CIMImpl.hpp"

#include <algorithm>
#include <cctype>
#include <string>

namespace OpenWBEM
{

namespace
{

const char* const kDefaultProtocol = "http";
const char* const kLocalHost = "localhost";
const char* const kDefaultParseNamespace = "root";
const UInt32 kDefaultHttpPort = 5988;
const unsigned long kMaxTcpPort = 65535;
const size_t kMaxPortDigits = 5;

bool isLocalHost(const String& host)
{
    return host.empty() || host.equalsIgnoreCase(kLocalHost) || host.equals("127.0.0.1");
}

// Surrounding white space and any leading slashes are not part of a namespace name.
String normalizeNamespace(const String& ns)
{
    String out(ns);
    out.trim();
    size_t slashes = 0;
    while (slashes < out.length() && out.charAt(slashes) == '/')
    {
        ++slashes;
    }
    return slashes ? out.substring(slashes) : out;
}

CIMProperty withoutQualifiers(const CIMProperty& key)
{
    CIMProperty copy(key);
    if (copy)
    {
        copy.clearQualifiers();
    }
    return copy;
}

[[noreturn]] void throwBadPath(CIMException::ErrNoType err, const std::string& why,
                               const String& path)
{
    const std::string msg = why + ": " + cimimpl::str(path);
    OW_THROWCIMMSG(err, msg.c_str());
}

std::string trimmed(const std::string& s)
{
    size_t b = 0;
    size_t e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
    {
        ++b;
    }
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
    {
        --e;
    }
    return s.substr(b, e - b);
}

} // end anonymous namespace

struct CIMObjectPath::OPData : public cimimpl::Shared
{
    OPData(const String& cls, const String& ns)
        : className(cls), nameSpace(normalizeNamespace(ns)), host(kLocalHost),
          protocol(kDefaultProtocol), port(kDefaultHttpPort)
    {
    }

    String className;
    String nameSpace;
    String host;
    String protocol;
    UInt32 port;
    CIMPropertyArray keys;
};

CIMObjectPath::CIMObjectPath() : m_pdata(new OPData(String(), String())) {}

CIMObjectPath::CIMObjectPath(CIMNULL_t) : m_pdata(nullptr) {}

CIMObjectPath::CIMObjectPath(const String& className) : m_pdata(new OPData(className, String())) {}

CIMObjectPath::CIMObjectPath(const char* className)
    : m_pdata(new OPData(String(className), String()))
{
}

CIMObjectPath::CIMObjectPath(const String& className, const String& nspace)
    : m_pdata(new OPData(className, nspace))
{
}

CIMObjectPath::CIMObjectPath(const String& className, const CIMPropertyArray& keys)
    : m_pdata(new OPData(className, String()))
{
    setKeys(keys);
}

CIMObjectPath::CIMObjectPath(const String& ns, const CIMInstance& inst)
    : m_pdata(new OPData(inst.getClassName(), ns))
{
    setKeys(inst.getKeyValuePairs());
}

CIMObjectPath::CIMObjectPath(const CIMObjectPath& arg)
    : CIMBase(), m_pdata(cimimpl::share(arg.m_pdata))
{
}

CIMObjectPath::~CIMObjectPath()
{
    cimimpl::release(m_pdata);
}

CIMObjectPath& CIMObjectPath::operator=(const CIMObjectPath& arg)
{
    cimimpl::assign(m_pdata, arg.m_pdata);
    return *this;
}

void CIMObjectPath::setNull()
{
    cimimpl::release(m_pdata);
}

CIMPropertyArray CIMObjectPath::getKeys() const
{
    return OW_CIM_READ(m_pdata).keys;
}

CIMObjectPath& CIMObjectPath::setKeys(const CIMPropertyArray& newKeys)
{
    CIMPropertyArray stripped;
    stripped.reserve(newKeys.size());
    for (size_t i = 0; i < newKeys.size(); ++i)
    {
        stripped.append(withoutQualifiers(newKeys[i]));
    }
    OW_CIM_WRITE(m_pdata).keys = stripped;
    return *this;
}

CIMObjectPath& CIMObjectPath::setKeys(const CIMInstance& instance)
{
    return setKeys(instance.getKeyValuePairs());
}

CIMProperty CIMObjectPath::getKey(const String& keyName) const
{
    const OPData& d = OW_CIM_READ(m_pdata);
    const long i = cimimpl::findByName(d.keys, keyName);
    return i < 0 ? CIMProperty(CIMNULL) : d.keys[size_t(i)];
}

CIMProperty CIMObjectPath::getKeyT(const String& keyName) const
{
    const CIMProperty key = getKey(keyName);
    if (!key)
    {
        OW_THROW(NoSuchPropertyException, keyName.c_str());
    }
    return key;
}

CIMValue CIMObjectPath::getKeyValue(const String& name) const
{
    const CIMProperty key = getKey(name);
    return key ? key.getValue() : CIMValue(CIMNULL);
}

bool CIMObjectPath::keyHasValue(const String& name) const
{
    return bool(getKeyValue(name));
}

CIMObjectPath& CIMObjectPath::setKeyValue(const String& name, const CIMValue& value)
{
    OPData& d = OW_CIM_WRITE(m_pdata);
    const long i = cimimpl::findByName(d.keys, name);
    CIMProperty key = i < 0 ? CIMProperty(name) : d.keys[size_t(i)];
    key.setValue(value);
    if (value)
    {
        key.setDataType(value.getCIMDataType());
    }
    if (i < 0)
    {
        d.keys.append(key);
    }
    else
    {
        d.keys[size_t(i)] = key;
    }
    return *this;
}

// Kept for old callers; a key of the same name is replaced rather than duplicated.
CIMObjectPath& CIMObjectPath::addKey(const String& keyname, const CIMValue& value)
{
    return setKeyValue(keyname, value);
}

CIMObjectPath& CIMObjectPath::addKey(const CIMProperty& key)
{
    OPData& d = OW_CIM_WRITE(m_pdata);
    const long i = cimimpl::findByName(d.keys, key.getName());
    if (i < 0)
    {
        d.keys.append(withoutQualifiers(key));
    }
    else
    {
        d.keys[size_t(i)] = withoutQualifiers(key);
    }
    return *this;
}

String CIMObjectPath::getNameSpace() const
{
    return OW_CIM_READ(m_pdata).nameSpace;
}

CIMObjectPath& CIMObjectPath::setNameSpace(const String& ns)
{
    OW_CIM_WRITE(m_pdata).nameSpace = normalizeNamespace(ns);
    return *this;
}

String CIMObjectPath::getClassName() const
{
    return OW_CIM_READ(m_pdata).className;
}

CIMObjectPath& CIMObjectPath::setClassName(const String& className)
{
    OW_CIM_WRITE(m_pdata).className = className;
    return *this;
}

String CIMObjectPath::getHost() const
{
    return OW_CIM_READ(m_pdata).host;
}

CIMObjectPath& CIMObjectPath::setHost(const String& host)
{
    OW_CIM_WRITE(m_pdata).host = host;
    return *this;
}

bool CIMObjectPath::isClassPath() const
{
    return OW_CIM_READ(m_pdata).keys.empty();
}

bool CIMObjectPath::isInstancePath() const
{
    return !isClassPath();
}

bool CIMObjectPath::equals(const CIMObjectPath& op) const
{
    if (!m_pdata || !op.m_pdata)
    {
        return !m_pdata && !op.m_pdata;
    }
    const OPData& a = *m_pdata;
    const OPData& b = *op.m_pdata;
    if (!a.nameSpace.equalsIgnoreCase(b.nameSpace) || !a.className.equalsIgnoreCase(b.className) ||
        a.keys.size() != b.keys.size())
    {
        return false;
    }
    for (size_t i = 0; i < a.keys.size(); ++i)
    {
        const long j = cimimpl::findByName(b.keys, a.keys[i].getName());
        if (j < 0 || a.keys[i].getValue() != b.keys[size_t(j)].getValue())
        {
            return false;
        }
    }
    return true;
}

bool CIMObjectPath::operator==(const CIMObjectPath& op) const
{
    return equals(op);
}

bool CIMObjectPath::operator!=(const CIMObjectPath& op) const
{
    return !equals(op);
}

String CIMObjectPath::escape(const String& inString)
{
    std::string out;
    const char* p = inString.c_str();
    for (size_t i = 0; i < inString.length(); ++i)
    {
        switch (p[i])
        {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += p[i];
        }
    }
    return cimimpl::toOW(out);
}

// The inverse of escape(). The real library turned "\n" into a plain "n", so a key value
// holding a newline did not survive its own text form; here it does.
String CIMObjectPath::unEscape(const String& inString)
{
    std::string out;
    const char* p = inString.c_str();
    const size_t n = inString.length();
    for (size_t i = 0; i < n; ++i)
    {
        if (p[i] == '\\' && i + 1 < n)
        {
            ++i;
            out += p[i] == 'n' ? '\n' : p[i];
        }
        else
        {
            out += p[i];
        }
    }
    return cimimpl::toOW(out);
}

String CIMObjectPath::modelPath() const
{
    const OPData& d = OW_CIM_READ(m_pdata);
    std::string out = cimimpl::str(d.className);
    for (size_t i = 0; i < d.keys.size(); ++i)
    {
        const CIMValue v = d.keys[i].getValue();
        out += i ? "," : ".";
        out += cimimpl::str(d.keys[i].getName()) + "=\"" +
               (v ? cimimpl::str(escape(v.toString())) : std::string("null")) + "\"";
    }
    return cimimpl::toOW(out);
}

String CIMObjectPath::toString() const
{
    const OPData& d = OW_CIM_READ(m_pdata);
    std::string out;
    if (!isLocalHost(d.host))
    {
        out = cimimpl::str(d.protocol) + "://" + cimimpl::str(d.host);
        if (d.port != kDefaultHttpPort)
        {
            out += ":" + std::to_string(d.port);
        }
    }
    out += "/" + cimimpl::str(d.nameSpace) + ":" + cimimpl::str(modelPath());
    return cimimpl::toOW(out);
}

String CIMObjectPath::toMOF() const
{
    return escape(toString());
}

CIMObjectPath CIMObjectPath::parse(const String& instanceName)
{
    const std::string text = trimmed(cimimpl::str(instanceName));
    if (text.empty())
    {
        throwBadPath(CIMException::INVALID_PARAMETER, "Empty object path", instanceName);
    }
    CIMObjectPath path;
    OPData& d = *path.m_pdata;
    size_t pos = 0;

    // Optional "<protocol>://<host>[:<port>]" or "//<host>[:<port>]" in front.
    const size_t scheme = text.find("://");
    const size_t firstSpecial = text.find_first_of("/:.\"=");
    if (text.compare(0, 2, "//") == 0 || (scheme != std::string::npos && scheme == firstSpecial))
    {
        const size_t hostStart = text.compare(0, 2, "//") == 0 ? 2 : scheme + 3;
        if (hostStart != 2)
        {
            d.protocol = cimimpl::toOW(text.substr(0, scheme));
        }
        const size_t hostEnd = std::min(text.find('/', hostStart), text.size());
        std::string host = text.substr(hostStart, hostEnd - hostStart);
        const size_t colon = host.rfind(':');
        if (colon != std::string::npos && host.find(']', colon) == std::string::npos)
        {
            const std::string port = host.substr(colon + 1);
            if (port.empty() || port.find_first_not_of("0123456789") != std::string::npos ||
                port.size() > kMaxPortDigits || std::stoul(port) > kMaxTcpPort)
            {
                throwBadPath(CIMException::INVALID_PARAMETER, "Invalid port in object path",
                             instanceName);
            }
            d.port = UInt32(std::stoul(port));
            host.erase(colon);
        }
        if (host.empty())
        {
            throwBadPath(CIMException::INVALID_PARAMETER, "Empty host in object path",
                         instanceName);
        }
        d.host = cimimpl::toOW(host);
        pos = hostEnd;
    }

    // "<namespace>:" when a colon comes before anything that belongs to the model path.
    const size_t nsEnd = text.find_first_of(":.\"=", pos);
    if (nsEnd != std::string::npos && text[nsEnd] == ':')
    {
        d.nameSpace = normalizeNamespace(cimimpl::toOW(text.substr(pos, nsEnd - pos)));
        pos = nsEnd + 1;
    }
    else
    {
        d.nameSpace = String(kDefaultParseNamespace);
    }

    const size_t dot = text.find('.', pos);
    const std::string className =
        trimmed(text.substr(pos, (dot == std::string::npos ? text.size() : dot) - pos));
    if (className.empty())
    {
        throwBadPath(CIMException::NOT_FOUND, "No class name in object path", instanceName);
    }
    d.className = cimimpl::toOW(className);
    if (dot == std::string::npos)
    {
        return path;
    }

    // Keys: name=value pairs separated by commas; a value may be quoted (with backslash
    // escapes) or bare up to the next comma. Every key becomes a string.
    pos = dot + 1;
    for (;;)
    {
        const size_t eq = text.find('=', pos);
        if (eq == std::string::npos)
        {
            throwBadPath(CIMException::INVALID_PARAMETER, "Key without a value in object path",
                         instanceName);
        }
        const std::string name = trimmed(text.substr(pos, eq - pos));
        if (name.empty() || name.find_first_of(",\"") != std::string::npos)
        {
            throwBadPath(CIMException::INVALID_PARAMETER, "Invalid key name in object path",
                         instanceName);
        }
        pos = eq + 1;
        while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        {
            ++pos;
        }
        std::string value;
        if (pos < text.size() && text[pos] == '"')
        {
            size_t end = pos + 1;
            while (end < text.size() && text[end] != '"')
            {
                end += text[end] == '\\' ? 2 : 1;
            }
            if (end >= text.size())
            {
                throwBadPath(CIMException::INVALID_PARAMETER,
                             "Unterminated key value in object path", instanceName);
            }
            value = cimimpl::str(unEscape(cimimpl::toOW(text.substr(pos + 1, end - pos - 1))));
            pos = end + 1;
            while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
            {
                ++pos;
            }
            if (pos < text.size() && text[pos] != ',')
            {
                throwBadPath(CIMException::INVALID_PARAMETER,
                             "Unexpected text after a key value in object path", instanceName);
            }
        }
        else
        {
            const size_t comma = std::min(text.find(',', pos), text.size());
            value = trimmed(text.substr(pos, comma - pos));
            pos = comma;
        }
        d.keys.append(CIMProperty(cimimpl::toOW(name), CIMValue(cimimpl::toOW(value))));
        if (pos >= text.size())
        {
            return path;
        }
        ++pos; // the comma
    }
}

} // end namespace OpenWBEM
