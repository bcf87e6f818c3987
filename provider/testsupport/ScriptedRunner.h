// A process runner for unit tests: answers each command line from a script instead of starting
// a process, records every command line, and can hold a command to observe unfinished work.
// Also the fixture every provider unit test starts from (scripted runner, recording logger).
// Thread-safety: locked; shared runner and logger outlive any background task of a test.
#ifndef SWU_TESTSUPPORT_SCRIPTEDRUNNER_H
#define SWU_TESTSUPPORT_SCRIPTEDRUNNER_H

#include "common/ProcessRunner.h"
#include "testsupport/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

class ScriptedRunner : public ProcessRunner
{
public:
    struct Reply
    {
        bool pipeOpens = true;
        std::string output;
        int waitStatus = 0; // as pclose/system give it
    };
    struct Call
    {
        std::string commandLine;
        bool capturing;
    };

    // A command that printed `output` and exited with `exitCode`.
    static Reply Exit(int exitCode, std::string output = "");
    // A pipe that could not be opened (capturing forms) / a raw status from system().
    static Reply NoPipe();
    static Reply RawStatus(int waitStatus);

    // The answer to one exact command line; unscripted lines exit 0 with no output.
    void script(const std::string& commandLine, Reply reply);
    // Status-only runs of this command line block until release() is called.
    void hold(const std::string& commandLine);
    void release();

    std::vector<Call> calls() const;
    std::vector<std::string> commandLines() const;
    // Waits until this exact command line has been run (and answered); false after timeout.
    bool waitForCall(const std::string& commandLine, std::chrono::milliseconds timeout) const;
    void reset();

    bool RunCapturing(const OpenWBEM::String& commandLine, std::string& output,
                      int& waitStatus) override;
    int RunStatusOnly(const OpenWBEM::String& commandLine) override;

private:
    Reply replyFor(const std::string& commandLine) const;
    void record(const std::string& commandLine, bool capturing);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::map<std::string, Reply> m_script;
    std::vector<Call> m_calls;
    std::string m_held;
    bool m_released = false;
};

// The runner and logger shared by all tests of one test program; never destroyed.
ScriptedRunner& SharedScriptedRunner();
RecordingLogger& SharedRecordingLogger();

// Installs the shared scripted runner and recording logger, debug switch off; undoes it after.
class ProviderTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    ScriptedRunner* runner = nullptr;
    RecordingLogger* logger = nullptr;
};

// The text of a CIMException as OpenWBEM composes it for CIM_ERR_FAILED with `message`.
std::string FailedText(const std::string& message);

#endif
