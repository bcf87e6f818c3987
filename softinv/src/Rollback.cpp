// Taking an update back: cancelling the apply that is running, or rolling an applied update
// back out of the history.
#include "ExitCodes.hpp"
#include "Operations.hpp"
#include "Text.hpp"

#include <csignal>
#include <set>

namespace softinv
{

bool isOverlaid(const State& state, std::size_t index)
{
    std::set<std::string> mine;
    for (const auto& c : state.history[index].changes)
    {
        mine.insert(c.package);
    }
    for (std::size_t j = index + 1; j < state.history.size(); ++j)
    {
        for (const auto& c : state.history[j].changes)
        {
            if (mine.count(c.package) != 0)
            {
                return true;
            }
        }
    }
    return false;
}

int runRollback(Tool& tool, const std::string& name, const std::string& version)
{
    const std::string subject = name + " " + version;
    bool cancelled = false;
    bool inHistory = false;
    bool reserved = false;
    tool.transact(
        [&](State& state)
        {
            if (ActiveEntry* a = state.findActive(name, version))
            {
                long opId = a->opId;
                state.dropActive(opId);
                if (state.progress.opId == opId && state.progress.mark == Mark::Running)
                {
                    state.progress.mark = Mark::Idle;
                    state.progress.code = kProgressFailed;
                    state.progress.text =
                        toFieldText("Apply of " + subject + " was cancelled; packages restored",
                                    kMaxStatusTextChars);
                }
                cancelled = true;
                return true;
            }
            inHistory = state.findHistory(name, version) != nullptr;
            reserved = state.progress.mark == Mark::Reserved;
            return false;
        });
    if (cancelled)
    {
        return kExitOk;
    }
    if (!inHistory && !reserved)
    {
        // Nobody announced a roll-back, so the progress of whatever ran last stays as it is.
        throw ToolError{kExitRemoveFailed, subject + " is neither being applied nor applied"};
    }
    std::vector<PackageChange> changes;
    auto claim =
        op::claim(tool, OpKind::Rollback, subject, "Rolling back " + subject + ": starting",
                  [&](State& state, long) -> std::string
                  {
                      HistoryEntry* h = state.findHistory(name, version);
                      if (h == nullptr)
                      {
                          return "it is not applied";
                      }
                      auto index = static_cast<std::size_t>(h - state.history.data());
                      if (auto entry = state.findCache(name, version))
                      {
                          auto bundle = cachedBundle(tool.store, *entry);
                          if (bundle && !bundle->removable)
                          {
                              return "it cannot be removed";
                          }
                      }
                      if (isOverlaid(state, index))
                      {
                          return "a later update changed the same packages; roll that back first";
                      }
                      changes = h->changes;
                      return "";
                  });
    if (!claim.claimed)
    {
        throw ToolError{kExitRemoveFailed, "another operation is in progress"};
    }
    if (!claim.reason.empty())
    {
        throw ToolError{kExitRemoveFailed, "cannot roll back " + subject + ": " + claim.reason};
    }
    const long opId = claim.opId;
    const std::size_t steps = changes.size() + 1;
    const long stepMs = tool.store.config().rollbackMs / static_cast<long>(steps);
    for (std::size_t k = 0; k < changes.size(); ++k)
    {
        const auto& c = changes[changes.size() - 1 - k];
        op::setText(tool, opId,
                    "Rolling back " + subject + ": step " + std::to_string(k + 1) + " of " +
                        std::to_string(steps) + ", " +
                        (c.hadOld ? "restoring " + c.package + " " + c.oldVersion
                                  : "removing " + c.package));
        op::pause(tool, stepMs, [](State&) { return true; });
        if (k == 0 && tool.killAfterFirstStep)
        {
            std::raise(SIGKILL);
        }
    }
    op::setText(tool, opId,
                "Rolling back " + subject + ": step " + std::to_string(steps) + " of " +
                    std::to_string(steps) + ", finishing");
    op::pause(tool, stepMs, [](State&) { return true; });
    // The packages change in one transaction, so an interrupted roll-back leaves the update
    // fully applied rather than half removed.
    tool.transact(
        [&](State& state)
        {
            for (auto it = state.history.begin(); it != state.history.end(); ++it)
            {
                if (it->name == name && it->version == version)
                {
                    for (auto c = it->changes.rbegin(); c != it->changes.rend(); ++c)
                    {
                        state.restore(*c);
                    }
                    state.history.erase(it);
                    break;
                }
            }
            return true;
        });
    op::finish(tool, opId, kProgressDone, "Rolled back " + subject);
    return kExitOk;
}

} // namespace softinv
