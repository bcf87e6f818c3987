// The daemon's logger: one line per message with UTC time and level, written to standard
// error or appended to a log file. Providers receive it through their environment, the HTTP
// front end and the CIM side log through it too, so all messages land in one place.
// Thread-safety: log calls may come from every thread at once; lines never interleave. The
// level and the file can be changed while other threads log (SIGHUP, log rotation).
#pragma once

#include "OW_config.h"
#include "OW_LogLevel.hpp"
#include "OW_Logger.hpp"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

namespace cimom
{

// "fatal", "error", "info" or "debug" in any letter case; nothing for any other text.
std::optional<OpenWBEM::ELogLevel> parseLogLevel(const std::string& text);

class DaemonLogger : public OpenWBEM::Logger
{
public:
    static OpenWBEM::LoggerRef toStderr(OpenWBEM::ELogLevel level);
    // Appends to `path`, creating it with mode 0640; throws std::runtime_error naming the file
    // and the reason when it cannot be opened.
    static OpenWBEM::LoggerRef toFile(const std::string& path, OpenWBEM::ELogLevel level);
    // Standard error for an empty location or "stderr", else the file, as the two above.
    static OpenWBEM::IntrusiveReference<DaemonLogger> create(const std::string& location,
                                                             OpenWBEM::ELogLevel level);

    ~DaemonLogger() override;

    // The text of one log line without its newline: time, level and the message with control
    // characters written as escapes, so no message can forge a line of its own.
    static std::string formatLine(const std::string& message, OpenWBEM::ELogLevel level);

    // Messages above `level` are dropped from now on, in every thread.
    void setThreshold(OpenWBEM::ELogLevel level);
    OpenWBEM::ELogLevel threshold() const;
    // Opens the log file again by its name, so that a file moved away by log rotation is
    // followed by a fresh one; false (and the old file kept) when it cannot be opened. Nothing
    // to do for standard error.
    bool reopen(std::string* problem = nullptr);

protected:
    void doLogMessage(const OpenWBEM::String& message,
                      const OpenWBEM::ELogLevel level) const override;

private:
    DaemonLogger(std::FILE* out, std::string path, OpenWBEM::ELogLevel level);

    // The base class filters at debug level, unchangeably once other threads log; the real
    // threshold is this one, which can change under them.
    std::atomic<int> threshold_;
    std::string path_; // empty: standard error
    std::FILE* out_;
    mutable std::mutex mutex_;
};

} // namespace cimom
