// The daemon's command line and the steps of its start that do not need a running server:
// options into configuration items, a pid file that is removed again on the way out.
// Thread-safety: plain functions and a value type; used by main before any thread starts.
#pragma once

#include "config.h"
#include "service.h"

#include <string>
#include <utility>
#include <vector>

namespace cimom
{

inline constexpr const char* kDaemonUsage =
    "usage: cimomd [--config FILE] [--set NAME=VALUE]... [--pid-file FILE] [--foreground]\n"
    "  --config FILE       read configuration items from FILE (name = value lines)\n"
    "  --set NAME=VALUE    set or override one configuration item; may be repeated\n"
    "  --pid-file FILE     write the process id to FILE (same as --set cimomd.pid_file=FILE)\n"
    "  --foreground        stay in the foreground (the only mode; accepted for scripts)\n"
    "  --help              show this text\n";

struct CommandLine
{
    std::string configFile; // empty: none
    std::vector<std::pair<std::string, std::string>> overrides;
    bool help = false;
};

// Throws ConfigError for an unknown option or a missing or malformed argument.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// The config file's items (if any) with the command-line overrides applied in order.
ConfigItems loadConfiguration(const CommandLine& commandLine);

// Writes the current process id to a file and removes the file when destroyed.
class PidFile
{
public:
    PidFile() = default;
    // Throws std::runtime_error naming the file when it cannot be written.
    explicit PidFile(std::string path);
    ~PidFile();
    PidFile(const PidFile&) = delete;
    PidFile& operator=(const PidFile&) = delete;

private:
    std::string path_;
};

} // namespace cimom
