// The tool's whole state as one value: installed packages, the cache of fetched updates, the
// schedule, the update being applied, the history and the progress of the long operation.
// It is kept in one text file so that every change is one atomic replacement of that file.
// Thread-safety: a plain value; the store serialises access across processes.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace softinv
{

struct Package
{
    std::string name;
    std::string version;
    std::string classification; // one of the CIM_SoftwareIdentity classification words
    std::time_t installed = 0;
};

struct CacheEntry
{
    std::string name;
    std::string version;
    std::string dir;      // directory below <state>/cache holding the bundle
    std::string location; // where it was fetched from, printable, no credentials
    std::time_t fetched = 0;
    std::string invalidReason; // empty when the bundle verified
};

struct ScheduledEntry
{
    std::string name;
    std::string version;
    std::time_t start = 0; // window in which the update is applied
    std::time_t end = 0;
    std::time_t created = 0;
};

// One package changed by an apply, with what is needed to undo it.
struct PackageChange
{
    std::string package;
    bool hadOld = false;
    std::string oldVersion;
    std::string oldClassification;
    std::time_t oldInstalled = 0;
    std::string newVersion;
    std::string newClassification;
};

struct ActiveEntry
{
    long opId = 0;
    std::string name;
    std::string version;
    std::time_t started = 0;
    int step = 0;
    int steps = 0;
    std::vector<std::string> components;
    std::vector<PackageChange> changes; // in the order they were made
};

struct HistoryEntry
{
    std::string name;
    std::string version;
    std::time_t applied = 0;
    std::vector<std::string> components;
    std::vector<PackageChange> changes;
};

enum class Mark
{
    Idle,     // no long operation
    Reserved, // --setinprogress was run, the operation has not claimed it yet
    Running   // an operation runs and holds the operation lock
};

enum class OpKind
{
    None,
    Fetch,
    Apply,
    Rollback
};

// The codes --status reports.
constexpr int kProgressDone = 0;    // nothing runs; the last operation, if any, succeeded
constexpr int kProgressRunning = 1; // an operation is announced or running
constexpr int kProgressFailed = 2;  // the last operation failed

// What --status reports.
struct Progress
{
    Mark mark = Mark::Idle;
    std::time_t reservedAtMs = 0; // milliseconds since the epoch
    long opId = 0;
    OpKind kind = OpKind::None;
    std::string subject; // what the operation works on, e.g. "pkg 1.2" or a source
    int code = kProgressDone;
    std::string text = "No operation has run yet";
};

struct State
{
    long nextOpId = 1;
    Progress progress;
    std::vector<Package> packages;
    std::vector<CacheEntry> cache;
    std::vector<ScheduledEntry> schedule;
    std::vector<ActiveEntry> active;
    std::vector<HistoryEntry> history;

    // Sets a package to a version and returns what undoes it; a package new to the system
    // gets classificationIfNew.
    PackageChange install(const std::string& package, const std::string& version,
                          const std::string& classificationIfNew, std::time_t now);
    void restore(const PackageChange& change);
    // Undoes the package changes of an operation's active entry, newest first, and drops
    // the entry. False when the operation has none.
    bool dropActive(long opId);
    ActiveEntry* findActiveOp(long opId);

    CacheEntry* findCache(const std::string& name, const std::string& version);
    ScheduledEntry* findScheduled(const std::string& name, const std::string& version);
    ActiveEntry* findActive(const std::string& name, const std::string& version);
    HistoryEntry* findHistory(const std::string& name, const std::string& version);
    Package* findPackage(const std::string& name);
};

std::string serializeState(const State& state);
// Returns nothing when the text is not a state file of this version.
std::optional<State> parseState(const std::string& text);

} // namespace softinv
