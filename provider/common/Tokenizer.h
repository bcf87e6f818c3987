// The field splitter with which every listing parser takes the tab-separated fields out of one
// captured output line. A missing field aborts the parse with a CIM exception naming the field
// and the command that produced the line.
// Thread-safety: the position kept between calls belongs to the calling thread, so parses on
// different threads never disturb each other.
#ifndef SWU_COMMON_TOKENIZER_H
#define SWU_COMMON_TOKENIZER_H

#include "OW_config.h"
#include "OW_String.hpp"

// Returns the next field of `text`, or of the text given last on this thread when `text` is
// null. Fields are separated by tabs and newlines; runs of separators count as one, so empty
// fields are skipped. The text is not modified, but it must stay alive and unchanged until
// this thread's parse of it ends.
// When no field is left, logs "Failed to parse <fieldLabel> field from <sourceLabel>" at error
// level and throws CIM_ERR_FAILED with the SWU_Error_ParsingFailed localisable message.
OpenWBEM::String GetNextToken(const char* text, const char* fieldLabel, const char* sourceLabel);

#endif
