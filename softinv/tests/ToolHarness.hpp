// Runs the built softinv program as a child process with its own state directory, the way
// the provider runs it, and serves a bundle directory over loopback HTTP for fetch tests.
// Every run and every server is bounded in time and cleaned up by its owner.
// Thread-safety: one harness per test, used by the test's thread.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace softinv::test
{

struct RunResult
{
    int code = -1;  // exit code, or -1 when killed by a signal
    int signal = 0; // the signal that ended the run
    std::string out;
    std::string err;
};

using Env = std::map<std::string, std::string>;

// A started run that the test collects later.
struct Running
{
    pid_t pid = -1;
    int outFd = -1;
    int errFd = -1;
};

class ToolEnv
{
public:
    ToolEnv();
    ~ToolEnv();
    ToolEnv(const ToolEnv&) = delete;
    ToolEnv& operator=(const ToolEnv&) = delete;

    RunResult run(const std::vector<std::string>& args, const Env& extra = {}) const;
    Running start(const std::vector<std::string>& args, const Env& extra = {}) const;
    RunResult finish(Running& running) const;

    // The lines --status prints.
    std::vector<std::string> status() const;
    // Polls --status until the progress code is not 1 and no operation holds the lock.
    RunResult waitIdle() const;

    std::filesystem::path dir() const { return dir_; }
    std::filesystem::path stateDir() const { return dir_ / "state"; }
    Env env; // passed to every run, on top of PATH

private:
    std::filesystem::path dir_;
};

// Tab-separated records of a listing, one per line.
std::vector<std::vector<std::string>> records(const std::string& text);
std::vector<std::string> lines(const std::string& text);

// Writes a bundle directory with a manifest built from the given extra lines.
void writeBundle(const std::filesystem::path& dir, const std::string& name,
                 const std::string& version, const std::vector<std::string>& extraLines);

std::filesystem::path examplesDir();

// python3's HTTP server on 127.0.0.1, a free port, serving one directory.
class HttpServer
{
public:
    explicit HttpServer(const std::filesystem::path& root);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;
    int port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
    int outFd_ = -1;
    int errFd_ = -1;
};

} // namespace softinv::test
