// Makes a text safe to place in a shell command line as one word. Names, versions, addresses
// and paths made of ordinary characters pass unchanged, so the tool's command lines read as
// usual; anything else, from a client or from the tool's own output, is single-quoted and can
// therefore never end the word or start another command.
// Thread-safety: pure function.
#ifndef SWU_COMMON_SHELLQUOTE_H
#define SWU_COMMON_SHELLQUOTE_H

#include "OW_config.h"
#include "OW_String.hpp"

// Letters, digits, the characters ._+:@%/=,- and the empty text are returned as they are.
// Every other text becomes one single-quoted word, an embedded ' written as '\''.
OpenWBEM::String ShellQuote(const OpenWBEM::String& text);

// "<option><name> <version>", the command line most of the tool's actions take, with the name
// and the version each passed through ShellQuote.
OpenWBEM::String NameVersionCommand(const char* option, const OpenWBEM::String& name,
                                    const OpenWBEM::String& version);

#endif
