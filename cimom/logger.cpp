#include "logger.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <stdexcept>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cimom
{

namespace
{

const char* levelName(OpenWBEM::ELogLevel level)
{
    switch (level)
    {
    case OpenWBEM::E_FATAL_ERROR_LEVEL:
        return "FATAL";
    case OpenWBEM::E_ERROR_LEVEL:
        return "ERROR";
    case OpenWBEM::E_INFO_LEVEL:
        return "INFO";
    case OpenWBEM::E_DEBUG_LEVEL:
        return "DEBUG";
    }
    return "UNKNOWN";
}

std::string utcTimestamp()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                  static_cast<int>(millis));
    return text;
}

std::FILE* openLogFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
    if (fd < 0)
    {
        throw std::runtime_error("cannot open log file " + path + ": " + std::strerror(errno));
    }
    std::FILE* out = ::fdopen(fd, "a");
    if (out == nullptr)
    {
        const int error = errno;
        ::close(fd);
        throw std::runtime_error("cannot open log file " + path + ": " + std::strerror(error));
    }
    return out;
}

} // namespace

std::optional<OpenWBEM::ELogLevel> parseLogLevel(const std::string& text)
{
    static const struct
    {
        const char* name;
        OpenWBEM::ELogLevel level;
    } kLevels[] = {{"fatal", OpenWBEM::E_FATAL_ERROR_LEVEL},
                   {"error", OpenWBEM::E_ERROR_LEVEL},
                   {"info", OpenWBEM::E_INFO_LEVEL},
                   {"debug", OpenWBEM::E_DEBUG_LEVEL}};
    for (const auto& entry : kLevels)
    {
        if (strcasecmp(text.c_str(), entry.name) == 0)
        {
            return entry.level;
        }
    }
    return std::nullopt;
}

DaemonLogger::DaemonLogger(std::FILE* out, std::string path, OpenWBEM::ELogLevel level)
    : OpenWBEM::Logger(OpenWBEM::E_DEBUG_LEVEL), threshold_(level), path_(std::move(path)),
      out_(out)
{
}

DaemonLogger::~DaemonLogger()
{
    if (!path_.empty())
    {
        std::fclose(out_);
    }
}

OpenWBEM::LoggerRef DaemonLogger::toStderr(OpenWBEM::ELogLevel level)
{
    return OpenWBEM::LoggerRef(new DaemonLogger(stderr, {}, level));
}

OpenWBEM::LoggerRef DaemonLogger::toFile(const std::string& path, OpenWBEM::ELogLevel level)
{
    return OpenWBEM::LoggerRef(new DaemonLogger(openLogFile(path), path, level));
}

OpenWBEM::IntrusiveReference<DaemonLogger> DaemonLogger::create(const std::string& location,
                                                                OpenWBEM::ELogLevel level)
{
    if (location.empty() || location == "stderr")
    {
        return OpenWBEM::IntrusiveReference<DaemonLogger>(new DaemonLogger(stderr, {}, level));
    }
    return OpenWBEM::IntrusiveReference<DaemonLogger>(
        new DaemonLogger(openLogFile(location), location, level));
}

void DaemonLogger::setThreshold(OpenWBEM::ELogLevel level)
{
    threshold_.store(level, std::memory_order_relaxed);
}

OpenWBEM::ELogLevel DaemonLogger::threshold() const
{
    return static_cast<OpenWBEM::ELogLevel>(threshold_.load(std::memory_order_relaxed));
}

bool DaemonLogger::reopen(std::string* problem)
{
    if (path_.empty())
    {
        return true;
    }
    std::FILE* fresh = nullptr;
    try
    {
        fresh = openLogFile(path_);
    }
    catch (const std::exception& error)
    {
        if (problem != nullptr)
        {
            *problem = error.what();
        }
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    std::fclose(out_);
    out_ = fresh;
    return true;
}

std::string DaemonLogger::formatLine(const std::string& message, OpenWBEM::ELogLevel level)
{
    std::string line = utcTimestamp();
    line += ' ';
    line += levelName(level);
    line += ' ';
    for (const char c : message)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n')
        {
            line += "\\n";
        }
        else if (c == '\r')
        {
            line += "\\r";
        }
        else if (c == '\\')
        {
            line += "\\\\";
        }
        else if (byte < 0x20 || byte == 0x7f)
        {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            line += escaped;
        }
        else
        {
            line += c;
        }
    }
    return line;
}

void DaemonLogger::doLogMessage(const OpenWBEM::String& message,
                                const OpenWBEM::ELogLevel level) const
{
    if (static_cast<int>(level) > threshold_.load(std::memory_order_relaxed))
    {
        return;
    }
    std::string line = formatLine(std::string(message.c_str(), message.length()), level);
    line += '\n';
    std::lock_guard<std::mutex> lock(mutex_);
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fflush(out_);
}

} // namespace cimom
