// Applying an update: the checks before it starts, its steps, and what a failure undoes.
#include "ExitCodes.hpp"
#include "Operations.hpp"
#include "Text.hpp"

#include <algorithm>
#include <csignal>

namespace softinv
{

namespace
{

struct ApplyStep
{
    enum Kind
    {
        Verify,
        Install,
        Finish
    } kind;
    BundlePackage package;
};

std::string completionText(const std::string& subject, const ActiveEntry& active,
                           const Bundle& bundle)
{
    std::string done = "Applied " + subject;
    if (!active.components.empty())
    {
        done += " with";
        for (const auto& c : active.components)
        {
            done += " " + c;
        }
    }
    if (bundle.reboot)
    {
        done += "; a reboot is required";
    }
    return done;
}

} // namespace

std::optional<Bundle> cachedBundle(const Store& store, const CacheEntry& entry)
{
    try
    {
        return loadBundle(store.cacheDir() / entry.dir, kExitSoftwareUpdateFailed);
    }
    catch (const ToolError&)
    {
        return std::nullopt;
    }
}

std::vector<std::string> supersededList(const State& state, const Store& store)
{
    std::vector<std::string> result(state.cache.size());
    for (const auto& other : state.cache)
    {
        if (!other.invalidReason.empty())
        {
            continue;
        }
        auto bundle = cachedBundle(store, other);
        if (!bundle)
        {
            continue;
        }
        for (const auto& old : bundle->supersedes)
        {
            for (std::size_t i = 0; i < state.cache.size(); ++i)
            {
                if (state.cache[i].name == old.name && state.cache[i].version == old.version &&
                    result[i].empty())
                {
                    result[i] = other.name + " " + other.version;
                }
            }
        }
    }
    return result;
}

std::string beginApply(State& state, const Store& store, long opId, const std::string& name,
                       const std::string& version, const std::vector<std::string>& components)
{
    const CacheEntry* entry = state.findCache(name, version);
    if (entry == nullptr)
    {
        return "it is not in the cache";
    }
    if (!entry->invalidReason.empty())
    {
        return "it is invalid (" + entry->invalidReason + ")";
    }
    if (state.findHistory(name, version) != nullptr)
    {
        return "it is already applied";
    }
    if (!state.active.empty())
    {
        return "another update is being applied";
    }
    auto bundle = cachedBundle(store, *entry);
    if (!bundle)
    {
        return "its bundle can no longer be read";
    }
    auto superseded = supersededList(state, store);
    std::size_t index = static_cast<std::size_t>(entry - state.cache.data());
    if (!superseded[index].empty())
    {
        return "it is superseded by " + superseded[index];
    }
    ActiveEntry active;
    for (const auto& c : components)
    {
        if (bundle->findComponent(c) == nullptr)
        {
            return "it has no optional component " + c;
        }
        if (std::find(active.components.begin(), active.components.end(), c) ==
            active.components.end())
        {
            active.components.push_back(c);
        }
    }
    active.opId = opId;
    active.name = name;
    active.version = version;
    active.started = std::time(nullptr);
    active.steps = static_cast<int>(2 + bundle->packages.size() + active.components.size());
    state.active.push_back(active);
    for (auto it = state.schedule.begin(); it != state.schedule.end(); ++it)
    {
        if (it->name == name && it->version == version)
        {
            state.schedule.erase(it);
            break;
        }
    }
    return "";
}

int continueApply(Tool& tool, long opId)
{
    ActiveEntry active;
    std::optional<Bundle> bundle;
    std::filesystem::path dir;
    tool.transact(
        [&](State& state)
        {
            if (ActiveEntry* a = state.findActiveOp(opId))
            {
                active = *a;
                if (const CacheEntry* entry = state.findCache(a->name, a->version))
                {
                    bundle = cachedBundle(tool.store, *entry);
                    dir = tool.store.cacheDir() / entry->dir;
                }
            }
            return false;
        });
    std::string subject = active.name + " " + active.version;
    if (active.opId == 0 || !bundle)
    {
        op::finish(tool, opId, kProgressFailed,
                   "Apply of " + subject + " failed: its bundle is gone");
        throw ToolError{kExitApplyFailed, "the update to apply is gone"};
    }

    std::vector<ApplyStep> steps{{ApplyStep::Verify, {}}};
    for (const auto& p : bundle->packages)
    {
        steps.push_back({ApplyStep::Install, p});
    }
    for (const auto& c : active.components)
    {
        steps.push_back({ApplyStep::Install, bundle->findComponent(c)->package});
    }
    steps.push_back({ApplyStep::Finish, {}});
    // Each step acts at once and then takes its share of the configured time, so the first
    // package is in early and the update shows in the active list for the whole duration.
    const long stepMs = tool.store.config().applyMs / static_cast<long>(steps.size() - 1);

    for (std::size_t k = 0; k < steps.size(); ++k)
    {
        const ApplyStep& step = steps[k];
        std::string what = step.kind == ApplyStep::Verify ? "verifying the files"
                           : step.kind == ApplyStep::Finish
                               ? "finishing"
                               : "installing " + step.package.name + " " + step.package.version;
        std::string counter =
            "step " + std::to_string(k + 1) + " of " + std::to_string(steps.size());
        int failCode = kExitOk;
        std::string failText;
        tool.transact(
            [&](State& state)
            {
                ActiveEntry* a = state.findActiveOp(opId);
                if (a == nullptr)
                {
                    failCode = kExitApplyFailed;
                    failText = "the apply of " + subject + " was cancelled";
                    return false;
                }
                a->step = static_cast<int>(k + 1);
                if (state.progress.opId == opId)
                {
                    state.progress.text = toFieldText(
                        "Applying " + subject + ": " + counter + ", " + what, kMaxStatusTextChars);
                }
                if (step.kind == ApplyStep::Verify)
                {
                    failText = verifyBundle(*bundle, dir);
                    failCode = failText.empty() ? kExitOk : kExitApplyFailed;
                }
                else if (step.kind == ApplyStep::Install)
                {
                    if (step.package.name == bundle->failPackage)
                    {
                        failCode = kExitPackageInstallFailed;
                        failText = "installing " + step.package.name + " " + step.package.version +
                                   " failed: " +
                                   (bundle->failReason.empty() ? "error" : bundle->failReason);
                    }
                    else
                    {
                        a->changes.push_back(state.install(step.package.name, step.package.version,
                                                           bundle->classification,
                                                           std::time(nullptr)));
                    }
                }
                else
                {
                    state.history.push_back(
                        {a->name, a->version, std::time(nullptr), a->components, a->changes});
                    state.active.erase(state.active.begin() + (a - state.active.data()));
                    // Completion and its progress text land together, so a run that dies right
                    // after this is not mistaken for an interrupted apply.
                    if (state.progress.opId == opId)
                    {
                        state.progress.mark = Mark::Idle;
                        state.progress.code = kProgressDone;
                        state.progress.text = toFieldText(completionText(subject, active, *bundle),
                                                          kMaxStatusTextChars);
                    }
                    return true;
                }
                if (failCode != kExitOk)
                {
                    state.dropActive(opId);
                }
                return true;
            });
        if (failCode != kExitOk)
        {
            op::finish(tool, opId, kProgressFailed,
                       "Apply of " + subject + " failed: " + failText + "; packages restored");
            throw ToolError{failCode, "apply of " + subject + " failed: " + failText};
        }
        // The fault on demand strikes after the first package has changed, when there is
        // one, so that the repair has something to restore.
        if (tool.killAfterFirstStep && k == (steps.size() > 2 ? 1u : 0u))
        {
            std::raise(SIGKILL);
        }
        if (k + 1 < steps.size() &&
            !op::pause(tool, stepMs,
                       [opId](State& state) { return state.findActiveOp(opId) != nullptr; }))
        {
            tool.store.unlockOperation();
            throw ToolError{kExitApplyFailed, "the apply of " + subject + " was cancelled"};
        }
    }
    op::finish(tool, opId, kProgressDone, completionText(subject, active, *bundle));
    return kExitOk;
}

int runApply(Tool& tool, const std::string& name, const std::string& version,
             const std::vector<std::string>& components)
{
    auto claim =
        op::claim(tool, OpKind::Apply, name + " " + version,
                  "Applying " + name + " " + version + ": starting",
                  [&](State& state, long opId)
                  { return beginApply(state, tool.store, opId, name, version, components); });
    if (!claim.claimed)
    {
        throw ToolError{kExitApplyFailed, "another operation is in progress"};
    }
    if (!claim.reason.empty())
    {
        throw ToolError{kExitApplyFailed,
                        "cannot apply " + name + " " + version + ": " + claim.reason};
    }
    return continueApply(tool, claim.opId);
}

} // namespace softinv
