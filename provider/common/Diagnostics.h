// Diagnostic output of the provider: every message goes to the CIMOM's logger, and also to the
// CIMOM's standard output while the debug switch is on. The logger and the switch are set by
// the master provider's initialize before any request.
// Thread-safety: OutputDebug and LogError may run on any thread at once; gLogger and
// gProviderAgentDebug are written only by initialize, before any request runs.
#ifndef SWU_COMMON_DIAGNOSTICS_H
#define SWU_COMMON_DIAGNOSTICS_H

#include "OW_config.h"
#include "OW_String.hpp"
#include "OW_Logger.hpp"

#if defined(__GNUC__)
#define SWU_PRINTF_FORMAT(formatIndex, firstArg)                                                   \
    __attribute__((format(printf, formatIndex, firstArg)))
#else
#define SWU_PRINTF_FORMAT(formatIndex, firstArg)
#endif

// Size of the buffer a diagnostic is formatted into; longer messages are cut to one byte less.
const size_t kDebugMessageBytes = 1024;

// The CIMOM's logger, empty until initialize. It outlives the library's static objects.
extern OpenWBEM::LoggerRef& gLogger;

// True while diagnostics are also printed on standard output ("provider_agent_debug").
extern bool gProviderAgentDebug;

// Formats the message printf-style (cut at kDebugMessageBytes - 1 characters), prints it with a
// newline on standard output when the debug switch is on, and always logs it at info level.
void OutputDebug(const char* format, ...) SWU_PRINTF_FORMAT(1, 2);

// Logs the message at error level.
void LogError(const OpenWBEM::String& message);

#endif
