// cimomd: the embedded CIMOM. Reads its configuration, loads the class repository from the MOF
// files, serves CIM operations over HTTP and HTTPS until SIGTERM or SIGINT, then stops.
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

#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <pthread.h>
#include <string>
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

int serve(const ConfigItems& items)
{
    const DaemonSettings settings = settingsFrom(items);
    OpenWBEM::LoggerRef logger =
        settings.logLocation.empty() || settings.logLocation == "stderr"
            ? DaemonLogger::toStderr(settings.logLevel)
            : DaemonLogger::toFile(settings.logLocation, settings.logLevel);

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
            logInfo(logger, "SIGHUP ignored: the users file is reread when it changes; other "
                            "settings need a restart");
            continue;
        }
        logInfo(logger, std::string("stopping on ") + (signal == SIGTERM ? "SIGTERM" : "SIGINT"));
        break;
    }
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

    try
    {
        return serve(loadConfiguration(commandLine));
    }
    catch (const std::exception& error)
    {
        std::cerr << "cimomd: " << error.what() << "\n";
        return 1;
    }
}
