#include "ToolHarness.hpp"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace softinv::test
{

namespace
{

constexpr int kRunTimeoutMs = 20000; // a run that takes longer is killed
constexpr int kServerStartTimeoutMs = 5000;
constexpr int kServerLifetimeSeconds = 60; // the server ends itself even if a test crashes
constexpr int kIdleWaitMs = 10000;
constexpr const char kSystemPython[] = "/usr/bin/python3";

std::vector<char*> cStrings(std::vector<std::string>& strings)
{
    std::vector<char*> out;
    for (auto& s : strings)
    {
        out.push_back(s.data());
    }
    out.push_back(nullptr);
    return out;
}

pid_t spawn(std::vector<std::string> argv, const Env& env, int& outFd, int& errFd)
{
    std::vector<std::string> envStrings;
    for (const auto& [key, value] : env)
    {
        envStrings.push_back(key + "=" + value);
    }
    int outPipe[2];
    int errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0)
    {
        throw std::runtime_error("pipe failed");
    }
    auto args = cStrings(argv);
    auto envp = cStrings(envStrings);
    pid_t pid = ::fork();
    if (pid == 0)
    {
        ::dup2(outPipe[1], 1);
        ::dup2(errPipe[1], 2);
        ::execvpe(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    outFd = outPipe[0];
    errFd = errPipe[0];
    return pid;
}

bool operationLockFree(const std::filesystem::path& stateDir)
{
    int fd = ::open((stateDir / "operation.lock").c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
    {
        return true;
    }
    bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

Env baseEnv()
{
    Env env;
    const char* path = std::getenv("PATH");
    env["PATH"] = path != nullptr ? path : "/usr/bin:/bin";
    return env;
}

} // namespace

ToolEnv::ToolEnv()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "softinv-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
    {
        throw std::runtime_error("mkdtemp failed");
    }
    dir_ = pattern;
    env = baseEnv();
    env["SOFTINV_STATE_DIR"] = stateDir().string();
    env["SOFTINV_FETCH_MS"] = "0";
    env["SOFTINV_APPLY_MS"] = "0";
    env["SOFTINV_ROLLBACK_MS"] = "0";
    env["SOFTINV_NET_TIMEOUT_MS"] = "3000";
    env["TZ"] = "UTC";
}

ToolEnv::~ToolEnv()
{
    // A detached scheduled apply may still be finishing; let it end before its state goes.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kIdleWaitMs);
    while (!operationLockFree(stateDir()) && std::chrono::steady_clock::now() < deadline)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::error_code error;
    std::filesystem::remove_all(dir_, error);
}

Running ToolEnv::start(const std::vector<std::string>& args, const Env& extra) const
{
    Env all = extra; // the run's own variables win over the harness's
    all.insert(env.begin(), env.end());
    std::vector<std::string> argv{SOFTINV_BINARY};
    argv.insert(argv.end(), args.begin(), args.end());
    Running r;
    r.pid = spawn(argv, all, r.outFd, r.errFd);
    return r;
}

RunResult ToolEnv::finish(Running& running) const
{
    RunResult result;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRunTimeoutMs);
    pollfd fds[2] = {{running.outFd, POLLIN, 0}, {running.errFd, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0)
    {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0)
        {
            ::kill(running.pid, SIGKILL);
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left)) < 0 && errno != EINTR)
        {
            break;
        }
        for (int i = 0; i < 2; ++i)
        {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP)) != 0)
            {
                char buffer[4096];
                ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0)
                {
                    sinks[i]->append(buffer, static_cast<std::size_t>(n));
                }
                else
                {
                    ::close(fds[i].fd);
                    fds[i].fd = -1; // poll skips it from now on
                }
            }
        }
    }
    for (auto& fd : fds)
    {
        if (fd.fd >= 0)
        {
            ::close(fd.fd);
        }
    }
    int status = 0;
    ::waitpid(running.pid, &status, 0);
    if (WIFEXITED(status))
    {
        result.code = WEXITSTATUS(status);
    }
    else if (WIFSIGNALED(status))
    {
        result.signal = WTERMSIG(status);
    }
    running.pid = -1;
    return result;
}

RunResult ToolEnv::run(const std::vector<std::string>& args, const Env& extra) const
{
    Running r = start(args, extra);
    return finish(r);
}

std::vector<std::string> ToolEnv::status() const
{
    return lines(run({"--status"}).out);
}

RunResult ToolEnv::waitIdle() const
{
    RunResult status;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kIdleWaitMs);
    do
    {
        status = run({"--status"});
        if (status.code == 0 && status.out.rfind("1\n", 0) != 0 && operationLockFree(stateDir()))
        {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return status;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
    {
        out.push_back(line);
    }
    return out;
}

std::vector<std::vector<std::string>> records(const std::string& text)
{
    std::vector<std::vector<std::string>> out;
    for (const auto& line : lines(text))
    {
        // Split by hand: an empty last field must show, and getline would drop it.
        std::vector<std::string> fields;
        std::string::size_type start = 0;
        for (auto tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start))
        {
            fields.push_back(line.substr(start, tab - start));
            start = tab + 1;
        }
        fields.push_back(line.substr(start));
        out.push_back(fields);
    }
    return out;
}

void writeBundle(const std::filesystem::path& dir, const std::string& name,
                 const std::string& version, const std::vector<std::string>& extraLines)
{
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "description.txt") << "About " << name << " " << version << ".\n";
    std::ofstream manifest(dir / "manifest");
    manifest << "name = " << name << "\nversion = " << version << "\nsummary = Summary of " << name
             << "\ndescription = description.txt\n";
    for (const auto& line : extraLines)
    {
        manifest << line << "\n";
    }
}

std::filesystem::path examplesDir()
{
    return SOFTINV_EXAMPLES_DIR;
}

HttpServer::HttpServer(const std::filesystem::path& root)
{
    std::string script = "import functools, http.server, os, sys, threading\n"
                         "threading.Timer(" +
                         std::to_string(kServerLifetimeSeconds) +
                         ", lambda: os._exit(0)).start()\n"
                         "class Quiet(http.server.SimpleHTTPRequestHandler):\n"
                         "    def log_message(self, *args): pass\n"
                         "handler = functools.partial(Quiet, directory=sys.argv[1])\n"
                         "server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)\n"
                         "print(server.server_address[1], flush=True)\n"
                         "server.serve_forever()\n";
    int outFd = -1;
    // Debian's interpreter when there is one: wrappers found first on PATH can take longer to
    // start than a whole test should.
    std::string python = std::filesystem::exists(kSystemPython) ? kSystemPython : "python3";
    pid_ = spawn({python, "-c", script, root.string()}, baseEnv(), outFd, errFd_);
    std::string line;
    pollfd fd{outFd, POLLIN, 0};
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kServerStartTimeoutMs);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline)
    {
        if (::poll(&fd, 1, 100) > 0)
        {
            char buffer[64];
            ssize_t n = ::read(outFd, buffer, sizeof buffer);
            if (n <= 0)
            {
                break;
            }
            line.append(buffer, static_cast<std::size_t>(n));
        }
    }
    outFd_ = outFd;
    port_ = std::atoi(line.c_str());
    if (port_ <= 0)
    {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        ::close(outFd_);
        ::close(errFd_);
        throw std::runtime_error("the test HTTP server did not start");
    }
}

HttpServer::~HttpServer()
{
    if (pid_ > 0)
    {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    // Closed only now: the server must never write into a pipe nobody reads.
    ::close(outFd_);
    ::close(errFd_);
}

} // namespace softinv::test
