// Diagnostic output and the process-wide logger and debug switch.
#include "Diagnostics.h"

#include <cstdarg>
#include <cstdio>

using namespace OpenWBEM;

// Never destroyed: roll-backs and applies run on detached threads that may still be logging
// while the CIMOM exits, after this library's static objects have been torn down.
LoggerRef& gLogger = *new LoggerRef;
bool gProviderAgentDebug = false;

void OutputDebug(const char* format, ...)
{
    char message[kDebugMessageBytes];
    va_list args;
    va_start(args, format);
    int written = std::vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    if (written < 0)
    {
        // Only an invalid format gets here; an empty line still shows that a message was due.
        message[0] = '\0';
    }

    if (gProviderAgentDebug)
    {
        std::printf("%s\n", message);
        // The tool's own output goes to the same stream from child processes: flushing keeps
        // the two in the order they happened.
        std::fflush(stdout);
    }
    // A diagnostic written before initialize has no logger to go to; it is dropped rather than
    // dereferencing an empty reference.
    if (gLogger)
    {
        gLogger->logInfo(String(message));
    }
}

void LogError(const String& message)
{
    if (gLogger)
    {
        gLogger->logError(message);
    }
}
