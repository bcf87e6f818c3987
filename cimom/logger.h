// The daemon's logger: one line per message with UTC time and level, written to standard
// error or appended to a log file. Providers receive it through their environment, the HTTP
// front end and the CIM side log through it too, so all messages land in one place.
// Thread-safety: log calls may come from every thread at once; lines never interleave.
#pragma once

#include "OW_config.h"
#include "OW_LogLevel.hpp"
#include "OW_Logger.hpp"

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

    ~DaemonLogger() override;

    // The text of one log line without its newline: time, level and the message with control
    // characters written as escapes, so no message can forge a line of its own.
    static std::string formatLine(const std::string& message, OpenWBEM::ELogLevel level);

protected:
    void doLogMessage(const OpenWBEM::String& message,
                      const OpenWBEM::ELogLevel level) const override;

private:
    DaemonLogger(std::FILE* out, bool owned, OpenWBEM::ELogLevel level);

    std::FILE* out_;
    bool owned_;
    mutable std::mutex mutex_;
};

} // namespace cimom
