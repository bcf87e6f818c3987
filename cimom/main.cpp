// cimomd: the embedded CIMOM. Reads its configuration, loads the class repository from the MOF
// files, serves CIM operations over HTTP and HTTPS until SIGTERM or SIGINT, then stops. SIGHUP
// rereads what can change while it runs (see reload). Under systemd (Type=notify) it reports
// when it is ready, reloading and stopping.
// Exit status: 0 after a clean stop, 1 when it cannot start, 2 for a bad command line.

#include "audit_log.h"
#include "auth.h"
#include "config.h"
#include "daemon.h"
#include "http/server.h"
#include "logger.h"
#include "provider_manager.h"
#include "repository.h"
#include "service.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <pthread.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace
{

using namespace cimom;

constexpr const char* kServerName = "cimomd/0.1";

void logInfo(const OpenWBEM::LoggerRef& logger, const std::string& message)
{
    logger->logInfo(OpenWBEM::String(message.c_str(), message.size()));
}

void logError(const OpenWBEM::LoggerRef& logger, const std::string& message)
{
    logger->logError(OpenWBEM::String(message.c_str(), message.size()));
}

// The service manager's notification socket (NOTIFY_SOCKET), taken out of the environment at
// start so that the tool the provider runs does not inherit it. A handful of datagrams is all
// the protocol needs, so there is no library for it.
class ServiceManager
{
public:
    void takeFromEnvironment()
    {
        if (const char* socket = std::getenv("NOTIFY_SOCKET"); socket != nullptr)
        {
            path_ = socket;
            unsetenv("NOTIFY_SOCKET");
        }
    }

    // Sends `state` (newline-separated VAR=value lines); false when there is a socket and the
    // message did not go out.
    bool notify(const std::string& state) const
    {
        if (path_.empty())
        {
            return true;
        }
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        // '@' stands for the abstract namespace, whose names start with a NUL byte.
        if ((path_[0] != '/' && path_[0] != '@') || path_.size() > sizeof address.sun_path)
        {
            return false;
        }
        std::memcpy(address.sun_path, path_.data(), path_.size());
        if (path_[0] == '@')
        {
            address.sun_path[0] = '\0';
        }
        const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
        {
            return false;
        }
        const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path_.size());
        const bool sent = ::sendto(fd, state.data(), state.size(), MSG_NOSIGNAL,
                                   reinterpret_cast<const sockaddr*>(&address),
                                   length) == static_cast<ssize_t>(state.size());
        ::close(fd);
        return sent;
    }

private:
    std::string path_;
};

ServiceManager serviceManager;

std::string monotonicMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::to_string(static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000);
}

// What SIGHUP changes in the running daemon: the log and the audit log are opened again by
// name (for log rotation), the users file is read and checked at once (it is reread whenever
// it changes anyway), and the configuration is read again, of which the log level takes
// effect; other changed items are named as needing a restart. A configuration that no longer
// reads or checks is reported and the one in use kept.
void reload(const CommandLine& commandLine, const ConfigItems& running, DaemonLogger& logger,
            const OpenWBEM::LoggerRef& log, AuditLog& audit, const std::string& usersFile)
{
    serviceManager.notify("RELOADING=1\nMONOTONIC_USEC=" + monotonicMicroseconds());
    std::string problem;
    if (!logger.reopen(&problem))
    {
        logError(log, "reload: " + problem + "; still writing to the log opened before");
    }
    if (!audit.reopen(&problem))
    {
        logError(log, "reload: " + problem + "; still writing to the audit log opened before");
    }
    try
    {
        const ConfigItems items = loadConfiguration(commandLine);
        const DaemonSettings settings = settingsFrom(items);
        logger.setThreshold(settings.logLevel);
        std::string pending;
        for (const auto& name : itemsNeedingRestart(running, items))
        {
            pending += (pending.empty() ? "" : ", ") + name;
        }
        if (!pending.empty())
        {
            logInfo(log, "reload: changed, taking effect at the next start: " + pending);
        }
    }
    catch (const std::exception& error)
    {
        logError(log,
                 std::string("reload: ") + error.what() + "; keeping the configuration in use");
    }
    try
    {
        const auto users = readUsersFile(usersFile);
        logInfo(log, "reload: " + std::to_string(users.size()) + " user(s) in " + usersFile);
    }
    catch (const std::exception& error)
    {
        logError(log,
                 std::string("reload: ") + error.what() + "; the users read before stay in place");
    }
    logInfo(log, "reloaded");
    serviceManager.notify("READY=1");
}

std::string hostName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
    {
        return "cimom";
    }
    return name;
}

HttpServerOptions serverOptions(const DaemonSettings& settings)
{
    HttpServerOptions options;
    for (const auto& address : settings.listenAddresses)
    {
        if (settings.httpPort != 0)
        {
            options.listeners.push_back({address, settings.httpPort, false});
        }
        if (settings.httpsPort != 0)
        {
            options.listeners.push_back({address, settings.httpsPort, true});
        }
    }
    options.certificateFile = settings.certificateFile;
    options.privateKeyFile = settings.privateKeyFile;
    options.workerThreads = settings.workerThreads;
    options.realm = settings.realm.empty() ? hostName() : settings.realm;
    // A host name with quotes cannot go into the challenge as it is.
    if (options.realm.find_first_of("\"\\") != std::string::npos)
    {
        options.realm = "cimom";
    }
    options.serverName = kServerName;
    return options;
}

// Signals that stop the daemon are blocked in every thread and taken by sigwait in main, so no
// worker is ever interrupted by one.
sigset_t stopSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

int serve(const CommandLine& commandLine)
{
    const ConfigItems items = loadConfiguration(commandLine);
    const DaemonSettings settings = settingsFrom(items);
    const OpenWBEM::IntrusiveReference<DaemonLogger> daemonLogger =
        DaemonLogger::create(settings.logLocation, settings.logLevel);
    const OpenWBEM::LoggerRef logger(daemonLogger);

    // Like a CIMOM's fresh namespace: the MOF files declare the qualifiers they use.
    Repository repository(Repository::StartingQualifiers::None);
    for (const auto& file : settings.mofFiles)
    {
        repository.loadMofFile(file);
    }
    logInfo(logger, "loaded " + std::to_string(repository.allClasses().size()) + " classes from " +
                        std::to_string(settings.mofFiles.size()) + " MOF file(s)");

    Authenticator authenticator(
        settings.usersFile, AuthPolicy{settings.allowAnonymous, settings.anonymousRole},
        [logger](const std::string& problem)
        { logger->logError(OpenWBEM::String(problem.c_str(), problem.size())); });
    std::unique_ptr<AuditLog> audit = settings.auditLog.empty()
                                          ? std::make_unique<AuditLog>(logger)
                                          : std::make_unique<AuditLog>(settings.auditLog, logger);

    ProviderManager providers(items, logger);
    CimService service(repository, providers, audit->sink());
    HttpServer server(
        serverOptions(settings), authenticator,
        [&service](const CimRequest& request) { return service.handle(request); }, logger);
    // The pid file exists before the first connection is accepted, so whoever sees the daemon
    // answer also finds its pid; it is removed again if the server cannot start.
    std::optional<PidFile> pidFile;
    if (!settings.pidFile.empty())
    {
        pidFile.emplace(settings.pidFile);
    }
    server.start();
    logInfo(logger, std::string(kServerName) + " ready, process " + std::to_string(getpid()));
    if (!serviceManager.notify("READY=1\nMAINPID=" + std::to_string(getpid())))
    {
        logError(logger, std::string("cannot tell the service manager that the daemon is ready: ") +
                             std::strerror(errno));
    }

    const sigset_t signals = stopSignals();
    for (;;)
    {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0)
        {
            continue;
        }
        if (signal == SIGHUP)
        {
            logInfo(logger, "reloading on SIGHUP");
            reload(commandLine, items, *daemonLogger, logger, *audit, settings.usersFile);
            continue;
        }
        logInfo(logger, std::string("stopping on ") + (signal == SIGTERM ? "SIGTERM" : "SIGINT"));
        break;
    }
    serviceManager.notify("STOPPING=1");
    server.stop();
    logInfo(logger, "stopped");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    CommandLine commandLine;
    try
    {
        commandLine = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    }
    catch (const ConfigError& error)
    {
        std::cerr << "cimomd: " << error.what() << "\n" << kDaemonUsage;
        return 2;
    }
    if (commandLine.help)
    {
        std::cout << kDaemonUsage;
        return 0;
    }

    // Before any thread exists, so that every thread inherits the mask.
    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // A client that goes away mid-response must cost a failed write, not the process.
    std::signal(SIGPIPE, SIG_IGN);
    serviceManager.takeFromEnvironment();

    try
    {
        return serve(commandLine);
    }
    catch (const std::exception& error)
    {
        std::cerr << "cimomd: " << error.what() << "\n";
        return 1;
    }
}
