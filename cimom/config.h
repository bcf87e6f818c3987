// The daemon's configuration: one `key = value` file, overridable item by item from the command
// line, read into ConfigItems (which providers see unchanged) and checked into the typed
// DaemonSettings the daemon itself runs on. Item names follow OpenWBEM's where it has one.
// Thread-safety: free functions on values; nothing shared.
#pragma once

#include "service.h"

#include "OW_config.h"
#include "OW_LogLevel.hpp"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace cimom
{

inline constexpr const char* kHttpPortItem = "http_server.http_port";
inline constexpr const char* kHttpsPortItem = "http_server.https_port";
inline constexpr const char* kListenAddressesItem = "http_server.listen_addresses";
inline constexpr const char* kCertificateItem = "http_server.SSL_cert";
inline constexpr const char* kPrivateKeyItem = "http_server.SSL_key";
inline constexpr const char* kAllowAnonymousItem = "owcimomd.allow_anonymous";
inline constexpr const char* kLogLocationItem = "owcimomd.log_location";
inline constexpr const char* kLogLevelItem = "owcimomd.log_level";
inline constexpr const char* kAnonymousRoleItem = "cimomd.anonymous_role";
inline constexpr const char* kUsersFileItem = "cimomd.users_file";
inline constexpr const char* kMofFilesItem = "cimomd.mof_files";
inline constexpr const char* kAuditLogItem = "cimomd.audit_log";
inline constexpr const char* kPidFileItem = "cimomd.pid_file";
inline constexpr const char* kWorkerThreadsItem = "cimomd.worker_threads";
inline constexpr const char* kRealmItem = "cimomd.realm";

inline constexpr int kDefaultHttpPort = 5988;
inline constexpr int kDefaultHttpsPort = 5989;
inline constexpr const char* kDefaultListenAddress = "127.0.0.1";
inline constexpr const char* kDefaultUsersFile = "/etc/cimomd/users";
inline constexpr int kDefaultWorkerThreads = 8;
inline constexpr int kMaxWorkerThreads = 256;
// A config file larger than this is certainly not one.
inline constexpr std::size_t kMaxConfigFileBytes = 1024 * 1024;

// A config file or command-line item that cannot be used; the message names the file and line,
// or the item, and what is wrong.
class ConfigError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Parses config text: `key = value` lines, `#` comment lines and blank lines. `name` stands for
// the file in messages. A line that is none of these, or a key given twice, is an error.
ConfigItems parseConfigText(const std::string& text, const std::string& name);
ConfigItems readConfigFile(const std::string& path);

// One `key=value` override from the command line (the value may be empty).
std::pair<std::string, std::string> parseAssignment(const std::string& text);

// True for 127.0.0.0/8, ::1 and IPv4-mapped 127.x addresses, written numerically.
bool isLoopbackAddress(const std::string& address);

// What the daemon runs on, checked: ports in range, addresses numeric, files named where they
// are needed, anonymous access only on loopback.
struct DaemonSettings
{
    std::vector<std::string> listenAddresses;
    int httpPort = kDefaultHttpPort; // 0: no plain HTTP listener
    int httpsPort = 0;               // 0: no HTTPS listener
    std::string certificateFile;
    std::string privateKeyFile;
    bool allowAnonymous = false;
    Role anonymousRole = Role::ReadOnly;
    std::string usersFile = kDefaultUsersFile;
    std::vector<std::string> mofFiles;
    std::string auditLog;    // empty: audit lines go to the daemon log
    std::string pidFile;     // empty: none written
    std::string logLocation; // empty or "stderr": standard error
    OpenWBEM::ELogLevel logLevel = OpenWBEM::E_INFO_LEVEL;
    int workerThreads = kDefaultWorkerThreads;
    std::string realm; // empty: the host name
};

DaemonSettings settingsFrom(const ConfigItems& items);

// What a running daemon takes over from a reread configuration; every other item it was
// started with, its own or a provider's, stays as it was until a restart.
inline constexpr const char* kReloadableItems[] = {kLogLevelItem};

// The items set in one configuration and not in the other or set differently, other than
// kReloadableItems, in name order: what a reload cannot apply.
std::vector<std::string> itemsNeedingRestart(const ConfigItems& before, const ConfigItems& after);

} // namespace cimom
