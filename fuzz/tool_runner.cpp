// The scripted tool of the provider's fuzz targets.
#include "tool_runner.h"

#include "common/Background.h"
#include "common/Diagnostics.h"
#include "common/Softinv.h"

#include "OW_Logger.hpp"

#include <cstring>

namespace fuzz
{

namespace
{

// A shell status for an exit code, as pclose and system report it.
int waitStatusOf(int exitCode)
{
    return (exitCode & 0xFF) << 8;
}

// Keeps nothing: diagnostics cost time and tell the fuzzer nothing.
class QuietLogger : public OpenWBEM::Logger
{
public:
    QuietLogger() : OpenWBEM::Logger(OpenWBEM::E_FATAL_ERROR_LEVEL) {}

protected:
    void doLogMessage(const OpenWBEM::String&, const OpenWBEM::ELogLevel) const override {}
};

} // namespace

void ToolRunner::answer(const std::string& option, Reply reply)
{
    m_replies[option] = std::move(reply);
}

void ToolRunner::answerOthers(Reply reply)
{
    m_others = std::move(reply);
}

void ToolRunner::clear()
{
    m_replies.clear();
    m_others = Reply();
    m_commandsRun = 0;
}

std::string ToolRunner::optionOf(const std::string& commandLine)
{
    std::string rest = commandLine;
    if (rest.compare(0, std::strlen(kSoftinvPath), kSoftinvPath) == 0)
    {
        rest.erase(0, std::strlen(kSoftinvPath));
    }
    const size_t start = rest.find_first_not_of(' ');
    if (start == std::string::npos)
    {
        return "";
    }
    const std::string word = rest.substr(start, rest.find(' ', start) - start);
    // The inventory listing is the bare tool with its error stream folded in.
    return word.compare(0, 2, "2>") == 0 ? "" : word;
}

const ToolRunner::Reply& ToolRunner::replyFor(const OpenWBEM::String& commandLine)
{
    ++m_commandsRun;
    const auto found = m_replies.find(optionOf(commandLine.c_str()));
    return found == m_replies.end() ? m_others : found->second;
}

bool ToolRunner::RunCapturing(const OpenWBEM::String& commandLine, std::string& output,
                              int& waitStatus)
{
    const Reply& reply = replyFor(commandLine);
    output = reply.output;
    waitStatus = waitStatusOf(reply.exitCode);
    return true;
}

int ToolRunner::RunStatusOnly(const OpenWBEM::String& commandLine)
{
    return waitStatusOf(replyFor(commandLine).exitCode);
}

int runTaskAtOnce(const char*, int, unsigned long, OsTaskEntry entry, unsigned long argument, int,
                  OsTaskHandle* handle)
{
    *handle = pthread_self();
    entry(argument);
    return 0;
}

void installTool(ToolRunner& runner)
{
    SetProcessRunner(&runner);
    SetTaskCreator(&runTaskAtOnce);
    gLogger = OpenWBEM::LoggerRef(new QuietLogger);
    gProviderAgentDebug = false;
}

} // namespace fuzz
