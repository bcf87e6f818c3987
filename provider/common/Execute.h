// The command runner: the three ways the provider runs a tool command line and learns its
// exit code, with its output as a list of raw lines, as one text, or not at all. Every form
// goes through the installed ProcessRunner.
// Thread-safety: every call has its own child process and touches no shared state; calls on
// different threads may overlap.
#ifndef SWU_COMMON_EXECUTE_H
#define SWU_COMMON_EXECUTE_H

#include "OW_config.h"
#include "OW_String.hpp"
#include "OW_Array.hpp"

// Size of the read buffer that splits captured output into lines: a piece holds at most one
// byte less, so a longer line arrives as several consecutive pieces.
const size_t kExecuteReadBufferBytes = 1024;

// Appended to the command of both capturing forms, so the tool's error text is captured too.
const char kExecuteStderrToStdout[] = " 2>&1";

// Line-capturing form: runs the command with standard error folded into standard output and
// replaces `lines` by the output's pieces, in order, each keeping its newline if it had one.
// Returns the exit code (0..255), or -1 when no pipe could be opened (`lines` untouched).
int Execute(OpenWBEM::String command, OpenWBEM::Array<OpenWBEM::String>& lines);

// Whole-output form: as above, with the whole output as one text in `output`.
int Execute(OpenWBEM::String command, OpenWBEM::String& output);

// Status-only form: runs the command line unchanged, its output not captured. Returns the exit
// code; 255 when no process could be started.
int Execute(OpenWBEM::String command);

#endif
