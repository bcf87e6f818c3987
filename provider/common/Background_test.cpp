// Starting background operations: the in-progress mark, refused starts, the task body's exit
// codes and diagnostics, and the real task library.
#include "common/Common.h"
#include "testsupport/ScriptedRunner.h"

#include <atomic>
#include <stdexcept>
#include <chrono>
#include <string>
#include <thread>

using namespace OpenWBEM;

namespace
{

const char kSetInProgress[] = "/vk/bin/softinv --setinprogress";
const char kCommand[] = "/vk/bin/softinv --ftp 10.0.0.1 'a' 'b' 'c'";
const std::chrono::seconds kWait(10);

// What the last scripted task creator was given.
struct TaskRequest
{
    std::string name;
    int priority = -1;
    unsigned long stackBytes = 1;
    OsTaskEntry entry = nullptr;
    unsigned long argument = 0;
    int flags = -1;
    int calls = 0;
};
TaskRequest gTaskRequest;

int RefuseTask(const char* name, int priority, unsigned long stackBytes, OsTaskEntry entry,
               unsigned long argument, int flags, OsTaskHandle*)
{
    gTaskRequest =
        TaskRequest{name, priority, stackBytes, entry, argument, flags, gTaskRequest.calls + 1};
    return 11;
}

// Accepts the task without running it: the test then plays the task itself.
int KeepTask(const char* name, int priority, unsigned long stackBytes, OsTaskEntry entry,
             unsigned long argument, int flags, OsTaskHandle* handle)
{
    RefuseTask(name, priority, stackBytes, entry, argument, flags, handle);
    return 0;
}

class BackgroundTest : public ProviderTest
{
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        gTaskRequest = TaskRequest();
    }
    void TearDown() override
    {
        SetTaskCreator(nullptr);
        ProviderTest::TearDown();
    }
};

std::string FailureOf(const char* command)
{
    try
    {
        SpawnBackgroundThread(String(command));
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(e.getErrNo(), CIMException::FAILED);
        return e.getMessage();
    }
    return "no exception";
}

unsigned long HeapCommand(const char* command)
{
    return reinterpret_cast<unsigned long>(new String(command));
}

// A runner whose every run fails with an exception, to show the task contains it.
class ThrowingRunner : public ProcessRunner
{
public:
    bool RunCapturing(const String&, std::string&, int&) override
    {
        throw std::runtime_error("no runner");
    }
    int RunStatusOnly(const String&) override { throw std::runtime_error("no runner"); }
};

} // namespace

TEST_F(BackgroundTest, RefusedInProgressMarkStartsNothing)
{
    SetTaskCreator(&KeepTask);
    runner->script(kSetInProgress, ScriptedRunner::Exit(1));
    testing::internal::CaptureStdout();
    std::string text = FailureOf(kCommand);
    std::string printed = testing::internal::GetCapturedStdout();

    std::string failed = std::string("Failed: ") + kCommand;
    EXPECT_EQ(text, FailedText(failed + "\n#SWU_Error_ExecutionFailed," + failed + "#"));
    EXPECT_EQ(printed, failed + "\n") << "printed whatever the debug switch";
    EXPECT_EQ(logger->textsAt(E_ERROR_LEVEL), std::vector<std::string>{failed});
    EXPECT_EQ(gTaskRequest.calls, 0);
    ASSERT_EQ(runner->calls().size(), 1u);
    EXPECT_EQ(runner->calls()[0].commandLine, kSetInProgress);
    EXPECT_FALSE(runner->calls()[0].capturing);
}

TEST_F(BackgroundTest, RefusedTaskAfterTheInProgressMark)
{
    SetTaskCreator(&RefuseTask);
    const std::string refused = "Unable to start Background Thread";
    const std::string message = refused + "\n#SWU_Error_ExecutionFailed," + refused + "#";
    EXPECT_EQ(FailureOf(kCommand), FailedText(message));
    EXPECT_EQ(runner->commandLines(), std::vector<std::string>{kSetInProgress});
    EXPECT_EQ(logger->textsAt(E_ERROR_LEVEL), std::vector<std::string>{refused});
    EXPECT_EQ(logger->textsAt(E_INFO_LEVEL),
              (std::vector<std::string>{refused, "Exception: " + message}));
    // The refused task's copy of the command was released (the leak checker holds us to it).
    EXPECT_EQ(gTaskRequest.calls, 1);
}

TEST_F(BackgroundTest, TaskReceivesItsOwnCopyOfTheCommand)
{
    SetTaskCreator(&KeepTask);
    String command(kCommand);
    SpawnBackgroundThread(command);

    EXPECT_EQ(gTaskRequest.name, "BackgroundThread");
    EXPECT_EQ(gTaskRequest.priority, 0);
    EXPECT_EQ(gTaskRequest.stackBytes, 0u);
    EXPECT_EQ(gTaskRequest.flags, 0);
    EXPECT_EQ(gTaskRequest.entry, &BackgroundThread);
    const String* copy = reinterpret_cast<const String*>(gTaskRequest.argument);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, &command);
    EXPECT_EQ(std::string(copy->c_str()), kCommand);
    EXPECT_EQ(runner->commandLines(), std::vector<std::string>{kSetInProgress});

    // Play the task: it runs the command unchanged, without capturing, and frees the copy.
    BackgroundThread(gTaskRequest.argument);
    EXPECT_EQ(runner->commandLines(), (std::vector<std::string>{kSetInProgress, kCommand}));
    EXPECT_FALSE(runner->calls()[1].capturing);
}

TEST_F(BackgroundTest, TaskReportsFailedCommandsOnlyAsDiagnostics)
{
    runner->script("fetch 12", ScriptedRunner::Exit(12));
    runner->script("fetch 1", ScriptedRunner::Exit(1));
    BackgroundThread(HeapCommand("fetch 0"));
    EXPECT_TRUE(logger->lines().empty());

    BackgroundThread(HeapCommand("fetch 12"));
    BackgroundThread(HeapCommand("fetch 1"));
    EXPECT_EQ(logger->textsAt(E_INFO_LEVEL),
              (std::vector<std::string>{"Error during background: SWU_Softinv_SoftwareUpdateFailed",
                                        "Error during background: SWU_Softinv_Unknown"}));
    EXPECT_TRUE(logger->textsAt(E_ERROR_LEVEL).empty());

    // Nothing escapes a task, and its copy is released on that path too.
    ThrowingRunner throwing;
    SetProcessRunner(&throwing);
    EXPECT_NO_THROW(BackgroundThread(HeapCommand("fetch 3")));
    SetProcessRunner(runner);
    EXPECT_NO_THROW(BackgroundThread(0));
}

TEST_F(BackgroundTest, SpawnReturnsWhileTheCommandStillRuns)
{
    runner->hold(kCommand);
    runner->script(kCommand, ScriptedRunner::Exit(12));
    SpawnBackgroundThread(String(kCommand));

    // Returned, although the task cannot have finished: its command is held.
    EXPECT_EQ(runner->commandLines(), std::vector<std::string>{kSetInProgress});
    runner->release();
    ASSERT_TRUE(runner->waitForCall(kCommand, kWait));
    EXPECT_TRUE(logger->waitForText("Error during background: SWU_Softinv_SoftwareUpdateFailed",
                                    std::chrono::duration_cast<std::chrono::milliseconds>(kWait)));
}

namespace
{

std::atomic<int> gEntryCalls(0);
std::atomic<unsigned long> gEntryArgument(0);
std::atomic<bool> gEntryOnOtherThread(false);
std::thread::id gTestThread;

void RecordEntry(unsigned long argument)
{
    gEntryOnOtherThread = std::this_thread::get_id() != gTestThread;
    gEntryArgument = argument;
    ++gEntryCalls;
}

} // namespace

TEST(OsTaskTest, RunsTheEntryOnceOnItsOwnThread)
{
    gTestThread = std::this_thread::get_id();
    gEntryCalls = 0;
    OsTaskHandle handle;
    EXPECT_EQ(osCreateTask("BackgroundThread", 0, 0, &RecordEntry, 4711ul, 0, &handle), 0);
    for (int i = 0; i < 1000 && gEntryCalls.load() == 0; ++i)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(gEntryCalls.load(), 1);
    EXPECT_EQ(gEntryArgument.load(), 4711ul);
    EXPECT_TRUE(gEntryOnOtherThread.load());

    // A task that cannot be created reports it, and its entry never runs.
    const unsigned long kImpossibleStackBytes = ~0ul / 2;
    EXPECT_NE(
        osCreateTask("BackgroundThread", 0, kImpossibleStackBytes, &RecordEntry, 1ul, 0, &handle),
        0);
    EXPECT_NE(osCreateTask("BackgroundThread", 0, 0, nullptr, 1ul, 0, &handle), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(gEntryCalls.load(), 1);
}
