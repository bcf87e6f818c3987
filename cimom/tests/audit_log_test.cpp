#include "audit_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace cimom
{
namespace
{

AuditRecord sampleRecord()
{
    AuditRecord record;
    record.caller = Caller{"admin", Role::Admin, "127.0.0.1"};
    record.operation = "InvokeMethod";
    record.className = "ZVQ_AvailableSoftwareUpdate";
    record.method = "Apply";
    record.outcome = "ok";
    return record;
}

TEST(AuditLogTest, FormatsEveryFieldQuotedAndEscaped)
{
    EXPECT_EQ(AuditLog::formatLine(sampleRecord(), 1796543827),
              "2026-12-06T07:57:07Z user=\"admin\" address=\"127.0.0.1\" "
              "operation=\"InvokeMethod\" class=\"ZVQ_AvailableSoftwareUpdate\" "
              "method=\"Apply\" outcome=\"ok\"");
    AuditRecord forged = sampleRecord();
    forged.caller.user = "";
    forged.className = "X\"\nfake=\"1\\";
    forged.outcome = "CIM error 6: caf\xc3\xa9";
    const std::string line = AuditLog::formatLine(forged, 0);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_NE(line.find("user=\"\""), std::string::npos);
    EXPECT_NE(line.find("class=\"X\\\"\\x0afake=\\\"1\\\\\""), std::string::npos) << line;
    EXPECT_NE(line.find("outcome=\"CIM error 6: caf\\xc3\\xa9\""), std::string::npos) << line;
}

TEST(AuditLogTest, AppendsWholeLinesFromManyThreadsToAPrivateFile)
{
    char directory[] = "/tmp/cimom_audit_XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string path = std::string(directory) + "/audit.log";
    std::ofstream(path) << "earlier line\n";
    ::chmod(path.c_str(), 0600);
    {
        AuditLog log(path);
        AuditSink sink = log.sink();
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
        {
            threads.emplace_back(
                [&sink]
                {
                    for (int i = 0; i < 50; ++i)
                    {
                        sink(sampleRecord());
                    }
                });
        }
        for (auto& thread : threads)
        {
            thread.join();
        }
    }
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "earlier line");
    int count = 0;
    while (std::getline(in, line))
    {
        ++count;
        EXPECT_NE(line.find(" outcome=\"ok\""), std::string::npos) << line;
        EXPECT_EQ(line.rfind("user=\"admin\""), line.find("user="));
    }
    EXPECT_EQ(count, 200);

    const std::string fresh = std::string(directory) + "/new.log";
    const mode_t savedMask = umask(022);
    AuditLog(fresh).record(sampleRecord());
    umask(savedMask);
    struct stat status = {};
    ASSERT_EQ(::stat(fresh.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    EXPECT_THROW(AuditLog(std::string(directory) + "/missing/dir/audit.log"), std::runtime_error);
    std::remove(fresh.c_str());
    std::remove(path.c_str());
    ::rmdir(directory);
}

// Log rotation: the file moved away keeps what came before the reopen, the fresh file under the
// old name gets what comes after.
TEST(AuditLogTest, ReopensByNameAfterRotation)
{
    char directory[] = "/tmp/cimom_audit_XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string path = std::string(directory) + "/audit.log";
    const std::string rotated = path + ".1";
    const auto lineCount = [](const std::string& file)
    {
        std::ifstream in(file);
        std::string line;
        int count = 0;
        while (std::getline(in, line))
        {
            ++count;
        }
        return count;
    };
    {
        AuditLog log(path);
        log.record(sampleRecord());
        ASSERT_EQ(::rename(path.c_str(), rotated.c_str()), 0);
        log.record(sampleRecord());
        std::string problem;
        EXPECT_TRUE(log.reopen(&problem)) << problem;
        log.record(sampleRecord());
    }
    EXPECT_EQ(lineCount(rotated), 2);
    EXPECT_EQ(lineCount(path), 1);
    EXPECT_TRUE(AuditLog(OpenWBEM::LoggerRef()).reopen());
    std::remove(rotated.c_str());
    std::remove(path.c_str());
    ::rmdir(directory);
}

} // namespace
} // namespace cimom
