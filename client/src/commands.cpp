#include "commands.h"
#include "secrets.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

namespace swu
{

Session::Session(Options options) : options_(std::move(options)) {}

Client& Session::client()
{
    if (!client_)
    {
        Endpoint e = endpointFor(options_);
        client_ = std::make_unique<Client>(makeHttpTransport(e), e.ns);
    }
    return *client_;
}

ProgressDisplay::Mode Session::progressMode() const
{
    if (options_.quiet || options_.json)
    {
        return ProgressDisplay::Mode::Silent;
    }
    return ::isatty(STDERR_FILENO) ? ProgressDisplay::Mode::Bar : ProgressDisplay::Mode::Lines;
}

namespace
{

struct Progress
{
    int code = 1;
    std::string text;
};

Progress readProgress(Session& s)
{
    MethodResult r = s.client().invoke(InstanceName{kAvailable, {}}, "GetProgress");
    const std::string& code = r.returnValue.text;
    if (r.returnValue.null || code.empty() || code.size() > 4 ||
        code.find_first_not_of("-0123456789") != std::string::npos)
    {
        throw TransportError(TransportError::Kind::Protocol,
                             "GetProgress answered \"" + printable(code) + "\", not a number");
    }
    Progress p;
    p.code = std::stoi(code);
    const Value* status = r.out("Status");
    p.text = status == nullptr ? std::string() : status->text;
    return p;
}

Json progressJson(const Progress& p)
{
    return Json{
        {"progress_code", p.code}, {"progress", progressLabel(p.code)}, {"status_text", p.text}};
}

// Polls until the operation leaves "In Progress"; throws OutcomeError on timeout.
Progress follow(Session& s)
{
    ProgressDisplay display(s.progressMode());
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(s.options().waitSeconds);
    auto pause = std::chrono::duration<double>(s.options().pollSeconds);
    for (;;)
    {
        Progress p = readProgress(s);
        display.update(p.code, p.text);
        if (p.code != 1)
        {
            display.finish();
            return p;
        }
        if (std::chrono::steady_clock::now() >= deadline)
        {
            display.finish();
            throw OutcomeError(kExitTimedOut,
                               "the operation still runs after " +
                                   std::to_string(s.options().waitSeconds) +
                                   " s; follow it with: swu wait",
                               Json{{"operation", progressJson(p)}});
        }
        std::this_thread::sleep_for(pause);
    }
}

// After a background operation was started: waits unless told not to, and says how it ended.
Outcome finishOperation(Session& s, Outcome out, const std::string& subject)
{
    out.document["started"] = true;
    if (s.options().noWait)
    {
        out.text += subject + ": started; follow it with: swu wait\n";
        return out;
    }
    Progress p = follow(s);
    out.document["operation"] = progressJson(p);
    std::string line = subject + ": " + printable(p.text);
    if (p.code != 0)
    {
        throw OutcomeError(kExitFailed, line, out.document);
    }
    out.text += line + "\n";
    return out;
}

// The name to use in requests. Under a host that takes keys only from Key-qualified
// properties an instance may come back unnamed; its InstanceID still names it.
InstanceName nameOf(const Instance& inst, const std::string& className)
{
    if (!inst.name.keys.empty())
    {
        return inst.name;
    }
    return InstanceName{className, {{"InstanceID", inst.text("InstanceID"), "string"}}};
}

Json listJson(const std::vector<Instance>& records, const View& view)
{
    Json items = Json::array();
    for (const Instance& r : records)
    {
        items.push_back(toJson(r, view));
    }
    return items;
}

const View& viewFor(const std::string& what)
{
    static const std::map<std::string, const View*> views = {
        {"available", &availableView()}, {"scheduled", &scheduledView()}, {"active", &activeView()},
        {"history", &historyView()},     {"installed", &installedView()},
    };
    auto it = views.find(what);
    if (it == views.end())
    {
        throw UsageError("nothing to list called \"" + what + "\"");
    }
    return *it->second;
}

// The available update the administrator names, checked again just before it is acted on:
// positions in the listing are shared by every client of the server, and another client's
// listing may have moved them since ours.
Instance availableUpdate(Session& s, const std::string& wanted,
                         const std::vector<std::string>* properties = nullptr)
{
    std::vector<Instance> list = s.client().enumerate(kAvailable);
    Instance chosen = resolve(list, wanted, availableView().what);
    InstanceName name = nameOf(chosen, kAvailable);
    Instance now = s.client().get(name, properties);
    if (now.text("Name") != chosen.text("Name") ||
        now.text("VersionString") != chosen.text("VersionString"))
    {
        throw OutcomeError(kExitFailed, "the list of available updates changed on the server "
                                        "while swu was reading it; try again");
    }
    now.name = name;
    return now;
}

std::string plural(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::vector<std::string> fileNames(const std::vector<InstanceName>& names)
{
    std::vector<std::string> files;
    for (const InstanceName& n : names)
    {
        const KeyBinding* k = n.key("FileName");
        if (k != nullptr)
        {
            files.push_back(k->value);
        }
    }
    return files;
}

std::string methodText(const MethodResult& r)
{
    return r.returnValue.null ? "" : r.returnValue.text;
}

} // namespace

Outcome cmdStatus(Session& s)
{
    Client& c = s.client();
    std::vector<Instance> cartridge = c.enumerate(kCartridge);
    std::vector<Instance> installed = c.enumerate(kInstalled);
    std::vector<Instance> available = c.enumerate(kAvailable);
    std::vector<Instance> scheduled = c.enumerate(kScheduled);
    std::vector<Instance> active = c.enumerate(kActive);
    std::vector<Instance> history = c.enumerate(kHistory);
    Progress last = readProgress(s);

    Outcome out;
    std::string version = cartridge.empty() ? "" : cartridge.front().text("Version");
    out.document["cartridge_version"] = cartridge.empty() ? Json(nullptr) : Json(version);
    out.document["installed_count"] = installed.size();
    out.document["available"] = listJson(available, availableView());
    out.document["scheduled"] = listJson(scheduled, scheduledView());
    out.document["active"] = listJson(active, activeView());
    out.document["history"] = listJson(history, historyView());
    out.document["last_operation"] = progressJson(last);

    std::map<std::string, std::size_t> byStatus;
    for (const Instance& a : available)
    {
        byStatus[cell(a, availableView().fields[2])]++;
    }
    std::string counts;
    for (const auto& [status, n] : byStatus)
    {
        counts += (counts.empty() ? "" : ", ") + std::to_string(n) + " " + status;
    }
    auto labels = [](const std::vector<Instance>& list, const char* dateProperty)
    {
        std::string text;
        for (const Instance& r : list)
        {
            std::optional<std::time_t> t = timeFromCim(r.text(dateProperty));
            text += (text.empty() ? "" : ", ") + printable(label(r)) +
                    (t ? " (" + shownTime(*t) + ")" : "");
        }
        return text.empty() ? std::string("none") : text;
    };
    std::vector<std::vector<std::string>> rows = {
        {"Cartridge", cartridge.empty() ? "not installed" : printable(version)},
        {"Installed", plural(installed.size(), "package", "packages")},
        {"Available", plural(available.size(), "update", "updates") +
                          (counts.empty() ? "" : " (" + counts + ")")},
        {"Scheduled", labels(scheduled, "ApplyDate")},
        {"Being applied", labels(active, "ApplyDate")},
        {"Last operation", std::string(progressLabel(last.code)) +
                               (last.text.empty() ? "" : ": " + printable(last.text))},
    };
    std::string summary = table({"", ""}, rows);
    out.text = summary.substr(summary.find('\n') + 1);
    if (!history.empty())
    {
        constexpr std::size_t kRecent = 5;
        std::vector<Instance> recent(
            history.end() - static_cast<std::ptrdiff_t>(std::min(kRecent, history.size())),
            history.end());
        out.text += "\nLast applied:\n" + table(recent, historyView());
    }
    return out;
}

Outcome cmdList(Session& s, const std::string& what, const std::optional<std::string>& update)
{
    Outcome out;
    if (what == "files")
    {
        std::vector<std::string> files;
        if (update)
        {
            Instance u = availableUpdate(s, *update);
            files = fileNames(s.client().associatorNames(u.name, kFileList, kFileName));
            out.document["update"] =
                Json{{"name", u.text("Name")}, {"version", u.text("VersionString")}};
        }
        else
        {
            for (const Instance& f : s.client().enumerate(kFileName))
            {
                files.push_back(f.text("FileName"));
            }
        }
        out.document["files"] = files;
        for (const std::string& f : files)
        {
            out.text += printable(f) + "\n";
        }
        return out;
    }
    if (update)
    {
        throw UsageError("only \"list files\" takes an update");
    }
    const View& view = viewFor(what);
    std::vector<Instance> records = s.client().enumerate(view.className);
    out.document[what] = listJson(records, view);
    out.text = records.empty() ? "(none)\n" : table(records, view);
    return out;
}

Outcome cmdShow(Session& s, const std::string& update)
{
    std::vector<std::string> properties;
    for (const Field& f : availableView().fields)
    {
        properties.push_back(f.property);
    }
    Instance u = availableUpdate(s, update, &properties);
    Client& c = s.client();
    std::string warnings = methodText(c.invoke(u.name, "Warnings"));
    bool hasComponents = methodText(c.invoke(u.name, "HasOptionalComponents")) == "true";
    std::vector<Instance> components;
    if (hasComponents)
    {
        components = c.enumerate(kComponent);
    }

    Outcome out;
    out.document["update"] = toJson(u, availableView());
    out.document["warnings"] = warnings;
    out.document["components"] = listJson(components, componentView());

    std::vector<std::vector<std::string>> rows;
    for (const Field& f : availableView().fields)
    {
        if (f.header)
        {
            std::string header = f.header;
            std::transform(header.begin() + 1, header.end(), header.begin() + 1,
                           [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
            rows.push_back({header, cell(u, f)});
        }
    }
    std::string head = table({"", ""}, rows);
    out.text = head.substr(head.find('\n') + 1);
    std::string description = u.text("UpdateDescription");
    out.text += "\nDescription:\n" +
                (description.empty() ? std::string("(none)") : printable(description, true)) + "\n";
    out.text += "\nWarnings:\n" +
                (warnings.empty() ? std::string("(none)") : printable(warnings, true)) + "\n";
    out.text += "\nOptional components:";
    if (components.empty())
    {
        out.text += " none\n";
    }
    else
    {
        out.text += "\n";
        for (const Instance& comp : components)
        {
            out.text += "  " + printable(comp.text("Name")) + "\n";
        }
    }
    return out;
}

SourceUrl parseSourceUrl(const std::string& url)
{
    SourceUrl src;
    std::size_t sep = url.find("://");
    src.scheme = sep == std::string::npos ? "" : url.substr(0, sep);
    if (src.scheme != "ftp" && src.scheme != "http" && src.scheme != "https" && src.scheme != "smb")
    {
        throw UsageError("a fetch URL starts with ftp://, http://, https:// or smb://: " + url);
    }
    std::string rest = url.substr(sep + 3);
    std::size_t slash = rest.find('/');
    std::string authority = rest.substr(0, slash);
    std::string path = slash == std::string::npos ? "" : rest.substr(slash + 1);
    std::size_t at = authority.rfind('@');
    if (at != std::string::npos)
    {
        src.user = authority.substr(0, at);
        authority = authority.substr(at + 1);
        if (src.user.find(':') != std::string::npos)
        {
            throw UsageError("put no password in a fetch URL: give it with "
                             "--source-password-file, or type it when asked");
        }
    }
    if (authority.find(':') != std::string::npos)
    {
        throw UsageError("the update tool uses the standard port of " + src.scheme +
                         "; leave the port out of the URL");
    }
    if (authority.empty())
    {
        throw UsageError("the fetch URL has no server address: " + url);
    }
    src.address = authority;
    while (!path.empty() && path.back() == '/')
    {
        path.pop_back();
    }
    src.directory = path;
    return src;
}

Outcome cmdFetch(Session& s, const FetchRequest& request)
{
    int sources = (request.url ? 1 : 0) + (request.usb ? 1 : 0) + (request.disk ? 1 : 0) +
                  (request.elementManager ? 1 : 0);
    if (sources != 1)
    {
        throw UsageError("give one source: a URL, --usb DIR, --disk DIR or --element-manager");
    }
    std::string method;
    std::vector<Parameter> params;
    Json source;
    std::string subject;
    if (request.url)
    {
        SourceUrl src = parseSourceUrl(*request.url);
        std::string user = !request.sourceUser.empty() ? request.sourceUser : src.user;
        std::string password;
        if (!request.sourcePasswordFile.empty())
        {
            password = readSecretFile(request.sourcePasswordFile, "source password file");
        }
        else if (!user.empty())
        {
            password = promptSecret("Password for " + user + " at " + src.address + ": ");
        }
        source = Json{{"kind", src.scheme},
                      {"address", src.address},
                      {"directory", src.directory},
                      {"user", user}};
        subject = "fetch from " + src.scheme + "://" + src.address + "/" + src.directory;
        if (src.scheme == "ftp")
        {
            method = "GetViaFtp";
            params = {{"Address", src.address},
                      {"User", user},
                      {"Password", password},
                      {"Directory", src.directory}};
        }
        else if (src.scheme == "smb")
        {
            method = "GetViaSamba";
            params = {{"Address", src.address},
                      {"User", user},
                      {"Password", password},
                      {"Directory", src.directory}};
        }
        else
        {
            method = "GetViaHttp";
            params = {{"Address", src.address},
                      {"Secure", src.scheme == "https" ? "true" : "false"},
                      {"User", user},
                      {"Password", password},
                      {"Directory", src.directory}};
        }
    }
    else if (request.usb || request.disk)
    {
        bool usb = request.usb.has_value();
        const std::string& path = usb ? *request.usb : *request.disk;
        method = usb ? "GetViaUsb" : "GetViaHardDrive";
        params = {{"Path", path}};
        source = Json{{"kind", usb ? "usb" : "disk"}, {"path", path}};
        subject = std::string("fetch from ") + (usb ? "USB " : "disk ") + path;
    }
    else
    {
        method = "GetViaElementManager";
        source = Json{{"kind", "element-manager"}};
        subject = "fetch from the element manager";
    }
    std::string answer =
        methodText(s.client().invoke(InstanceName{kAvailable, {}}, method, params));
    Outcome out;
    out.document["source"] = source;
    if (!answer.empty())
    {
        out.document["started"] = false;
        out.document["answer"] = answer;
        throw OutcomeError(kExitRefused, "the server refused the fetch: " + printable(answer),
                           out.document);
    }
    return finishOperation(s, std::move(out), subject);
}

Outcome cmdApply(Session& s, const std::string& update, const std::vector<std::string>& with)
{
    Instance u = availableUpdate(s, update);
    Client& c = s.client();
    std::string subject = printable(label(u));
    // The check also makes this update the one whose components the server lists and whose
    // chosen components Apply installs, so it runs before every apply.
    bool hasComponents = methodText(c.invoke(u.name, "HasOptionalComponents")) == "true";
    std::vector<std::string> chosen;
    if (!with.empty())
    {
        if (!hasComponents)
        {
            throw UsageError(subject + " has no optional components");
        }
        // Every name is checked before any choice is made, so a typing error leaves nothing
        // half chosen.
        std::vector<Instance> components = c.enumerate(kComponent);
        std::vector<const Instance*> picked;
        for (const std::string& name : with)
        {
            if (std::find(chosen.begin(), chosen.end(), name) != chosen.end())
            {
                continue;
            }
            auto it = std::find_if(components.begin(), components.end(),
                                   [&](const Instance& comp) { return comp.text("Name") == name; });
            if (it == components.end())
            {
                std::vector<std::string> names;
                for (const Instance& comp : components)
                {
                    names.push_back(comp.text("Name"));
                }
                throw ResolveError(ResolveError::Kind::NotFound,
                                   subject + " has no optional component \"" + name + "\"", names);
            }
            picked.push_back(&*it);
            chosen.push_back(name);
        }
        for (const Instance* comp : picked)
        {
            c.modify(nameOf(*comp, kComponent), {{"Install", "true"}});
        }
    }
    std::string answer = methodText(c.invoke(u.name, "Apply"));
    Outcome out;
    out.document["update"] = Json{{"name", u.text("Name")}, {"version", u.text("VersionString")}};
    out.document["components"] = chosen;
    if (!answer.empty())
    {
        out.document["started"] = false;
        out.document["answer"] = answer;
        throw OutcomeError(kExitRefused,
                           "the server refused to apply " + subject + ": " + printable(answer),
                           out.document);
    }
    return finishOperation(s, std::move(out), "apply " + subject);
}

std::pair<std::time_t, std::time_t>
scheduleWindow(const std::string& at, const std::optional<std::string>& until, std::time_t now)
{
    constexpr std::time_t kDefaultWindow = 2 * 3600;
    std::optional<std::time_t> start = parseMoment(at, now);
    if (!start)
    {
        throw UsageError("--at: \"" + at + "\" is not a time (YYYY-MM-DD HH:MM, now, +2h)");
    }
    std::optional<std::time_t> end =
        until ? parseMoment(*until, now) : std::optional<std::time_t>(*start + kDefaultWindow);
    if (!end)
    {
        throw UsageError("--until: \"" + *until + "\" is not a time (YYYY-MM-DD HH:MM, +4h)");
    }
    if (*end <= *start)
    {
        throw UsageError("the window ends (--until) before it starts (--at)");
    }
    return {*start, *end};
}

Outcome cmdSchedule(Session& s, const std::string& update, const std::string& at,
                    const std::optional<std::string>& until, bool reschedule)
{
    auto [start, end] = scheduleWindow(at, until, std::time(nullptr));
    std::vector<Parameter> window = {{"StartTime", cimFromTime(start)},
                                     {"EndTime", cimFromTime(end)}};
    Outcome out;
    Instance target;
    std::string answer;
    if (reschedule)
    {
        target = resolve(s.client().enumerate(kScheduled), update, scheduledView().what);
        answer = methodText(s.client().invoke(nameOf(target, kScheduled), "Modify", window));
    }
    else
    {
        target = availableUpdate(s, update);
        answer = methodText(s.client().invoke(target.name, "AddToSchedule", window));
    }
    out.document["update"] =
        Json{{"name", target.text("Name")}, {"version", target.text("VersionString")}};
    out.document["window"] =
        Json{{"start", *isoFromCim(cimFromTime(start))}, {"end", *isoFromCim(cimFromTime(end))}};
    out.document["answer"] = answer;
    out.text = printable(label(target)) + ": scheduled between " + shownTime(start) + " and " +
               shownTime(end) + "\n";
    if (!answer.empty())
    {
        out.text += printable(answer, true) + (answer.back() == '\n' ? "" : "\n");
    }
    return out;
}

Outcome cmdUnschedule(Session& s, const std::string& update)
{
    Instance target = resolve(s.client().enumerate(kScheduled), update, scheduledView().what);
    std::string answer = methodText(s.client().invoke(nameOf(target, kScheduled), "Remove"));
    Outcome out;
    out.document["update"] =
        Json{{"name", target.text("Name")}, {"version", target.text("VersionString")}};
    out.document["answer"] = answer;
    out.text = printable(label(target)) + ": taken off the schedule\n";
    return out;
}

Outcome cmdCancel(Session& s, const std::string& update)
{
    Instance target = resolve(s.client().enumerate(kActive), update, activeView().what);
    std::string subject = printable(label(target));
    std::string answer = methodText(s.client().invoke(nameOf(target, kActive), "Cancel"));
    Outcome out;
    out.document["update"] =
        Json{{"name", target.text("Name")}, {"version", target.text("VersionString")}};
    out.document["answer"] = answer;
    out.document["started"] = true;
    if (s.options().noWait)
    {
        out.text = subject + ": cancel requested; follow it with: swu wait\n";
        return out;
    }
    // A cancelled apply ends as failed, which is what was asked for; one that completed
    // first was not cancelled.
    Progress p = follow(s);
    out.document["operation"] = progressJson(p);
    if (p.code == 0)
    {
        throw OutcomeError(
            kExitFailed, subject + ": finished before it could be cancelled: " + printable(p.text),
            out.document);
    }
    out.text = subject + ": " + printable(p.text) + "\n";
    return out;
}

Outcome cmdRollback(Session& s, const std::string& update)
{
    Instance target = resolve(s.client().enumerate(kHistory), update, historyView().what);
    std::string subject = printable(label(target));
    if (target.text("Removeable") == "false")
    {
        throw OutcomeError(kExitRefused, subject + " cannot be rolled back");
    }
    std::string answer = methodText(s.client().invoke(nameOf(target, kHistory), "Remove"));
    Outcome out;
    out.document["update"] =
        Json{{"name", target.text("Name")}, {"version", target.text("VersionString")}};
    if (answer != "true")
    {
        out.document["started"] = false;
        throw OutcomeError(kExitRefused, "the server did not start the roll-back of " + subject,
                           out.document);
    }
    return finishOperation(s, std::move(out), "roll back " + subject);
}

Outcome cmdWait(Session& s)
{
    Progress p = follow(s);
    Outcome out;
    out.document["operation"] = progressJson(p);
    std::string line = std::string(progressLabel(p.code)) + ": " + printable(p.text);
    if (p.code != 0)
    {
        throw OutcomeError(kExitFailed, line, out.document);
    }
    out.text = line + "\n";
    return out;
}

} // namespace swu
