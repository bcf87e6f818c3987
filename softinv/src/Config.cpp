#include "Config.hpp"

#include "ExitCodes.hpp"
#include "Text.hpp"

#include <cstdlib>
#include <fstream>
#include <map>

namespace softinv
{

namespace
{

constexpr const char kConfigFileName[] = "softinv.conf";
constexpr const char kEnvPrefix[] = "SOFTINV_";

std::string envKey(const std::string& key)
{
    std::string name = kEnvPrefix;
    for (char c : key)
    {
        name += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return name;
}

long toNumber(const std::string& key, const std::string& value)
{
    auto number = parseInteger(trim(value));
    if (!number || *number < 0)
    {
        throw ToolError{kExitSoftwareUpdateFailed,
                        "configuration item " + key + " is not a non-negative number: " + value};
    }
    return static_cast<long>(*number);
}

void readFile(const std::filesystem::path& file, std::map<std::string, std::string>& items)
{
    std::ifstream in(file);
    if (!in)
    {
        throw ToolError{kExitSoftwareUpdateFailed, "cannot read configuration " + file.string()};
    }
    std::string line;
    while (std::getline(in, line))
    {
        line = trim(line);
        if (line.empty() || line[0] == '#')
        {
            continue;
        }
        auto equals = line.find('=');
        if (equals == std::string::npos)
        {
            throw ToolError{kExitSoftwareUpdateFailed,
                            "configuration line without '=' in " + file.string() + ": " + line};
        }
        items[trim(line.substr(0, equals))] = trim(line.substr(equals + 1));
    }
}

} // namespace

Config loadConfig()
{
    Config config;
    if (const char* dir = std::getenv("SOFTINV_STATE_DIR"); dir != nullptr && *dir != '\0')
    {
        config.stateDir = dir;
    }
    else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
    {
        config.stateDir = std::filesystem::path(home) / ".local/state/softinv";
    }
    else
    {
        throw ToolError{kExitSoftwareUpdateFailed, "set SOFTINV_STATE_DIR to the state directory"};
    }

    std::map<std::string, std::string> items;
    if (const char* file = std::getenv("SOFTINV_CONFIG"); file != nullptr && *file != '\0')
    {
        readFile(file, items);
    }
    else if (std::filesystem::exists(config.stateDir / kConfigFileName))
    {
        readFile(config.stateDir / kConfigFileName, items);
    }

    struct Item
    {
        const char* key;
        std::filesystem::path* path;
        long* number;
    };
    const Item known[] = {
        {"samba_root", &config.sambaRoot, nullptr},
        {"em_dir", &config.emDir, nullptr},
        {"initial_inventory", &config.initialInventory, nullptr},
        {"ca_file", &config.caFile, nullptr},
        {"http_port", nullptr, &config.httpPort},
        {"https_port", nullptr, &config.httpsPort},
        {"ftp_port", nullptr, &config.ftpPort},
        {"net_timeout_ms", nullptr, &config.netTimeoutMs},
        {"fetch_ms", nullptr, &config.fetchMs},
        {"apply_ms", nullptr, &config.applyMs},
        {"rollback_ms", nullptr, &config.rollbackMs},
        {"reservation_timeout_ms", nullptr, &config.reservationTimeoutMs},
    };
    for (const auto& [key, value] : items)
    {
        bool found = false;
        for (const auto& item : known)
        {
            found = found || key == item.key;
        }
        if (!found)
        {
            throw ToolError{kExitSoftwareUpdateFailed, "unknown configuration item " + key};
        }
    }
    for (const auto& item : known)
    {
        std::string value;
        bool present = false;
        if (auto it = items.find(item.key); it != items.end())
        {
            value = it->second;
            present = true;
        }
        if (const char* env = std::getenv(envKey(item.key).c_str()); env != nullptr)
        {
            value = env;
            present = true;
        }
        if (!present)
        {
            continue;
        }
        if (item.path != nullptr)
        {
            *item.path = value;
        }
        else
        {
            *item.number = toNumber(item.key, value);
        }
    }
    // A detached worker runs from "/", so every directory must stand on its own.
    for (auto* path : {&config.stateDir, &config.sambaRoot, &config.emDir, &config.initialInventory,
                       &config.caFile})
    {
        if (!path->empty())
        {
            *path = std::filesystem::absolute(*path);
        }
    }
    return config;
}

} // namespace softinv
