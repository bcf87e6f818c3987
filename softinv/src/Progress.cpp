// Coordination of the long operations: claiming, progress, finishing, repair and the start of
// due scheduled updates in a detached process.
#include "ExitCodes.hpp"
#include "Operations.hpp"
#include "Text.hpp"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace softinv
{

namespace
{

constexpr long kClaimWaitMs = 5000; // how long a claim waits for a finishing operation
constexpr long kClaimPollMs = 20;
constexpr long kPauseSliceMs = 100; // how quickly a sleeping operation notices a cancel

const char* kindNoun(OpKind kind)
{
    switch (kind)
    {
    case OpKind::Fetch:
        return "Download from ";
    case OpKind::Apply:
        return "Apply of ";
    case OpKind::Rollback:
        return "Roll-back of ";
    case OpKind::None:
        break;
    }
    return "Operation on ";
}

void setProgress(Progress& p, Mark mark, int code, const std::string& text)
{
    p.mark = mark;
    p.code = code;
    p.text = toFieldText(text, kMaxStatusTextChars);
}

// The part of a dead operation's work that must not stay half done.
void repairDeadOperation(Tool& tool, State& state)
{
    Progress& p = state.progress;
    std::string text = std::string(kindNoun(p.kind)) + p.subject + " was interrupted";
    if (p.kind == OpKind::Apply)
    {
        state.dropActive(p.opId);
        text += "; packages restored";
    }
    else if (p.kind == OpKind::Rollback)
    {
        text += "; the update remains applied";
    }
    std::error_code error;
    std::filesystem::directory_iterator it(tool.store.cacheDir(), error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error))
    {
        std::string name = it->path().filename().string();
        if (name.rfind(".incoming-", 0) == 0 || name.rfind(".old-", 0) == 0)
        {
            std::filesystem::remove_all(it->path(), error);
        }
    }
    tool.store.log(text);
    setProgress(p, Mark::Idle, kProgressFailed, text);
}

void startDetached(Tool& tool, const DetachedApply& job)
{
    pid_t child = ::fork();
    if (child == 0)
    {
        // Intermediate child: a new session, so the worker outlives the run and its
        // terminal, then the worker itself; the intermediate child exits at once so the
        // run can reap it and leaves no zombie.
        ::setsid();
        pid_t worker = ::fork();
        if (worker != 0)
        {
            ::_exit(worker < 0 ? 1 : 0);
        }
        int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        if (null > 2)
        {
            ::close(null);
        }
        tool.store.forgetStateLockInChild();
        tool.store.closeOtherDescriptors();
        // Every path the tool uses is absolute, so the worker pins no directory.
        if (::chdir("/") != 0)
        {
            ::_exit(kExitApplyFailed);
        }
        Tool workerTool(tool.store);
        workerTool.mayStartScheduled = false;
        int code = kExitApplyFailed;
        try
        {
            code = continueApply(workerTool, job.opId);
        }
        catch (const ToolError& e)
        {
            tool.store.log("scheduled apply: " + e.message);
        }
        catch (...)
        {
            tool.store.log("scheduled apply: unexpected failure");
        }
        ::_exit(code);
    }
    if (child > 0)
    {
        // The worker keeps the operation lock through its copy of the descriptor.
        tool.store.forgetOperationLock();
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        {
            tool.store.log("started scheduled apply of " + job.name + " " + job.version);
            return;
        }
    }
    // No worker: undo the claim so the update goes back on the schedule.
    tool.store.log("cannot start the scheduled apply of " + job.name + " " + job.version);
    tool.store.transact(
        [&](State& state)
        {
            for (auto it = state.active.begin(); it != state.active.end(); ++it)
            {
                if (it->opId == job.opId)
                {
                    state.active.erase(it);
                    break;
                }
            }
            if (state.progress.opId == job.opId)
            {
                setProgress(state.progress, Mark::Idle, kProgressFailed,
                            "Scheduled apply of " + job.name + " " + job.version +
                                " could not be started");
            }
            return true;
        });
    tool.store.unlockOperation();
}

} // namespace

void Tool::transact(const std::function<bool(State&)>& change)
{
    store.transact(
        [&](State& state)
        {
            bool changed = maintain(*this, state);
            return change(state) || changed;
        });
    if (detached)
    {
        DetachedApply job = *detached;
        detached.reset();
        startDetached(*this, job);
    }
}

bool maintain(Tool& tool, State& state)
{
    bool changed = false;
    Progress& p = state.progress;
    if (p.mark == Mark::Running && !tool.store.holdsOperationLock() &&
        tool.store.operationLockFree())
    {
        repairDeadOperation(tool, state);
        changed = true;
    }
    if (p.mark == Mark::Reserved &&
        nowMs() - p.reservedAtMs > tool.store.config().reservationTimeoutMs)
    {
        setProgress(p, Mark::Idle, kProgressFailed, "The announced operation did not start");
        changed = true;
    }
    if (!tool.mayStartScheduled || p.mark != Mark::Idle || tool.store.holdsOperationLock())
    {
        return changed;
    }
    std::time_t now = std::time(nullptr);
    for (auto it = state.schedule.begin(); it != state.schedule.end(); ++it)
    {
        if (it->start > now || it->end < now)
        {
            continue;
        }
        if (!tool.store.tryLockOperation())
        {
            return changed;
        }
        ScheduledEntry due = *it;
        long opId = state.nextOpId++;
        std::string reason = beginApply(state, tool.store, opId, due.name, due.version, {});
        std::string subject = due.name + " " + due.version;
        if (!reason.empty())
        {
            // beginApply leaves the schedule alone when it refuses; a scheduled update that
            // can no longer be applied is taken off so that it is not retried forever.
            state.schedule.erase(it);
            setProgress(p, Mark::Idle, kProgressFailed,
                        "Scheduled apply of " + subject + " failed: " + reason);
            tool.store.unlockOperation();
            return true;
        }
        p.opId = opId;
        p.kind = OpKind::Apply;
        p.subject = subject;
        setProgress(p, Mark::Running, kProgressRunning,
                    "Applying " + subject + " (scheduled): starting");
        tool.detached = DetachedApply{opId, due.name, due.version};
        return true;
    }
    return changed;
}

int setInProgress(Tool& tool)
{
    int code = kExitOk;
    std::string busy;
    tool.transact(
        [&](State& state)
        {
            Progress& p = state.progress;
            if (p.mark != Mark::Idle)
            {
                busy = p.text;
                code = kExitSoftwareUpdateFailed;
                return false;
            }
            p.reservedAtMs = nowMs();
            p.kind = OpKind::None;
            p.subject.clear();
            p.opId = 0;
            setProgress(p, Mark::Reserved, kProgressRunning, "Waiting for the operation to start");
            return true;
        });
    if (code != kExitOk)
    {
        throw ToolError{code, "another operation is in progress: " + busy};
    }
    return code;
}

int printStatus(Tool& tool)
{
    Progress shown;
    tool.transact(
        [&](State& state)
        {
            shown = state.progress;
            return false;
        });
    tool.out +=
        std::to_string(shown.code) + "\n" + toFieldText(shown.text, kMaxStatusTextChars) + "\n";
    return kExitOk;
}

namespace op
{

Claim claim(Tool& tool, OpKind kind, const std::string& subject, const std::string& text,
            const std::function<std::string(State&, long opId)>& prepare)
{
    Claim result;
    for (long waited = 0;; waited += kClaimPollMs)
    {
        bool retry = false;
        tool.transact(
            [&](State& state)
            {
                Progress& p = state.progress;
                if (p.mark == Mark::Running)
                {
                    return false; // a live operation (maintain has repaired a dead one)
                }
                if (!tool.store.tryLockOperation())
                {
                    // The mark is free but a process still holds the lock: an operation that
                    // was cancelled is on its way out.
                    retry = true;
                    return false;
                }
                long opId = state.nextOpId++;
                p.opId = opId;
                p.kind = kind;
                p.subject = toFieldText(subject, kMaxStatusTextChars);
                result.claimed = true;
                tool.claimedOperation = true;
                result.opId = opId;
                result.reason = prepare ? prepare(state, opId) : "";
                if (!result.reason.empty())
                {
                    setProgress(p, Mark::Idle, kProgressFailed,
                                std::string(kindNoun(kind)) + subject +
                                    " failed: " + result.reason);
                    return true;
                }
                setProgress(p, Mark::Running, kProgressRunning, text);
                return true;
            });
        if (result.claimed && !result.reason.empty())
        {
            tool.store.unlockOperation();
        }
        if (!retry || waited >= kClaimWaitMs)
        {
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kClaimPollMs));
    }
}

void setText(Tool& tool, long opId, const std::string& text)
{
    tool.transact(
        [&](State& state)
        {
            if (state.progress.opId != opId || state.progress.mark != Mark::Running)
            {
                return false;
            }
            state.progress.text = toFieldText(text, kMaxStatusTextChars);
            return true;
        });
}

void finish(Tool& tool, long opId, int code, const std::string& text)
{
    tool.transact(
        [&](State& state)
        {
            if (state.progress.opId != opId || state.progress.mark != Mark::Running)
            {
                return false;
            }
            setProgress(state.progress, Mark::Idle, code, text);
            return true;
        });
    tool.store.unlockOperation();
}

bool pause(Tool& tool, long totalMs, const std::function<bool(State&)>& stillRunning)
{
    if (totalMs <= 0)
    {
        return true; // the step's own transaction still notices a cancel
    }
    long left = totalMs;
    do
    {
        long slice = std::min(left, kPauseSliceMs);
        if (slice > 0)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(slice));
        }
        left -= slice;
        bool running = true;
        tool.transact(
            [&](State& state)
            {
                running = stillRunning(state);
                return false;
            });
        if (!running)
        {
            return false;
        }
    } while (left > 0);
    return true;
}

} // namespace op

} // namespace softinv
