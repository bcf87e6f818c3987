// The real process runner, through Execute, with real shell commands. How output is cut into
// lines is Execute's own work and is tested with the scripted runner.
#include "common/Execute.h"
#include "common/ProcessRunner.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using namespace OpenWBEM;

namespace
{

// Lowers the open-file limit so that no new pipe can be made, and restores it.
class NoFreeDescriptors
{
public:
    NoFreeDescriptors()
    {
        // With descriptors 0 to 2 open and a limit of 3, a pipe has nowhere to go.
        for (int fd = 0; fd < kLimitDescriptors; ++fd)
        {
            if (fcntl(fd, F_GETFD) == -1)
            {
                m_opened.push_back(open("/dev/null", O_RDONLY));
            }
        }
        getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit lowered = m_saved;
        lowered.rlim_cur = kLimitDescriptors;
        m_ok = setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~NoFreeDescriptors()
    {
        setrlimit(RLIMIT_NOFILE, &m_saved);
        for (int fd : m_opened)
        {
            close(fd);
        }
    }
    bool ok() const { return m_ok; }

private:
    static const int kLimitDescriptors = 3;
    rlimit m_saved;
    bool m_ok = false;
    std::vector<int> m_opened;
};

} // namespace

TEST(ProcessRunnerTest, CapturesOutputExactly)
{
    Array<String> lines;
    String output("stale");
    EXPECT_EQ(Execute(String("true"), lines), 0);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(Execute(String("true"), output), 0);
    EXPECT_TRUE(output.empty());

    // Standard error is captured with standard output, in the order written. The redirection
    // applies to the (last) command as a whole, as it does for the tool's command lines.
    EXPECT_EQ(Execute(String("sh -c 'echo out; echo err >&2; exit 3'"), output), 3);
    EXPECT_EQ(std::string(output.c_str()), "out\nerr\n");

    // Large output is read to its end.
    EXPECT_EQ(Execute(String("head -c 300000 /dev/zero | tr '\\0' y"), output), 0);
    EXPECT_EQ(output.length(), 300000u);
}

TEST(ProcessRunnerTest, ExitCodes)
{
    Array<String> lines;
    String output;
    EXPECT_EQ(Execute(String("exit 3"), lines), 3);
    EXPECT_EQ(Execute(String("exit 200"), output), 200);
    EXPECT_EQ(Execute(String("exit 42")), 42);
    EXPECT_EQ(Execute(String("/nonexistent/softinv --hist"), output), 127);
    EXPECT_EQ(Execute(String("/nonexistent/softinv")), 127);

    // The status-only form does not capture: the text goes to the process's standard output.
    testing::internal::CaptureStdout();
    EXPECT_EQ(Execute(String("echo visible; exit 5")), 5);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "visible\n");
}

TEST(ProcessRunnerTest, PipeThatCannotBeOpened)
{
    Array<String> lines;
    lines.push_back(String("kept"));
    String output("kept");
    int lineResult = 0;
    int wholeResult = 0;
    // A sanitizer's first dynamic-type check of a call needs a pipe of its own; make those
    // checks while descriptors are still free.
    ASSERT_EQ(Execute(String("true"), lines), 0);
    ASSERT_EQ(Execute(String("true"), output), 0);
    lines.push_back(String("kept"));
    output = String("kept");
    {
        NoFreeDescriptors limit;
        ASSERT_TRUE(limit.ok());
        lineResult = Execute(String("echo never"), lines);
        wholeResult = Execute(String("echo never"), output);
    }
    EXPECT_EQ(lineResult, -1);
    EXPECT_EQ(wholeResult, -1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(std::string(lines[0].c_str()), "kept");
    EXPECT_EQ(std::string(output.c_str()), "kept");
}

// The CIMOM never joins a background task, so one may have used the runner just before the
// process exits. Exit must then not tear the runner down under it: the thread sanitizer build
// reports that as a race between the task's call and the runner's destructor.
TEST(ProcessRunnerTest, TasksMayStillUseTheRunnerWhenTheProcessExits)
{
    std::atomic<bool> ran(false);
    std::thread(
        [&ran]
        {
            std::string output;
            int waitStatus = 0;
            GetProcessRunner().RunCapturing("true", output, waitStatus);
            // Relaxed on purpose: waiting for it must not order the task before the exit.
            ran.store(true, std::memory_order_relaxed);
        })
        .detach();
    while (!ran.load(std::memory_order_relaxed))
    {
        usleep(1000);
    }
}
