#include "config.h"

#include "logger.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <netinet/in.h>
#include <set>
#include <sstream>
#include <strings.h>

namespace cimom
{

namespace
{

const char* const kBlanks = " \t\r";

std::string trim(const std::string& text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos)
    {
        return {};
    }
    const auto last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool isKeyCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '-';
}

// Empty when the key is acceptable, else what is wrong with it.
std::string keyProblem(const std::string& key)
{
    if (key.empty())
    {
        return "missing item name before '='";
    }
    for (char c : key)
    {
        if (!isKeyCharacter(c))
        {
            return "item name '" + key + "' may hold only letters, digits, '_', '.' and '-'";
        }
    }
    return {};
}

std::vector<std::string> splitList(const std::string& text)
{
    std::vector<std::string> parts;
    std::string current;
    for (char c : text)
    {
        if (c == ' ' || c == '\t' || c == ',')
        {
            if (!current.empty())
            {
                parts.push_back(current);
            }
            current.clear();
        }
        else
        {
            current += c;
        }
    }
    if (!current.empty())
    {
        parts.push_back(current);
    }
    return parts;
}

std::string valueOf(const ConfigItems& items, const char* key, const std::string& fallback = {})
{
    const auto it = items.find(key);
    return it == items.end() ? fallback : trim(it->second);
}

[[noreturn]] void badItem(const char* key, const std::string& value, const std::string& what)
{
    throw ConfigError(std::string(key) + " = '" + value + "': " + what);
}

long parseInteger(const char* key, const std::string& value, long low, long high)
{
    errno = 0;
    char* end = nullptr;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || errno == ERANGE || number < low || number > high)
    {
        badItem(key, value,
                "expected a whole number from " + std::to_string(low) + " to " +
                    std::to_string(high));
    }
    return number;
}

// A port item: a number, where 0 and -1 switch the listener off.
int parsePort(const ConfigItems& items, const char* key, int fallback)
{
    const std::string value = valueOf(items, key);
    if (value.empty())
    {
        return fallback;
    }
    const long port = parseInteger(key, value, -1, 65535);
    return port <= 0 ? 0 : static_cast<int>(port);
}

bool parseBool(const ConfigItems& items, const char* key, bool fallback)
{
    const std::string value = valueOf(items, key);
    if (value.empty())
    {
        return fallback;
    }
    if (strcasecmp(value.c_str(), "true") == 0)
    {
        return true;
    }
    if (strcasecmp(value.c_str(), "false") == 0)
    {
        return false;
    }
    badItem(key, value, "expected true or false");
}

bool isNumericAddress(const std::string& address)
{
    unsigned char buffer[sizeof(in6_addr)];
    return inet_pton(AF_INET, address.c_str(), buffer) == 1 ||
           inet_pton(AF_INET6, address.c_str(), buffer) == 1;
}

} // namespace

ConfigItems parseConfigText(const std::string& text, const std::string& name)
{
    ConfigItems items;
    std::map<std::string, int> lineOfKey;
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line))
    {
        ++lineNumber;
        const std::string content = trim(line);
        if (content.empty() || content[0] == '#')
        {
            continue;
        }
        const std::string where = name + ":" + std::to_string(lineNumber) + ": ";
        const auto equals = content.find('=');
        if (equals == std::string::npos)
        {
            throw ConfigError(where + "expected 'name = value', got '" + content + "'");
        }
        const std::string key = trim(content.substr(0, equals));
        const std::string problem = keyProblem(key);
        if (!problem.empty())
        {
            throw ConfigError(where + problem);
        }
        const auto [it, inserted] = lineOfKey.emplace(key, lineNumber);
        if (!inserted)
        {
            throw ConfigError(where + "'" + key + "' is already set on line " +
                              std::to_string(it->second));
        }
        items[key] = trim(content.substr(equals + 1));
    }
    return items;
}

ConfigItems readConfigFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        throw ConfigError(path + ": cannot open the configuration file: " + std::strerror(errno));
    }
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
    {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxConfigFileBytes)
        {
            throw ConfigError(path + ": larger than " + std::to_string(kMaxConfigFileBytes) +
                              " bytes, not a configuration file");
        }
    }
    if (in.bad())
    {
        throw ConfigError(path + ": cannot read the configuration file");
    }
    return parseConfigText(text, path);
}

std::pair<std::string, std::string> parseAssignment(const std::string& text)
{
    const auto equals = text.find('=');
    if (equals == std::string::npos)
    {
        throw ConfigError("'" + text + "': expected name=value");
    }
    std::string key = trim(text.substr(0, equals));
    const std::string problem = keyProblem(key);
    if (!problem.empty())
    {
        throw ConfigError("'" + text + "': " + problem);
    }
    return {key, trim(text.substr(equals + 1))};
}

bool isLoopbackAddress(const std::string& address)
{
    in_addr v4{};
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1)
    {
        return (ntohl(v4.s_addr) >> 24) == 127;
    }
    in6_addr v6{};
    if (inet_pton(AF_INET6, address.c_str(), &v6) == 1)
    {
        if (IN6_IS_ADDR_LOOPBACK(&v6))
        {
            return true;
        }
        return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
    }
    return false;
}

DaemonSettings settingsFrom(const ConfigItems& items)
{
    DaemonSettings settings;

    const std::string addresses = valueOf(items, kListenAddressesItem, kDefaultListenAddress);
    settings.listenAddresses = splitList(addresses);
    if (settings.listenAddresses.empty())
    {
        badItem(kListenAddressesItem, addresses, "no address to listen on");
    }
    for (const auto& address : settings.listenAddresses)
    {
        if (!isNumericAddress(address))
        {
            badItem(kListenAddressesItem, addresses,
                    "'" + address + "' is not a numeric IPv4 or IPv6 address");
        }
    }

    settings.certificateFile = valueOf(items, kCertificateItem);
    settings.privateKeyFile = valueOf(items, kPrivateKeyItem, settings.certificateFile);
    settings.httpPort = parsePort(items, kHttpPortItem, kDefaultHttpPort);
    // HTTPS needs a certificate; without one its default port stays closed, while an explicit
    // port without a certificate is a mistake worth stopping for.
    const bool httpsPortGiven = !valueOf(items, kHttpsPortItem).empty();
    settings.httpsPort = parsePort(items, kHttpsPortItem, kDefaultHttpsPort);
    if (settings.certificateFile.empty())
    {
        if (httpsPortGiven && settings.httpsPort != 0)
        {
            badItem(kHttpsPortItem, valueOf(items, kHttpsPortItem),
                    std::string("HTTPS needs a certificate: set ") + kCertificateItem);
        }
        settings.httpsPort = 0;
    }
    if (settings.httpPort == 0 && settings.httpsPort == 0)
    {
        throw ConfigError(std::string("both ") + kHttpPortItem + " and " + kHttpsPortItem +
                          " are off: nothing to listen on");
    }
    if (settings.httpPort != 0 && settings.httpPort == settings.httpsPort)
    {
        badItem(kHttpsPortItem, std::to_string(settings.httpsPort),
                std::string("the same port as ") + kHttpPortItem);
    }

    settings.allowAnonymous = parseBool(items, kAllowAnonymousItem, false);
    const std::string role = valueOf(items, kAnonymousRoleItem, "readonly");
    if (role == "admin")
    {
        settings.anonymousRole = Role::Admin;
    }
    else if (role != "readonly")
    {
        badItem(kAnonymousRoleItem, role, "expected readonly or admin");
    }
    if (settings.allowAnonymous)
    {
        for (const auto& address : settings.listenAddresses)
        {
            if (!isLoopbackAddress(address))
            {
                throw ConfigError(std::string(kAllowAnonymousItem) +
                                  " = true is allowed only when the daemon listens on loopback "
                                  "addresses alone, but " +
                                  kListenAddressesItem + " includes " + address);
            }
        }
    }

    settings.usersFile = valueOf(items, kUsersFileItem, kDefaultUsersFile);
    settings.mofFiles = splitList(valueOf(items, kMofFilesItem));
    if (settings.mofFiles.empty())
    {
        throw ConfigError(std::string(kMofFilesItem) +
                          " is not set: the daemon needs the MOF files of its classes");
    }
    settings.auditLog = valueOf(items, kAuditLogItem);
    settings.pidFile = valueOf(items, kPidFileItem);
    settings.logLocation = valueOf(items, kLogLocationItem);
    const std::string level = valueOf(items, kLogLevelItem, "info");
    const auto parsedLevel = parseLogLevel(level);
    if (!parsedLevel)
    {
        badItem(kLogLevelItem, level, "expected fatal, error, info or debug");
    }
    settings.logLevel = *parsedLevel;
    const std::string threads = valueOf(items, kWorkerThreadsItem);
    if (!threads.empty())
    {
        settings.workerThreads =
            static_cast<int>(parseInteger(kWorkerThreadsItem, threads, 1, kMaxWorkerThreads));
    }
    settings.realm = valueOf(items, kRealmItem);
    if (settings.realm.find('"') != std::string::npos ||
        settings.realm.find('\\') != std::string::npos)
    {
        badItem(kRealmItem, settings.realm, "may not hold quotes or backslashes");
    }
    return settings;
}

std::vector<std::string> itemsNeedingRestart(const ConfigItems& before, const ConfigItems& after)
{
    // An item set to nothing means the same as one left out.
    std::set<std::string> names;
    for (const auto* items : {&before, &after})
    {
        for (const auto& entry : *items)
        {
            names.insert(entry.first);
        }
    }
    std::vector<std::string> changed;
    for (const auto& name : names)
    {
        const bool reloadable = std::find(std::begin(kReloadableItems), std::end(kReloadableItems),
                                          name) != std::end(kReloadableItems);
        if (!reloadable && valueOf(before, name.c_str()) != valueOf(after, name.c_str()))
        {
            changed.push_back(name);
        }
    }
    return changed;
}

} // namespace cimom
