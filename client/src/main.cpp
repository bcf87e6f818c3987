// swu: the administrator's command line for the software-update classes of a CIMOM.
#include "commands.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

using namespace swu;

namespace
{

const char* kAbout =
    "swu: software updates of one server, through its CIMOM (CIM-XML over HTTP or HTTPS).\n"
    "UPDATE is an update's name, or name-version when several versions are known.";

const char* kFooter =
    "Connection: --url (or SWU_URL; default http://127.0.0.1:5988, namespace root/cimv2), "
    "--user (or SWU_USER); the password comes from SWU_PASSWORD, a credentials file that only "
    "its owner can read (--credentials or SWU_CREDENTIALS; one line user:password or password), "
    "or a prompt.\n"
    "Exit codes: 0 done; 1 failed on the server or in its update tool; 2 usage error or "
    "ambiguous name; 3 not found; 4 refused by the server; 5 no connection, wrong credentials "
    "or not a CIMOM; 6 still running after --wait seconds.\n"
    "See swu(1) for the JSON fields.";

struct Failure
{
    int exitCode;
    Json error;
    std::string text;
};

Failure describe()
{
    try
    {
        throw;
    }
    catch (const CimError& e)
    {
        int code = e.code() == static_cast<int>(CimStatus::NotFound) ? kExitNotFound
                   : e.code() == static_cast<int>(CimStatus::Failed) ? kExitFailed
                                                                     : kExitRefused;
        const char* kind = code == kExitNotFound ? "not-found"
                           : code == kExitFailed ? "failed"
                                                 : "refused";
        Json error{{"kind", kind},
                   {"message", e.readable().empty() ? e.identifier() : e.readable()},
                   {"cim_status", e.code()},
                   {"cim_status_name", statusName(e.code())},
                   {"identifier", e.identifier().empty() ? Json(nullptr) : Json(e.identifier())},
                   {"arguments", e.arguments()}};
        std::string text =
            std::string(statusName(e.code())) + " (" + std::to_string(e.code()) + ")";
        if (!e.identifier().empty())
        {
            text += " " + e.identifier();
        }
        if (!e.readable().empty())
        {
            text += ": " + printable(e.readable(), true);
        }
        else if (e.identifier().empty())
        {
            text += code == kExitNotFound ? ": no such instance on the server"
                                          : ": the server gave no reason";
        }
        return {code, error, text};
    }
    catch (const TransportError& e)
    {
        const char* kind = e.kind() == TransportError::Kind::Authentication ? "authentication"
                           : e.kind() == TransportError::Kind::Connection   ? "connection"
                                                                            : "protocol";
        return {kExitUnreachable, Json{{"kind", kind}, {"message", e.what()}}, e.what()};
    }
    catch (const ResolveError& e)
    {
        bool ambiguous = e.kind() == ResolveError::Kind::Ambiguous;
        std::string text = e.what();
        if (!e.candidates().empty())
        {
            text += ambiguous ? "; it may be: " : "; known: ";
            for (std::size_t i = 0; i < e.candidates().size(); ++i)
            {
                text += (i ? ", " : "") + printable(e.candidates()[i]);
            }
        }
        return {ambiguous ? kExitUsage : kExitNotFound,
                Json{{"kind", ambiguous ? "ambiguous" : "not-found"},
                     {"message", e.what()},
                     {"candidates", e.candidates()}},
                text};
    }
    catch (const OutcomeError& e)
    {
        const char* kind = e.exitCode() == kExitTimedOut  ? "timeout"
                           : e.exitCode() == kExitRefused ? "refused"
                                                          : "failed";
        return {e.exitCode(), Json{{"kind", kind}, {"message", e.what()}}, e.what()};
    }
    catch (const UsageError& e)
    {
        return {kExitUsage, Json{{"kind", "usage"}, {"message", e.what()}}, e.what()};
    }
    catch (const std::exception& e)
    {
        return {kExitFailed, Json{{"kind", "internal"}, {"message", e.what()}}, e.what()};
    }
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app{kAbout, "swu"};
    app.footer(kFooter);
    app.require_subcommand(1);
    app.fallthrough();
    Options o;
    app.add_option("--url", o.url, "CIMOM address, http[s]://host[:port][/namespace]");
    app.add_option("--namespace", o.ns, "CIM namespace (default root/cimv2)");
    app.add_option("--user", o.user, "user name for the CIMOM");
    app.add_option("--credentials", o.credentialsFile,
                   "file with user:password or the password, mode 0600");
    app.add_flag("--insecure", o.insecure, "HTTPS without checking the server's certificate");
    app.add_option("--cacert", o.caFile, "trust the CA certificates in this file for HTTPS");
    app.add_flag("--json", o.json, "print one JSON document instead of text");
    app.add_flag("-q,--quiet", o.quiet, "no progress, only the result and errors");
    app.add_option("--timeout", o.timeoutSeconds, "seconds one request may take (default 120)")
        ->check(CLI::Range(1L, 86400L));

    auto waitOptions = [&o](CLI::App* sub)
    {
        sub->add_flag("--no-wait", o.noWait, "return once the operation has started");
        sub->add_option("--wait", o.waitSeconds,
                        "seconds to wait for the end of the operation (default 3600)")
            ->check(CLI::Range(1L, 7L * 86400L));
        sub->add_option("--poll", o.pollSeconds, "seconds between progress reports (default 0.5)")
            ->check(CLI::Range(0.05, 60.0));
    };

    std::string what;
    std::string update;
    std::optional<std::string> maybeUpdate;
    std::vector<std::string> with;
    std::string at;
    std::optional<std::string> until;
    FetchRequest fetch;

    CLI::App* status = app.add_subcommand(
        "status", "installed, available, scheduled and running updates, and the last result");
    CLI::App* list = app.add_subcommand("list", "one list as a table");
    list->add_option("what", what, "available, scheduled, active, history, installed or files")
        ->required()
        ->check(
            CLI::IsMember({"available", "scheduled", "active", "history", "installed", "files"}));
    list->add_option("update", maybeUpdate, "with files: only the files of this update");
    CLI::App* show = app.add_subcommand(
        "show", "an available update: description, warnings, reboot, optional components");
    show->add_option("update", update, "the update")->required();

    CLI::App* fetchCmd = app.add_subcommand("fetch", "fetch updates into the tool's cache");
    fetchCmd->add_option("url", fetch.url,
                         "ftp://[user@]address/dir, http[s]://[user@]address/dir or "
                         "smb://[user@]address/share/dir (address: IPv4)");
    fetchCmd->add_option("--usb", fetch.usb, "from this path on a USB medium");
    fetchCmd->add_option("--disk", fetch.disk, "from this directory on the server's disk");
    fetchCmd->add_flag("--element-manager", fetch.elementManager,
                       "the updates the element manager offers");
    fetchCmd->add_option("--source-user", fetch.sourceUser, "user for the source server");
    fetchCmd->add_option("--source-password-file", fetch.sourcePasswordFile,
                         "file (mode 0600) whose first line is the source's password; "
                         "without it swu asks when there is a user");
    waitOptions(fetchCmd);

    CLI::App* apply = app.add_subcommand("apply", "apply an available update");
    apply->add_option("update", update, "the update")->required();
    apply
        ->add_option("--with", with,
                     "an optional component to install with it (repeatable, or a,b)")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->delimiter(',');
    waitOptions(apply);

    CLI::App* schedule = app.add_subcommand("schedule", "apply an update in a time window");
    CLI::App* reschedule = app.add_subcommand("reschedule", "move a scheduled update's window");
    for (CLI::App* sub : {schedule, reschedule})
    {
        sub->add_option("update", update, "the update")->required();
        sub->add_option("--at", at, "start: YYYY-MM-DD HH:MM (local), with Z or +HH:MM, now, +2h")
            ->required();
        sub->add_option("--until", until, "end of the window (default two hours after --at)");
    }
    CLI::App* unschedule = app.add_subcommand("unschedule", "take an update off the schedule");
    unschedule->add_option("update", update, "the scheduled update")->required();
    CLI::App* cancel = app.add_subcommand("cancel", "cancel an update being applied");
    cancel->add_option("update", update, "the update being applied")->required();
    waitOptions(cancel);
    CLI::App* rollback = app.add_subcommand("rollback", "roll an applied update back");
    rollback->add_option("update", update, "the applied update (from the history)")->required();
    waitOptions(rollback);
    CLI::App* wait = app.add_subcommand("wait", "follow the running operation to its end");
    waitOptions(wait);

    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::CallForHelp& e)
    {
        return app.exit(e);
    }
    catch (const CLI::CallForAllHelp& e)
    {
        return app.exit(e);
    }
    catch (const CLI::ParseError& e)
    {
        app.exit(e);
        return kExitUsage;
    }

    CLI::App* chosen = app.get_subcommands().front();
    std::string command = chosen->get_name();
    if (command == "list")
    {
        command += " " + what;
    }
    Session session(o);
    Json document;
    int exitCode = kExitDone;
    try
    {
        Outcome out;
        if (chosen == status)
            out = cmdStatus(session);
        else if (chosen == list)
            out = cmdList(session, what, maybeUpdate);
        else if (chosen == show)
            out = cmdShow(session, update);
        else if (chosen == fetchCmd)
            out = cmdFetch(session, fetch);
        else if (chosen == apply)
            out = cmdApply(session, update, with);
        else if (chosen == schedule || chosen == reschedule)
            out = cmdSchedule(session, update, at, until, chosen == reschedule);
        else if (chosen == unschedule)
            out = cmdUnschedule(session, update);
        else if (chosen == cancel)
            out = cmdCancel(session, update);
        else if (chosen == rollback)
            out = cmdRollback(session, update);
        else
            out = cmdWait(session);
        document = Json{{"ok", true}, {"command", command}};
        document.update(out.document);
        if (!o.json)
        {
            std::fputs(out.text.c_str(), stdout);
        }
    }
    catch (...)
    {
        Failure f = describe();
        exitCode = f.exitCode;
        document = Json{{"ok", false}, {"command", command}};
        try
        {
            throw;
        }
        catch (const OutcomeError& e)
        {
            document.update(e.detail());
        }
        catch (...)
        {
        }
        document["exit_code"] = exitCode;
        document["error"] = f.error;
        if (!o.json)
        {
            std::fprintf(stderr, "swu: %s\n", printable(f.text, true).c_str());
        }
    }
    if (o.json)
    {
        std::fputs(dump(document).c_str(), stdout);
    }
    return std::fflush(stdout) == 0 ? exitCode : kExitFailed;
}
