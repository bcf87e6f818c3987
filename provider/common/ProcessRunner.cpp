// The real process runner: popen/pclose for captured output, system() for the rest.
#include "ProcessRunner.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

using namespace OpenWBEM;

namespace
{

// Size of one read from the pipe; any size gives the same output.
const size_t kPipeReadBytes = 4096;

class SystemProcessRunner : public ProcessRunner
{
public:
    virtual bool RunCapturing(const String& commandLine, std::string& output, int& waitStatus)
    {
        FILE* pipe = popen(commandLine.c_str(), "r");
        if (pipe == 0)
        {
            return false;
        }
        std::string captured;
        char buffer[kPipeReadBytes];
        for (;;)
        {
            size_t got = std::fread(buffer, 1, sizeof(buffer), pipe);
            captured.append(buffer, got);
            if (got == sizeof(buffer))
            {
                continue;
            }
            // A signal handled by the CIMOM may interrupt the read; the output goes on.
            if (std::ferror(pipe) && errno == EINTR)
            {
                std::clearerr(pipe);
                continue;
            }
            break;
        }
        waitStatus = pclose(pipe);
        output.swap(captured);
        return true;
    }

    virtual int RunStatusOnly(const String& commandLine)
    {
        return std::system(commandLine.c_str());
    }
};

// Made on first use and never destroyed: a background task that the CIMOM never joins may
// still be starting the tool while the process exits, and must not call into a runner whose
// destructor the exit has already run.
SystemProcessRunner& SystemRunner()
{
    static SystemProcessRunner* runner = new SystemProcessRunner;
    return *runner;
}

// A test's runner; 0 means the system runner.
ProcessRunner* gInstalledRunner = 0;

} // namespace

ProcessRunner::~ProcessRunner() {}

ProcessRunner& GetProcessRunner()
{
    return gInstalledRunner != 0 ? *gInstalledRunner : SystemRunner();
}

void SetProcessRunner(ProcessRunner* runner)
{
    gInstalledRunner = runner;
}
