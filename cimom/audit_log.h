// The audit trail: one line per state-changing CIM operation (time, user, client address,
// operation, class, method, outcome), appended to its own file or, when none is configured,
// written to the daemon log. Every field is quoted and escaped, so no client-chosen text can
// forge a line.
// Thread-safety: record may be called from every worker thread at once; lines never interleave.
// reopen may run while they record.
#pragma once

#include "service.h"

#include "OW_config.h"
#include "OW_Logger.hpp"

#include <ctime>
#include <mutex>
#include <string>

namespace cimom
{

class AuditLog
{
public:
    // Appends to `path` (created with mode 0640); throws std::runtime_error naming the file
    // and the reason when it cannot be opened. Write failures go to `errorLogger`, if any.
    explicit AuditLog(const std::string& path, OpenWBEM::LoggerRef errorLogger = {});
    // Writes to the daemon log at info level instead.
    explicit AuditLog(OpenWBEM::LoggerRef logger);
    ~AuditLog();
    AuditLog(const AuditLog&) = delete;
    AuditLog& operator=(const AuditLog&) = delete;

    void record(const AuditRecord& record);
    // Opens the file again by its name (after log rotation moved it away); false, with the
    // reason in `problem` and the old file kept, when it cannot. Nothing to do for the daemon
    // log.
    bool reopen(std::string* problem = nullptr);
    // A sink that writes here; the AuditLog must outlive it.
    AuditSink sink();

    // `2026-12-06T07:57:07Z user="admin" address="127.0.0.1" operation="DeleteInstance"
    // class="..." method="" outcome="ok"`, without the newline.
    static std::string formatLine(const AuditRecord& record, std::time_t when);

private:
    std::string path_; // empty: the daemon log
    int fd_ = -1;
    OpenWBEM::LoggerRef logger_;
    std::mutex mutex_;
};

} // namespace cimom
