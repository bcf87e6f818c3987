// softinv: the stand-in for the platform's software inventory and update tool. Reads its
// command line, applies any fault on demand, runs the command and prints its output; every
// failure ends the run with the tool's exit code for it and a message on standard error.
#include "Config.hpp"
#include "ExitCodes.hpp"
#include "Faults.hpp"
#include "Operations.hpp"
#include "Queries.hpp"
#include "Sources.hpp"
#include "Store.hpp"
#include "Text.hpp"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>

using namespace softinv;

namespace
{

constexpr const char kUsage[] =
    "usage: softinv                          installed packages\n"
    "       softinv --cache | --hist | --sched | --apply | --status\n"
    "       softinv --components N V | --warnings N V | --hascomponents N V\n"
    "       softinv -l N-V | --files [N-V] | --errors CODE | --setinprogress\n"
    "       softinv --sched N V START END | --msched N V [START END]\n"
    "       softinv --apply N V [COMPONENT...] | --rback N V\n"
    "       softinv --ftp ADDRESS USER PASSWORD DIR | --samba ADDRESS USER PASSWORD DIR\n"
    "       softinv --http ADDRESS USER PASSWORD DIR true|false\n"
    "       softinv --usb PATH | --hd PATH | --em\n";

using Args = std::vector<std::string>;

[[noreturn]] void usage()
{
    throw ToolError{kExitUsage, std::string("unexpected command line\n") + kUsage};
}

void expectCount(const Args& args, std::size_t count)
{
    if (args.size() != count)
    {
        usage();
    }
}

// The provider checks the address with inet_aton, which also takes forms such as "10.1";
// the tool reads it the same way and hands curl the dotted form.
std::string dottedAddress(const std::string& text, int code)
{
    in_addr address{};
    if (inet_aton(text.c_str(), &address) == 0)
    {
        throw ToolError{code, "not an IPv4 address: " + toFieldText(text, kMaxQuotedInputChars)};
    }
    return inet_ntoa(address);
}

std::unique_ptr<Source> sambaSource(const Config& config, const Args& a)
{
    std::string address = dottedAddress(a[1], kExitSambaFailed);
    if (config.sambaRoot.empty())
    {
        throw ToolError{kExitSambaFailed, "no Samba root is configured (samba_root)"};
    }
    auto host = config.sambaRoot / address;
    std::error_code error;
    if (!std::filesystem::is_directory(host, error))
    {
        throw ToolError{kExitSambaFailed, "Samba server " + address + " is not reachable"};
    }
    // A share may name the accounts allowed to read it, one "user:password" per line.
    if (auto users = readTextFile(host / ".credentials", kMaxManifestBytes))
    {
        bool allowed = false;
        for (const auto& entry : splitExact(*users, '\n'))
        {
            allowed = allowed || trim(entry) == a[2] + ":" + a[3];
        }
        if (!allowed)
        {
            throw ToolError{kExitSambaFailed, "Samba server " + address + " refused the login"};
        }
    }
    auto root = host;
    for (const auto& segment : splitExact(a[4], '/'))
    {
        if (segment == "..")
        {
            throw ToolError{kExitSambaFailed, "share path may not contain .."};
        }
        if (!segment.empty() && segment != ".")
        {
            root /= segment;
        }
    }
    return makeDirectorySource(DirKind::Samba, root, "smb://" + address + "/" + a[4]);
}

bool isLongOperation(const Args& a)
{
    const std::string& c = a.empty() ? "" : a[0];
    return c == "--ftp" || c == "--http" || c == "--samba" || c == "--usb" || c == "--hd" ||
           c == "--em" || c == "--rback" || (c == "--apply" && a.size() > 1);
}

int dispatch(Tool& tool, const Args& a)
{
    const Config& config = tool.store.config();
    if (a.empty())
    {
        return listInventory(tool);
    }
    const std::string& c = a[0];
    if (c == "--setinprogress")
    {
        expectCount(a, 1);
        return setInProgress(tool);
    }
    if (c == "--status")
    {
        expectCount(a, 1);
        return printStatus(tool);
    }
    if (c == "--cache")
    {
        expectCount(a, 1);
        return listCache(tool);
    }
    if (c == "--hist")
    {
        expectCount(a, 1);
        return listHistory(tool);
    }
    if (c == "--sched")
    {
        if (a.size() == 1)
        {
            return listSchedule(tool);
        }
        expectCount(a, 5);
        return schedule(tool, a[1], a[2], a[3], a[4]);
    }
    if (c == "--msched")
    {
        if (a.size() == 3)
        {
            return modifySchedule(tool, a[1], a[2], "", "", true);
        }
        expectCount(a, 5);
        return modifySchedule(tool, a[1], a[2], a[3], a[4], false);
    }
    if (c == "--apply")
    {
        if (a.size() == 1)
        {
            return listActive(tool);
        }
        if (a.size() < 3)
        {
            usage();
        }
        return runApply(tool, a[1], a[2], Args(a.begin() + 3, a.end()));
    }
    if (c == "--rback")
    {
        expectCount(a, 3);
        return runRollback(tool, a[1], a[2]);
    }
    if (c == "--components" || c == "--warnings" || c == "--hascomponents")
    {
        expectCount(a, 3);
        return c == "--components" ? listComponents(tool, a[1], a[2])
               : c == "--warnings" ? printWarnings(tool, a[1], a[2])
                                   : hasComponents(tool, a[1], a[2]);
    }
    if (c == "-l")
    {
        expectCount(a, 2);
        return printDescription(tool, a[1]);
    }
    if (c == "--files")
    {
        if (a.size() > 2)
        {
            usage();
        }
        return listFiles(tool, a.size() == 2 ? a[1] : "");
    }
    if (c == "--ftp")
    {
        expectCount(a, 5);
        return runFetch(tool,
                        makeNetworkSource(NetKind::Ftp, config, dottedAddress(a[1], kExitFtpFailed),
                                          a[2], a[3], a[4]));
    }
    if (c == "--http")
    {
        expectCount(a, 6);
        if (a[5] != "true" && a[5] != "false")
        {
            usage();
        }
        bool secure = a[5] == "true";
        int code = secure ? kExitHttpsFailed : kExitHttpFailed;
        return runFetch(tool, makeNetworkSource(secure ? NetKind::Https : NetKind::Http, config,
                                                dottedAddress(a[1], code), a[2], a[3], a[4]));
    }
    if (c == "--samba")
    {
        expectCount(a, 5);
        return runFetch(tool, sambaSource(config, a));
    }
    if (c == "--usb" || c == "--hd")
    {
        expectCount(a, 2);
        std::error_code error;
        auto path = std::filesystem::absolute(a[1], error);
        bool usb = c == "--usb";
        return runFetch(tool, makeDirectorySource(usb ? DirKind::Usb : DirKind::HardDrive, path,
                                                  (usb ? "usb:" : "hd:") + path.string()));
    }
    if (c == "--em")
    {
        expectCount(a, 1);
        if (config.emDir.empty())
        {
            throw ToolError{kExitDownloadFailed,
                            "no element manager update directory is configured (em_dir)"};
        }
        return runFetch(tool, makeDirectorySource(DirKind::ElementManager, config.emDir,
                                                  "em:" + config.emDir.string()));
    }
    usage();
}

// An announced operation that will now never start must not keep the in-progress mark
// until it expires.
void releaseReservation(Store& store, const std::string& why)
{
    store.transact(
        [&](State& state)
        {
            if (state.progress.mark != Mark::Reserved)
            {
                return false;
            }
            state.progress.mark = Mark::Idle;
            state.progress.code = kProgressFailed;
            state.progress.text = toFieldText("The operation failed: " + why, kMaxStatusTextChars);
            return true;
        });
}

int run(const Args& args)
{
    if (args.size() == 1 && args[0] == "--help")
    {
        std::cout << kUsage;
        return kExitOk;
    }
    if (!args.empty() && args[0] == "--errors")
    {
        expectCount(args, 2);
        auto code = parseInteger(args[1]);
        if (!code)
        {
            usage();
        }
        std::cout << errorText(static_cast<int>(*code)) << "\n";
        return kExitOk;
    }
    Config config = loadConfig();
    Store store(config);
    Tool tool(store);
    tool.mayStartScheduled =
        !isLongOperation(args) && (args.empty() || args[0] != "--setinprogress");

    std::string command = "inventory";
    if (!args.empty())
    {
        auto start = args[0].find_first_not_of('-');
        command = start == std::string::npos ? "" : args[0].substr(start);
    }
    std::optional<std::string> garbage;
    for (const Fault& fault : faultsFor(store, command, args.size() > 1 ? args[1] : ""))
    {
        switch (fault.kind)
        {
        case Fault::Sleep:
            std::this_thread::sleep_for(std::chrono::milliseconds(fault.number));
            break;
        case Fault::Kill:
            if (!isLongOperation(args))
            {
                std::raise(SIGKILL);
            }
            tool.killAfterFirstStep = true;
            break;
        case Fault::Exit:
            if (isLongOperation(args))
            {
                releaseReservation(store, "exit code " + std::to_string(fault.number));
            }
            throw ToolError{static_cast<int>(fault.number), "injected failure"};
        case Fault::Garbage:
            garbage = fault.text;
            break;
        }
    }
    int code = kExitOk;
    try
    {
        code = dispatch(tool, args);
    }
    catch (const ToolError& e)
    {
        // Only a run that failed before it claimed its operation still owns the reservation;
        // a cancelled apply that ends late must not fail the next client's announced one.
        if (isLongOperation(args) && !tool.claimedOperation)
        {
            releaseReservation(store, e.message);
        }
        throw;
    }
    std::cout << (garbage ? *garbage + "\n" : tool.out);
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    Args args(argv + 1, argv + argc);
    try
    {
        return run(args);
    }
    catch (const ToolError& e)
    {
        std::cout.flush();
        std::cerr << "softinv: " << e.message << "\n";
        return e.code;
    }
    catch (const std::exception& e)
    {
        std::cerr << "softinv: " << e.what() << "\n";
        return kExitSoftwareUpdateFailed;
    }
}
