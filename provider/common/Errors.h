// How failures become CIM exceptions: the error identifiers, the localisable message that
// carries an identifier and its arguments behind a readable text, the mapping of the tool's
// exit codes to identifiers, and the throw helpers every part of the provider uses.
// Thread-safety: every function works on its arguments only (locMsg returns its text by value)
// and may run on any thread at once.
#ifndef SWU_COMMON_ERRORS_H
#define SWU_COMMON_ERRORS_H

#include "OW_config.h"
#include "OW_String.hpp"

#if defined(__GNUC__)
#define SWU_NORETURN __attribute__((noreturn))
#define SWU_NULL_TERMINATED __attribute__((sentinel))
#else
#define SWU_NORETURN
#define SWU_NULL_TERMINATED
#endif

// A missing field in the tool's output.
const char kErrorParsingFailed[] = "SWU_Error_ParsingFailed";
// A background operation that could not be started.
const char kErrorExecutionFailed[] = "SWU_Error_ExecutionFailed";
// Tool exit codes without an identifier of their own.
const char kErrorSoftinvUnknown[] = "SWU_Softinv_Unknown";

// The localisable message: `text`, a newline, "#", the identifier, then "," and each argument,
// and a closing "#". The argument list is ended by a null pointer. Arguments are placed as
// they are: one holding "," or "#" cannot be told from a separator.
OpenWBEM::String locMsg(const char* identifier, const char* text, ...) SWU_NULL_TERMINATED;

// Writes the "Exception: <message>" diagnostic and throws CIM_ERR_FAILED with the message.
void ThrowCimFailed(const OpenWBEM::String& message) SWU_NORETURN;

// The identifier of a tool exit code (static text); codes without one give SWU_Softinv_Unknown.
const char* SoftinvError(int exitCode);

// Asks the tool for the text of the exit code and throws CIM_ERR_FAILED: the localisable
// message of the code's identifier with that text when the tool answers with status 0,
// otherwise the bare identifier.
void ThrowSoftInvError(int exitCode) SWU_NORETURN;

#endif
