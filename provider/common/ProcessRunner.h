// The one door through which the provider starts processes. Execute reaches the operating
// system only through the installed ProcessRunner, so tests can replace it with a scripted
// runner and no unit test ever starts the tool. The real runner uses popen/pclose and system.
// Thread-safety: the real runner keeps no state and may run on any number of threads at once;
// SetProcessRunner must only be called while no command runs (tests, before their calls).
#ifndef SWU_COMMON_PROCESSRUNNER_H
#define SWU_COMMON_PROCESSRUNNER_H

#include "OW_config.h"
#include "OW_String.hpp"

#include <string>

class ProcessRunner
{
public:
    virtual ~ProcessRunner();

    // Runs the command line through the system shell with its standard output on a pipe,
    // reads that output to its end into `output` and waits for the command. `waitStatus` gets
    // the status as pclose gives it. Returns false when no pipe could be opened: then nothing
    // ran and neither output argument is touched.
    virtual bool RunCapturing(const OpenWBEM::String& commandLine, std::string& output,
                              int& waitStatus) = 0;

    // Runs the command line through the system shell without capturing anything and returns
    // the status as system() gives it (-1 when no process could be started).
    virtual int RunStatusOnly(const OpenWBEM::String& commandLine) = 0;
};

// The runner Execute uses: the real one unless a test installed another.
ProcessRunner& GetProcessRunner();

// Installs `runner` (not owned), or the real runner again when given 0.
void SetProcessRunner(ProcessRunner* runner);

#endif
