#include "State.hpp"

#include "Text.hpp"

#include <sstream>

namespace softinv
{

namespace
{

constexpr const char kStateHeader[] = "softinv-state\t1";

template <typename T>
T* findByNameVersion(std::vector<T>& items, const std::string& name, const std::string& version)
{
    for (auto& item : items)
    {
        if (item.name == name && item.version == version)
        {
            return &item;
        }
    }
    return nullptr;
}

std::string number(long long value)
{
    return std::to_string(value);
}

// Every record is one line of tab-separated, escaped fields; the first field is its kind.
std::string record(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
    {
        if (i > 0)
        {
            line += '\t';
        }
        line += escapeAtom(fields[i]);
    }
    return line + '\n';
}

std::string encodeChanges(const std::vector<PackageChange>& changes)
{
    std::vector<std::string> encoded;
    for (const auto& c : changes)
    {
        encoded.push_back(
            joinEscaped({c.package, c.hadOld ? "1" : "0", c.oldVersion, c.oldClassification,
                         number(c.oldInstalled), c.newVersion, c.newClassification},
                        ','));
    }
    // The outer join escapes each entry once more, so the entry's own commas survive the
    // split on ';' and come back for the split on ','.
    return joinEscaped(encoded, ';');
}

bool decodeChanges(const std::string& text, std::vector<PackageChange>& changes)
{
    for (const auto& entry : splitEscaped(text, ';'))
    {
        auto f = splitEscaped(entry, ',');
        if (f.size() != 7)
        {
            return false;
        }
        auto installed = parseInteger(f[4]);
        if (!installed)
        {
            return false;
        }
        changes.push_back(
            {f[0], f[1] == "1", f[2], f[3], static_cast<std::time_t>(*installed), f[5], f[6]});
    }
    return true;
}

const char* markName(Mark mark)
{
    switch (mark)
    {
    case Mark::Reserved:
        return "reserved";
    case Mark::Running:
        return "running";
    case Mark::Idle:
        break;
    }
    return "idle";
}

const char* kindName(OpKind kind)
{
    switch (kind)
    {
    case OpKind::Fetch:
        return "fetch";
    case OpKind::Apply:
        return "apply";
    case OpKind::Rollback:
        return "rollback";
    case OpKind::None:
        break;
    }
    return "none";
}

} // namespace

PackageChange State::install(const std::string& package, const std::string& version,
                             const std::string& classificationIfNew, std::time_t now)
{
    PackageChange change;
    change.package = package;
    change.newVersion = version;
    if (Package* current = findPackage(package))
    {
        change.hadOld = true;
        change.oldVersion = current->version;
        change.oldClassification = current->classification;
        change.oldInstalled = current->installed;
        change.newClassification = current->classification;
        current->version = version;
        current->installed = now;
    }
    else
    {
        change.newClassification = classificationIfNew;
        packages.push_back({package, version, classificationIfNew, now});
    }
    return change;
}

void State::restore(const PackageChange& change)
{
    Package* current = findPackage(change.package);
    if (!change.hadOld)
    {
        if (current != nullptr)
        {
            packages.erase(packages.begin() + (current - packages.data()));
        }
        return;
    }
    if (current == nullptr)
    {
        packages.push_back({change.package, "", "", 0});
        current = &packages.back();
    }
    current->version = change.oldVersion;
    current->classification = change.oldClassification;
    current->installed = change.oldInstalled;
}

bool State::dropActive(long opId)
{
    ActiveEntry* entry = findActiveOp(opId);
    if (entry == nullptr)
    {
        return false;
    }
    for (auto c = entry->changes.rbegin(); c != entry->changes.rend(); ++c)
    {
        restore(*c);
    }
    active.erase(active.begin() + (entry - active.data()));
    return true;
}

ActiveEntry* State::findActiveOp(long opId)
{
    for (auto& a : active)
    {
        if (a.opId == opId)
        {
            return &a;
        }
    }
    return nullptr;
}

CacheEntry* State::findCache(const std::string& name, const std::string& version)
{
    return findByNameVersion(cache, name, version);
}

ScheduledEntry* State::findScheduled(const std::string& name, const std::string& version)
{
    return findByNameVersion(schedule, name, version);
}

ActiveEntry* State::findActive(const std::string& name, const std::string& version)
{
    return findByNameVersion(active, name, version);
}

HistoryEntry* State::findHistory(const std::string& name, const std::string& version)
{
    return findByNameVersion(history, name, version);
}

Package* State::findPackage(const std::string& name)
{
    for (auto& p : packages)
    {
        if (p.name == name)
        {
            return &p;
        }
    }
    return nullptr;
}

std::string serializeState(const State& state)
{
    std::string out = std::string(kStateHeader) + '\n';
    out += record({"next-op", number(state.nextOpId)});
    const Progress& p = state.progress;
    out += record({"progress", markName(p.mark), number(p.reservedAtMs), number(p.opId),
                   kindName(p.kind), p.subject, number(p.code), p.text});
    for (const auto& pkg : state.packages)
    {
        out +=
            record({"package", pkg.name, pkg.version, pkg.classification, number(pkg.installed)});
    }
    for (const auto& c : state.cache)
    {
        out += record(
            {"cache", c.name, c.version, c.dir, c.location, number(c.fetched), c.invalidReason});
    }
    for (const auto& s : state.schedule)
    {
        out +=
            record({"sched", s.name, s.version, number(s.start), number(s.end), number(s.created)});
    }
    for (const auto& a : state.active)
    {
        out +=
            record({"active", number(a.opId), a.name, a.version, number(a.started), number(a.step),
                    number(a.steps), joinEscaped(a.components, ','), encodeChanges(a.changes)});
    }
    for (const auto& h : state.history)
    {
        out += record({"history", h.name, h.version, number(h.applied),
                       joinEscaped(h.components, ','), encodeChanges(h.changes)});
    }
    return out;
}

std::optional<State> parseState(const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kStateHeader)
    {
        return std::nullopt;
    }
    State state;
    while (std::getline(in, line))
    {
        if (line.empty())
        {
            continue;
        }
        std::vector<std::string> f;
        for (const auto& raw : splitExact(line, '\t'))
        {
            f.push_back(unescapeAtom(raw));
        }
        // Numbers are checked once here so that the code below can read them plainly.
        auto num = [&f](std::size_t i) -> std::optional<long long>
        { return i < f.size() ? parseInteger(f[i]) : std::nullopt; };
        const std::string& kind = f[0];
        if (kind == "next-op" && f.size() == 2 && num(1))
        {
            state.nextOpId = static_cast<long>(*num(1));
        }
        else if (kind == "progress" && f.size() == 8 && num(2) && num(3) && num(6))
        {
            Progress& p = state.progress;
            p.mark = f[1] == "reserved"  ? Mark::Reserved
                     : f[1] == "running" ? Mark::Running
                                         : Mark::Idle;
            p.reservedAtMs = static_cast<std::time_t>(*num(2));
            p.opId = static_cast<long>(*num(3));
            p.kind = f[4] == "fetch"      ? OpKind::Fetch
                     : f[4] == "apply"    ? OpKind::Apply
                     : f[4] == "rollback" ? OpKind::Rollback
                                          : OpKind::None;
            p.subject = f[5];
            p.code = static_cast<int>(*num(6));
            p.text = f[7];
        }
        else if (kind == "package" && f.size() == 5 && num(4))
        {
            state.packages.push_back({f[1], f[2], f[3], static_cast<std::time_t>(*num(4))});
        }
        else if (kind == "cache" && f.size() == 7 && num(5))
        {
            state.cache.push_back(
                {f[1], f[2], f[3], f[4], static_cast<std::time_t>(*num(5)), f[6]});
        }
        else if (kind == "sched" && f.size() == 6 && num(3) && num(4) && num(5))
        {
            state.schedule.push_back({f[1], f[2], static_cast<std::time_t>(*num(3)),
                                      static_cast<std::time_t>(*num(4)),
                                      static_cast<std::time_t>(*num(5))});
        }
        else if (kind == "active" && f.size() == 9 && num(1) && num(4) && num(5) && num(6))
        {
            ActiveEntry a;
            a.opId = static_cast<long>(*num(1));
            a.name = f[2];
            a.version = f[3];
            a.started = static_cast<std::time_t>(*num(4));
            a.step = static_cast<int>(*num(5));
            a.steps = static_cast<int>(*num(6));
            a.components = splitEscaped(f[7], ',');
            if (!decodeChanges(f[8], a.changes))
            {
                return std::nullopt;
            }
            state.active.push_back(a);
        }
        else if (kind == "history" && f.size() == 6 && num(3))
        {
            HistoryEntry h;
            h.name = f[1];
            h.version = f[2];
            h.applied = static_cast<std::time_t>(*num(3));
            h.components = splitEscaped(f[4], ',');
            if (!decodeChanges(f[5], h.changes))
            {
                return std::nullopt;
            }
            state.history.push_back(h);
        }
        else
        {
            return std::nullopt;
        }
    }
    return state;
}

} // namespace softinv
