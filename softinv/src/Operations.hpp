// The long operations (fetch, apply, roll-back) and what coordinates them: the in-progress
// mark, claiming and finishing an operation, the progress that --status reports, the repair
// of an operation whose process died, and the start of scheduled updates that are due.
// Only one long operation runs at a time; it holds the operation lock while it runs.
// Thread-safety: one Tool per process, used by its one thread.
#pragma once

#include "Bundle.hpp"
#include "Sources.hpp"
#include "State.hpp"
#include "Store.hpp"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace softinv
{

// A scheduled update whose window has opened, claimed by a run that then hands it to a
// detached process once the state is saved.
struct DetachedApply
{
    long opId = 0;
    std::string name;
    std::string version;
};

struct Tool
{
    explicit Tool(Store& s) : store(s) {}

    Store& store;
    std::string out; // what the run prints on standard output at its end
    // Runs that start a long operation of their own must not start a scheduled one.
    bool mayStartScheduled = true;
    // Fault on demand: a long operation's process kills itself after its first step.
    bool killAfterFirstStep = false;
    std::optional<DetachedApply> detached;
    // Whether this run claimed an operation of its own: from then on the in-progress mark is
    // that operation's, and a reservation seen later belongs to someone else's next one.
    bool claimedOperation = false;

    // A state transaction that first repairs and advances the state (maintain), and after
    // which a due scheduled update is handed to its own process.
    void transact(const std::function<bool(State&)>& change);
};

// Repairs a dead operation, expires a stale reservation and claims a due scheduled update.
// Returns whether the state changed.
bool maintain(Tool& tool, State& state);

// --setinprogress. Returns the exit code.
int setInProgress(Tool& tool);
// --status: "<code>\n<text>\n".
int printStatus(Tool& tool);

// Long operations; each returns the exit code of the run.
int runFetch(Tool& tool, std::unique_ptr<Source> source);
int runApply(Tool& tool, const std::string& name, const std::string& version,
             const std::vector<std::string>& components);
// --rback: cancels the update being applied, or rolls back a history entry.
int runRollback(Tool& tool, const std::string& name, const std::string& version);

// Shared between the apply command and the scheduled start: checks that the update may be
// applied and creates its active entry. Returns the reason when it may not.
std::string beginApply(State& state, const Store& store, long opId, const std::string& name,
                       const std::string& version, const std::vector<std::string>& components);
// Runs the steps of an apply whose active entry exists (the detached process too). Returns 0
// or throws ToolError with the failure's exit code.
int continueApply(Tool& tool, long opId);

// True when a later history entry changed one of the packages of entry index, so rolling
// this one back would undo someone else's change.
bool isOverlaid(const State& state, std::size_t index);
// The bundle of a cached update; nothing when its manifest can no longer be read.
std::optional<Bundle> cachedBundle(const Store& store, const CacheEntry& entry);
// For each cache entry, in order: "name version" of the cached update that supersedes it,
// or the empty string.
std::vector<std::string> supersededList(const State& state, const Store& store);

// Operation bookkeeping used by the long operations.
namespace op
{
// Claims the operation lock and the in-progress mark (an announcement included). prepare
// runs inside the claiming transaction; when it returns a reason, the operation ends at once
// as failed with that reason.
struct Claim
{
    bool claimed = false; // false: another operation runs
    long opId = 0;
    std::string reason; // claimed, but refused by prepare
};
Claim claim(Tool& tool, OpKind kind, const std::string& subject, const std::string& text,
            const std::function<std::string(State&, long opId)>& prepare);
void setText(Tool& tool, long opId, const std::string& text);
void finish(Tool& tool, long opId, int code, const std::string& text);
// Sleeps, in slices, unless stillRunning turns false; returns whether it still runs.
bool pause(Tool& tool, long totalMs, const std::function<bool(State&)>& stillRunning);
} // namespace op

} // namespace softinv
