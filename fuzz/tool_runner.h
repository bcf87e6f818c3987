// The tool as the provider's fuzz targets present it: a process runner that never starts a
// process but answers each command from a table keyed by the tool option the command line
// starts with, and a task creator that runs background work at once on the calling thread,
// so every effect of an input happens before the next input starts.
// Thread-safety: none; one fuzz input at a time, on one thread.
#pragma once

#include "common/OsTask.h"
#include "common/ProcessRunner.h"

#include <map>
#include <string>

namespace fuzz
{

class ToolRunner : public ProcessRunner
{
public:
    struct Reply
    {
        std::string output;
        int exitCode = 0;
    };

    // The answer to every command whose first word after the tool's path is `option` ("" for
    // the inventory listing, which has no option).
    void answer(const std::string& option, Reply reply);
    // The answer to every command the table does not name; initially empty output, exit 0.
    void answerOthers(Reply reply);
    void clear();

    // How many commands ran since clear(): a bound against inputs that loop.
    size_t commandsRun() const { return m_commandsRun; }

    bool RunCapturing(const OpenWBEM::String& commandLine, std::string& output,
                      int& waitStatus) override;
    int RunStatusOnly(const OpenWBEM::String& commandLine) override;

    // The option of a command line, as `answer` keys it.
    static std::string optionOf(const std::string& commandLine);

private:
    const Reply& replyFor(const OpenWBEM::String& commandLine);

    std::map<std::string, Reply> m_replies;
    Reply m_others;
    size_t m_commandsRun = 0;
};

// A TaskCreator that runs the entry function before returning.
int runTaskAtOnce(const char* name, int priority, unsigned long stackBytes, OsTaskEntry entry,
                  unsigned long argument, int flags, OsTaskHandle* handle);

// Installs `runner` and runTaskAtOnce for the provider, with a logger for its diagnostics.
void installTool(ToolRunner& runner);

} // namespace fuzz
