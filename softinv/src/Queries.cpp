#include "Queries.hpp"

#include "ExitCodes.hpp"
#include "Text.hpp"

#include <functional>
#include <set>

namespace softinv
{

namespace
{

constexpr const char kNoText[] = "-"; // stands in for a text that is unknown

struct CachedView
{
    const CacheEntry* entry = nullptr;
    std::optional<Bundle> bundle;
    std::filesystem::path dir;
};

CachedView view(const Store& store, const CacheEntry& entry)
{
    return {&entry, cachedBundle(store, entry), store.cacheDir() / entry.dir};
}

std::string reboot(const CachedView& v)
{
    return v.bundle && v.bundle->reboot ? "reboot" : "noreboot";
}

std::string summary(const CachedView& v)
{
    return v.bundle ? v.bundle->summary : kNoText;
}

std::string size(const CachedView& v)
{
    return humanSize(v.bundle ? bundleBytes(*v.bundle, v.dir) : 0);
}

std::string line(std::initializer_list<std::string> fields)
{
    std::string out;
    for (const auto& f : fields)
    {
        out += (out.empty() ? "" : "\t") + toFieldText(f, kMaxListingFieldChars);
    }
    return out + "\n";
}

// Runs a query under the state lock, bundle files included: a fetch replaces a bundle's
// directory under the same lock, so a query never reads one half replaced.
void readLocked(Tool& tool, const std::function<void(State&)>& query)
{
    tool.transact(
        [&](State& state)
        {
            query(state);
            return false;
        });
}

// The cached bundle of one update; throws with notFoundCode when it is not in the cache.
CachedView lookup(const Store& store, State& state, const std::string& name,
                  const std::string& version, int notFoundCode)
{
    const CacheEntry* entry = state.findCache(name, version);
    CachedView v = entry ? view(store, *entry) : CachedView{};
    if (!v.bundle)
    {
        throw ToolError{notFoundCode,
                        "no readable update " + name + " " + version + " in the cache"};
    }
    return v;
}

// The same for the "name-version" form of -l and --files.
CachedView lookupJoined(const Store& store, const State& state, const std::string& nameDashVersion)
{
    for (const auto& entry : state.cache)
    {
        if (entry.name + "-" + entry.version == nameDashVersion)
        {
            CachedView v = view(store, entry);
            if (v.bundle)
            {
                return v;
            }
        }
    }
    throw ToolError{kExitSoftwareUpdateFailed, "no update " + nameDashVersion + " in the cache"};
}

// Checks the window of a schedule; returns the reason it is refused.
std::string checkWindow(const std::string& startText, const std::string& endText,
                        std::time_t& start, std::time_t& end)
{
    auto s = parseDate(startText);
    auto e = parseDate(endText);
    if (!s || !e)
    {
        return "a date is not in the form \"Wed Jun 30 21:49:08 1993\"";
    }
    start = *s;
    end = *e;
    if (end <= start)
    {
        return "the window ends before it starts";
    }
    if (end <= std::time(nullptr))
    {
        return "the window has already ended";
    }
    return "";
}

} // namespace

int listInventory(Tool& tool)
{
    readLocked(
        tool,
        [&](State& state)
        {
            for (const auto& p : state.packages)
            {
                tool.out += line({p.name, p.version, p.classification, formatDate(p.installed)});
            }
        });
    return kExitOk;
}

int listCache(Tool& tool)
{
    readLocked(
        tool,
        [&](State& state)
        {
            auto superseded = supersededList(state, tool.store);
            for (std::size_t i = 0; i < state.cache.size(); ++i)
            {
                const CacheEntry& e = state.cache[i];
                CachedView v = view(tool.store, e);
                std::string status = !e.invalidReason.empty() || !v.bundle    ? "Invalid"
                                     : state.findHistory(e.name, e.version)   ? "Applied"
                                     : state.findScheduled(e.name, e.version) ? "Schedule"
                                     : !superseded[i].empty()                 ? "Obsolete"
                                                                              : "Available";
                tool.out += line({e.name, e.version, summary(v), size(v), reboot(v), status});
            }
        });
    return kExitOk;
}

int listSchedule(Tool& tool)
{
    readLocked(tool,
               [&](State& state)
               {
                   std::time_t now = std::time(nullptr);
                   for (const auto& s : state.schedule)
                   {
                       const CacheEntry* e = state.findCache(s.name, s.version);
                       CachedView v = e ? view(tool.store, *e) : CachedView{};
                       std::string status = now < s.start  ? "Scheduled"
                                            : now <= s.end ? "Due"
                                                           : "Window missed";
                       tool.out += line({s.name, s.version, summary(v), e ? e->location : kNoText,
                                         formatDate(e ? e->fetched : s.created),
                                         formatDate(s.start), reboot(v), size(v), status});
                   }
               });
    return kExitOk;
}

int listActive(Tool& tool)
{
    readLocked(tool,
               [&](State& state)
               {
                   for (const auto& a : state.active)
                   {
                       const CacheEntry* e = state.findCache(a.name, a.version);
                       CachedView v = e ? view(tool.store, *e) : CachedView{};
                       std::string status = "Applying, step " +
                                            std::to_string(std::max(a.step, 1)) + " of " +
                                            std::to_string(a.steps);
                       tool.out += line({a.name, a.version, summary(v), e ? e->location : kNoText,
                                         formatDate(a.started), reboot(v), size(v), status});
                   }
               });
    return kExitOk;
}

int listHistory(Tool& tool)
{
    readLocked(tool,
               [&](State& state)
               {
                   for (std::size_t i = 0; i < state.history.size(); ++i)
                   {
                       const HistoryEntry& h = state.history[i];
                       const CacheEntry* e = state.findCache(h.name, h.version);
                       CachedView v = e ? view(tool.store, *e) : CachedView{};
                       bool removable = v.bundle && v.bundle->removable && !isOverlaid(state, i);
                       tool.out += line(
                           {h.name, h.version, summary(v), v.bundle ? v.bundle->category : kNoText,
                            formatDate(h.applied), removable ? "Removable" : "Permanent"});
                   }
               });
    return kExitOk;
}

int listComponents(Tool& tool, const std::string& name, const std::string& version)
{
    readLocked(tool,
               [&](State& state)
               {
                   CachedView v =
                       lookup(tool.store, state, name, version, kExitSoftwareUpdateFailed);
                   for (const auto& c : v.bundle->components)
                   {
                       tool.out += line({c.name, c.description});
                   }
               });
    return kExitOk;
}

int listFiles(Tool& tool, const std::string& nameDashVersion)
{
    readLocked(tool,
               [&](State& state)
               {
                   std::vector<CachedView> views;
                   if (!nameDashVersion.empty())
                   {
                       views.push_back(lookupJoined(tool.store, state, nameDashVersion));
                   }
                   for (std::size_t i = 0; nameDashVersion.empty() && i < state.cache.size(); ++i)
                   {
                       views.push_back(view(tool.store, state.cache[i]));
                   }
                   std::set<std::string> seen;
                   for (const auto& v : views)
                   {
                       for (std::size_t i = 0; v.bundle && i < v.bundle->files.size(); ++i)
                       {
                           if (seen.insert(v.bundle->files[i].name).second)
                           {
                               tool.out += v.bundle->files[i].name + "\n";
                           }
                       }
                   }
               });
    return kExitOk;
}

int printDescription(Tool& tool, const std::string& nameDashVersion)
{
    readLocked(tool,
               [&](State& state)
               {
                   CachedView v = lookupJoined(tool.store, state, nameDashVersion);
                   auto text = readTextFile(v.dir / v.bundle->descriptionFile, kMaxTextFileBytes);
                   if (!text)
                   {
                       throw ToolError{kExitSoftwareUpdateFailed,
                                       "the description of " + nameDashVersion + " is unreadable"};
                   }
                   tool.out += *text;
                   if (!text->empty() && text->back() != '\n')
                   {
                       tool.out += '\n';
                   }
               });
    return kExitOk;
}

int printWarnings(Tool& tool, const std::string& name, const std::string& version)
{
    std::optional<std::string> text;
    readLocked(tool,
               [&](State& state)
               {
                   CachedView v =
                       lookup(tool.store, state, name, version, kExitSoftwareUpdateFailed);
                   if (v.bundle->warningsFile.empty())
                   {
                       text = "";
                       return;
                   }
                   text = readTextFile(v.dir / v.bundle->warningsFile, kMaxTextFileBytes);
               });
    if (!text)
    {
        throw ToolError{kExitSoftwareUpdateFailed,
                        "the warnings of " + name + " " + version + " are unreadable"};
    }
    if (trim(*text).empty())
    {
        return kExitNo;
    }
    tool.out += *text;
    if (text->back() != '\n')
    {
        tool.out += '\n';
    }
    return kExitOk;
}

int hasComponents(Tool& tool, const std::string& name, const std::string& version)
{
    bool has = false;
    readLocked(tool,
               [&](State& state)
               {
                   has = !lookup(tool.store, state, name, version, kExitSoftwareUpdateFailed)
                              .bundle->components.empty();
               });
    return has ? kExitOk : kExitNo;
}

int schedule(Tool& tool, const std::string& name, const std::string& version,
             const std::string& startText, const std::string& endText)
{
    std::time_t start = 0;
    std::time_t end = 0;
    std::string reason = checkWindow(startText, endText, start, end);
    tool.transact(
        [&](State& state)
        {
            if (!reason.empty())
            {
                return false;
            }
            const CacheEntry* e = state.findCache(name, version);
            if (e == nullptr)
            {
                reason = "it is not in the cache";
            }
            else if (!e->invalidReason.empty())
            {
                reason = "it is invalid";
            }
            else if (state.findHistory(name, version) || state.findActive(name, version))
            {
                reason = "it is already applied or being applied";
            }
            else if (state.findScheduled(name, version))
            {
                reason = "it is already scheduled; change its window instead";
            }
            else if (!supersededList(state,
                                     tool.store)[static_cast<std::size_t>(e - state.cache.data())]
                          .empty())
            {
                reason = "it is superseded";
            }
            if (!reason.empty())
            {
                return false;
            }
            state.schedule.push_back({name, version, start, end, std::time(nullptr)});
            return true;
        });
    if (!reason.empty())
    {
        throw ToolError{kExitScheduleFailed,
                        "cannot schedule " + name + " " + version + ": " + reason};
    }
    tool.out += "Scheduled " + name + " " + version + " between " + formatDate(start) + " and " +
                formatDate(end) + "\n";
    return kExitOk;
}

int modifySchedule(Tool& tool, const std::string& name, const std::string& version,
                   const std::string& startText, const std::string& endText, bool remove)
{
    std::time_t start = 0;
    std::time_t end = 0;
    std::string reason = remove ? "" : checkWindow(startText, endText, start, end);
    tool.transact(
        [&](State& state)
        {
            if (!reason.empty())
            {
                return false;
            }
            for (auto it = state.schedule.begin(); it != state.schedule.end(); ++it)
            {
                if (it->name == name && it->version == version)
                {
                    if (remove)
                    {
                        state.schedule.erase(it);
                    }
                    else
                    {
                        it->start = start;
                        it->end = end;
                    }
                    return true;
                }
            }
            reason = "it is not scheduled";
            return false;
        });
    if (!reason.empty())
    {
        throw ToolError{kExitModifyFailed,
                        "cannot change the schedule of " + name + " " + version + ": " + reason};
    }
    return kExitOk;
}

} // namespace softinv
