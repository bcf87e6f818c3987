// Starting background tasks and the task body.
#include "Background.h"
#include "Diagnostics.h"
#include "Errors.h"
#include "Execute.h"
#include "Softinv.h"

#include <cstdio>

using namespace OpenWBEM;

namespace
{

TaskCreator gTaskCreator = &osCreateTask;

// Owns the heap copy of a background command until it is handed to a task, and releases it
// on every other path, exceptions included.
class OwnedCommand
{
public:
    explicit OwnedCommand(String* command) : m_command(command) {}
    ~OwnedCommand() { delete m_command; }
    String* get() const { return m_command; }
    // The task has taken the copy over; it is no longer ours to release.
    void handOver() { m_command = 0; }

private:
    OwnedCommand(const OwnedCommand&);
    OwnedCommand& operator=(const OwnedCommand&);

    String* m_command;
};

// The task argument carries the copy's address; unsigned long holds a pointer on the
// platforms this library is built for.
typedef char TaskArgumentHoldsPointer[sizeof(unsigned long) >= sizeof(String*) ? 1 : -1];

} // namespace

void SpawnBackgroundThread(String command)
{
    OwnedCommand copy(new String(command));

    if (Execute(String(kSoftinvSetInProgress)) != 0)
    {
        String message("Failed: ");
        message += command;
        LogError(message);
        std::printf("%s\n", message.c_str());
        std::fflush(stdout);
        ThrowCimFailed(locMsg(kErrorExecutionFailed, message.c_str(), message.c_str(),
                              static_cast<const char*>(0)));
    }

    OsTaskHandle handle;
    unsigned long argument = reinterpret_cast<unsigned long>(copy.get());
    if (gTaskCreator(kBackgroundTaskName, 0, 0, &BackgroundThread, argument, 0, &handle) != 0)
    {
        LogError(kBackgroundStartFailed);
        OutputDebug("%s", kBackgroundStartFailed);
        ThrowCimFailed(locMsg(kErrorExecutionFailed, kBackgroundStartFailed, kBackgroundStartFailed,
                              static_cast<const char*>(0)));
    }
    copy.handOver();
}

void BackgroundThread(unsigned long argument)
{
    OwnedCommand command(reinterpret_cast<String*>(argument));
    if (command.get() == 0)
    {
        return;
    }
    // Nothing may leave a task: there is no request left to report to, and an escaping
    // exception would end the whole CIMOM. Failures reach the client through the tool's
    // progress report instead.
    try
    {
        int exitCode = Execute(*command.get());
        if (exitCode != 0)
        {
            OutputDebug("Error during background: %s", SoftinvError(exitCode));
        }
    }
    catch (...)
    {
    }
}

void SetTaskCreator(TaskCreator creator)
{
    gTaskCreator = creator != 0 ? creator : &osCreateTask;
}
