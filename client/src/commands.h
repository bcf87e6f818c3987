// The commands of swu. Each returns its outcome as a result document and a text for people;
// failures are thrown and turned into both forms, and an exit code, in one place (main.cpp).
#pragma once

#include "output.h"
#include "transport.h"

#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace swu
{

// Exit codes; the manual lists them.
enum Exit
{
    kExitDone = 0,
    kExitFailed = 1,      // the server or its tool failed (CIM_ERR_FAILED, a failed operation)
    kExitUsage = 2,       // the command line is wrong, or a name is ambiguous
    kExitNotFound = 3,    // no such update, component or instance
    kExitRefused = 4,     // the server refused the request (access, parameters, state)
    kExitUnreachable = 5, // no connection, wrong credentials, or not a CIM-XML server
    kExitTimedOut = 6,    // the operation still runs after --wait seconds
};

class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A request the server answered without a CIM error but which did not happen: a fetch
// refused as "Invalid Parameters", a roll-back that did not start, an operation that failed.
class OutcomeError : public std::runtime_error
{
public:
    OutcomeError(int exitCode, const std::string& what, Json detail = Json::object())
        : std::runtime_error(what), exitCode_(exitCode), detail_(std::move(detail))
    {
    }
    int exitCode() const { return exitCode_; }
    const Json& detail() const { return detail_; }

private:
    int exitCode_;
    Json detail_;
};

struct Options
{
    std::string url;
    std::string ns;
    std::string user;
    std::string credentialsFile;
    std::string caFile;
    bool insecure = false;
    bool json = false;
    bool quiet = false;
    bool noWait = false;
    long waitSeconds = 3600;
    double pollSeconds = 0.5;
    long timeoutSeconds = 120;
};

struct Outcome
{
    Json document = Json::object();
    std::string text;
};

class Session
{
public:
    explicit Session(Options options);
    Client& client();
    const Options& options() const { return options_; }
    // How progress is shown: a bar on a terminal, lines otherwise, nothing with --quiet/--json.
    ProgressDisplay::Mode progressMode() const;

private:
    Options options_;
    std::unique_ptr<Client> client_;
};

// Fills endpoint and credentials from the options, the environment (SWU_URL, SWU_USER,
// SWU_PASSWORD, SWU_CREDENTIALS), a credentials file or a prompt. Throws UsageError.
Endpoint endpointFor(const Options& options);

// The parts of a fetch source URL: ftp://, http://, https://, smb:// with an optional user.
struct SourceUrl
{
    std::string scheme;
    std::string user;
    std::string address;
    std::string directory;
};
SourceUrl parseSourceUrl(const std::string& url);

struct FetchRequest
{
    std::optional<std::string> url;
    std::optional<std::string> usb;
    std::optional<std::string> disk;
    bool elementManager = false;
    std::string sourceUser;
    std::string sourcePasswordFile;
};

Outcome cmdStatus(Session& s);
Outcome cmdList(Session& s, const std::string& what, const std::optional<std::string>& update);
Outcome cmdShow(Session& s, const std::string& update);
Outcome cmdFetch(Session& s, const FetchRequest& request);
Outcome cmdApply(Session& s, const std::string& update, const std::vector<std::string>& with);
Outcome cmdSchedule(Session& s, const std::string& update, const std::string& at,
                    const std::optional<std::string>& until, bool reschedule);
Outcome cmdUnschedule(Session& s, const std::string& update);
Outcome cmdCancel(Session& s, const std::string& update);
Outcome cmdRollback(Session& s, const std::string& update);
Outcome cmdWait(Session& s);

// The window of a schedule: --at, and --until or two hours after it.
std::pair<std::time_t, std::time_t>
scheduleWindow(const std::string& at, const std::optional<std::string>& until, std::time_t now);

} // namespace swu
