#include "audit_log.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace cimom
{

namespace
{

// The value in double quotes, with quotes, backslashes and every byte outside printable ASCII
// escaped.
std::string quoted(const std::string& value)
{
    std::string out = "\"";
    for (char c : value)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
        {
            out += '\\';
            out += c;
        }
        else if (byte < 0x20 || byte >= 0x7f)
        {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            out += escape;
        }
        else
        {
            out += c;
        }
    }
    out += '"';
    return out;
}

} // namespace

AuditLog::AuditLog(const std::string& path, OpenWBEM::LoggerRef errorLogger)
    : path_(path), logger_(std::move(errorLogger))
{
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
    if (fd_ < 0)
    {
        throw std::runtime_error("cannot open the audit log '" + path +
                                 "': " + std::strerror(errno));
    }
}

AuditLog::AuditLog(OpenWBEM::LoggerRef logger) : logger_(std::move(logger)) {}

AuditLog::~AuditLog()
{
    if (fd_ >= 0)
    {
        ::close(fd_);
    }
}

std::string AuditLog::formatLine(const AuditRecord& record, std::time_t when)
{
    std::tm parts{};
    gmtime_r(&when, &parts);
    char time[64];
    std::snprintf(time, sizeof time, "%04d-%02d-%02dT%02d:%02d:%02dZ", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return std::string(time) + " user=" + quoted(record.caller.user) +
           " address=" + quoted(record.caller.address) + " operation=" + quoted(record.operation) +
           " class=" + quoted(record.className) + " method=" + quoted(record.method) +
           " outcome=" + quoted(record.outcome);
}

void AuditLog::record(const AuditRecord& record)
{
    const std::string line = formatLine(record, std::time(nullptr));
    if (path_.empty())
    {
        if (logger_)
        {
            const std::string text = "audit: " + line;
            logger_->logInfo(OpenWBEM::String(text.c_str(), text.size()));
        }
        return;
    }
    const std::string text = line + "\n";
    std::lock_guard<std::mutex> lock(mutex_);
    // One write per line: with O_APPEND the line lands whole even if another process appends.
    std::size_t written = 0;
    while (written < text.size())
    {
        const ssize_t n = ::write(fd_, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n <= 0)
        {
            if (logger_)
            {
                const std::string problem =
                    "cannot write the audit log: " + std::string(std::strerror(errno)) +
                    "; lost: " + line;
                logger_->logError(OpenWBEM::String(problem.c_str(), problem.size()));
            }
            return;
        }
        written += static_cast<std::size_t>(n);
    }
}

bool AuditLog::reopen(std::string* problem)
{
    if (path_.empty())
    {
        return true;
    }
    const int fresh = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
    if (fresh < 0)
    {
        if (problem != nullptr)
        {
            *problem = "cannot open the audit log '" + path_ + "': " + std::strerror(errno);
        }
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ::close(fd_);
    fd_ = fresh;
    return true;
}

AuditSink AuditLog::sink()
{
    return [this](const AuditRecord& entry) { record(entry); };
}

} // namespace cimom
