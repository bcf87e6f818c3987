// Scripted process runner and the shared provider test fixture.
#include "testsupport/ScriptedRunner.h"

#include "common/Diagnostics.h"

#include <algorithm>

using namespace OpenWBEM;

ScriptedRunner::Reply ScriptedRunner::Exit(int exitCode, std::string output)
{
    Reply reply;
    reply.output = std::move(output);
    reply.waitStatus = exitCode << 8;
    return reply;
}

ScriptedRunner::Reply ScriptedRunner::NoPipe()
{
    Reply reply;
    reply.pipeOpens = false;
    return reply;
}

ScriptedRunner::Reply ScriptedRunner::RawStatus(int waitStatus)
{
    Reply reply;
    reply.waitStatus = waitStatus;
    return reply;
}

void ScriptedRunner::script(const std::string& commandLine, Reply reply)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_script[commandLine] = std::move(reply);
}

void ScriptedRunner::hold(const std::string& commandLine)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_held = commandLine;
    m_released = false;
}

void ScriptedRunner::release()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_released = true;
    m_changed.notify_all();
}

std::vector<ScriptedRunner::Call> ScriptedRunner::calls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

std::vector<std::string> ScriptedRunner::commandLines() const
{
    std::vector<std::string> lines;
    for (const Call& call : calls())
    {
        lines.push_back(call.commandLine);
    }
    return lines;
}

bool ScriptedRunner::waitForCall(const std::string& commandLine,
                                 std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout,
                              [&]
                              {
                                  return std::any_of(m_calls.begin(), m_calls.end(),
                                                     [&](const Call& call)
                                                     { return call.commandLine == commandLine; });
                              });
}

void ScriptedRunner::reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_script.clear();
    m_calls.clear();
    m_held.clear();
    m_released = false;
}

ScriptedRunner::Reply ScriptedRunner::replyFor(const std::string& commandLine) const
{
    auto found = m_script.find(commandLine);
    return found == m_script.end() ? Reply() : found->second;
}

void ScriptedRunner::record(const std::string& commandLine, bool capturing)
{
    m_calls.push_back(Call{commandLine, capturing});
    m_changed.notify_all();
}

bool ScriptedRunner::RunCapturing(const String& commandLine, std::string& output, int& waitStatus)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string line(commandLine.c_str());
    Reply reply = replyFor(line);
    record(line, true);
    if (!reply.pipeOpens)
    {
        return false;
    }
    output = reply.output;
    waitStatus = reply.waitStatus;
    return true;
}

int ScriptedRunner::RunStatusOnly(const String& commandLine)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    std::string line(commandLine.c_str());
    if (!m_held.empty() && line == m_held)
    {
        m_changed.wait(lock, [&] { return m_released; });
    }
    Reply reply = replyFor(line);
    record(line, false);
    return reply.waitStatus;
}

ScriptedRunner& SharedScriptedRunner()
{
    static ScriptedRunner* runner = new ScriptedRunner;
    return *runner;
}

RecordingLogger& SharedRecordingLogger()
{
    // The extra reference keeps the logger alive whatever gLogger is set to.
    static LoggerRef* keeper = new LoggerRef(new RecordingLogger);
    return static_cast<RecordingLogger&>(**keeper);
}

void ProviderTest::SetUp()
{
    runner = &SharedScriptedRunner();
    runner->reset();
    SetProcessRunner(runner);
    logger = &SharedRecordingLogger();
    logger->clear();
    gLogger = LoggerRef(logger);
    gProviderAgentDebug = false;
}

void ProviderTest::TearDown()
{
    SetProcessRunner(nullptr);
    gLogger = LoggerRef();
    gProviderAgentDebug = false;
}

std::string FailedText(const std::string& message)
{
    return "general error (" + message + ")";
}
