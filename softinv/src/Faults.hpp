// Faults on demand, for tests of the programs that run the tool: a run of a named command
// fails with an exit code, prints a malformed line, sleeps first or is killed. Faults come
// from the environment (every run) or from a file in the state directory (once each).
// Thread-safety: plain values and functions.
#pragma once

#include "Store.hpp"

#include <optional>
#include <string>
#include <vector>

namespace softinv
{

struct Fault
{
    enum Kind
    {
        Exit,
        Garbage,
        Sleep,
        Kill
    } kind = Exit;
    std::string command;
    long number = 0;  // exit code or milliseconds
    std::string text; // garbage to print, escapes \t and \n already turned into characters
};

// "<command>:exit:<code>", "<command>:garbage[:<text>]", "<command>:sleep:<ms>" or
// "<command>:kill"; <command> is the option without its dashes ("cache", "l", "inventory" for
// the bare tool) or "*", optionally followed by a blank and the run's first argument ("apply
// tz-data"), so that one update's apply can fail while the listing of the same option works.
// Returns nothing for a text that is not a fault.
std::optional<Fault> parseFault(const std::string& text);

// The faults that strike this run of the command: those in SOFTINV_FAULT (separated by ';')
// and the first matching line of <state dir>/faults, which is taken away.
// `argument` is the run's first argument after the option, empty when it has none.
std::vector<Fault> faultsFor(Store& store, const std::string& command, const std::string& argument);

} // namespace softinv
