#include "Store.hpp"

#include "ExitCodes.hpp"
#include "Text.hpp"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace softinv
{

namespace
{

constexpr long kStateLockWaitMs = 10000;
constexpr long kStateLockPollMs = 2;
constexpr std::size_t kMaxStateFileBytes = 16 * 1024 * 1024;

constexpr const char kStateFileName[] = "state";
constexpr const char kStateLockName[] = "state.lock";
constexpr const char kOpLockName[] = "operation.lock";
constexpr const char kLogName[] = "softinv.log";

struct BaselinePackage
{
    const char* name;
    const char* version;
    const char* classification;
};

// What a freshly installed server carries before any update; the sample bundles update
// these packages.
const BaselinePackage kBaseline[] = {
    {"os-kernel", "5.10.205-1", "Operating System"},
    {"os-base", "12.4", "Operating System"},
    {"libtls", "3.0.11-1", "Middleware"},
    {"mgmt-webapp", "4.1.2", "Application Software"},
    {"zvq77EMcartridge", "3.1.0", "Application Software"},
    {"bmc-firmware", "2.11.0", "Firmware"},
    {"raid-driver", "7.2.0", "Driver"},
    {"tz-data", "2023c", "Configuration Software"},
};

[[noreturn]] void fail(const std::string& what)
{
    throw ToolError{kExitSoftwareUpdateFailed, what + ": " + std::strerror(errno)};
}

int openLockFile(const std::filesystem::path& path)
{
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
    {
        fail("cannot open " + path.string());
    }
    return fd;
}

std::vector<Package> initialPackages(const Config& config, std::time_t now)
{
    std::vector<Package> packages;
    if (config.initialInventory.empty())
    {
        for (const auto& b : kBaseline)
        {
            packages.push_back({b.name, b.version, b.classification, now});
        }
        return packages;
    }
    std::ifstream in(config.initialInventory);
    if (!in)
    {
        throw ToolError{kExitSoftwareUpdateFailed,
                        "cannot read initial inventory " + config.initialInventory.string()};
    }
    std::string line;
    while (std::getline(in, line))
    {
        if (trim(line).empty() || trim(line)[0] == '#')
        {
            continue;
        }
        auto f = splitExact(line, '\t');
        if (f.size() != 3 || !isPlainToken(f[0], 64) || !isPlainToken(f[1], 64) ||
            !isFieldText(f[2], 40))
        {
            throw ToolError{kExitSoftwareUpdateFailed,
                            "initial inventory line is not name<TAB>version<TAB>classification: " +
                                line};
        }
        packages.push_back({f[0], f[1], f[2], now});
    }
    return packages;
}

} // namespace

long long nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

Store::Store(const Config& config) : config_(config)
{
    std::error_code error;
    std::filesystem::create_directories(config_.stateDir / "cache", error);
    if (error)
    {
        throw ToolError{kExitSoftwareUpdateFailed, "cannot create state directory " +
                                                       config_.stateDir.string() + ": " +
                                                       error.message()};
    }
}

Store::~Store()
{
    if (stateLockFd_ >= 0)
    {
        ::close(stateLockFd_);
    }
    if (opLockFd_ >= 0)
    {
        ::close(opLockFd_);
    }
}

void Store::lockState()
{
    stateLockFd_ = openLockFile(config_.stateDir / kStateLockName);
    for (long waited = 0;; waited += kStateLockPollMs)
    {
        if (::flock(stateLockFd_, LOCK_EX | LOCK_NB) == 0)
        {
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
        {
            fail("cannot lock the state");
        }
        if (waited >= kStateLockWaitMs)
        {
            ::close(stateLockFd_);
            stateLockFd_ = -1;
            throw ToolError{kExitSoftwareUpdateFailed,
                            "the state stayed locked by another run for too long"};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kStateLockPollMs));
    }
}

void Store::unlockState()
{
    if (stateLockFd_ >= 0)
    {
        // Explicit unlock first: a forked child may still share this open file description.
        ::flock(stateLockFd_, LOCK_UN);
        ::close(stateLockFd_);
        stateLockFd_ = -1;
    }
}

void Store::forgetStateLockInChild()
{
    if (stateLockFd_ >= 0)
    {
        ::close(stateLockFd_);
        stateLockFd_ = -1;
    }
}

void Store::forgetOperationLock()
{
    if (opLockFd_ >= 0)
    {
        ::close(opLockFd_);
        opLockFd_ = -1;
    }
}

void Store::closeOtherDescriptors()
{
    constexpr unsigned kFirstFd = 3;
    constexpr unsigned kLastFd = ~0u;
    if (opLockFd_ < 0)
    {
        ::close_range(kFirstFd, kLastFd, 0);
        return;
    }
    auto keep = static_cast<unsigned>(opLockFd_);
    if (keep > kFirstFd)
    {
        ::close_range(kFirstFd, keep - 1, 0);
    }
    ::close_range(keep + 1, kLastFd, 0);
}

State Store::load()
{
    auto file = config_.stateDir / kStateFileName;
    std::ifstream in(file, std::ios::binary);
    if (!in)
    {
        State fresh;
        fresh.packages = initialPackages(config_, std::time(nullptr));
        save(fresh);
        return fresh;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (text.str().size() > kMaxStateFileBytes)
    {
        throw ToolError{kExitSoftwareUpdateFailed, "state file is too large: " + file.string()};
    }
    auto state = parseState(text.str());
    if (!state)
    {
        throw ToolError{kExitSoftwareUpdateFailed, "state file is damaged: " + file.string()};
    }
    return *state;
}

void Store::save(const State& state)
{
    auto target = config_.stateDir / kStateFileName;
    auto temp =
        config_.stateDir / (std::string(kStateFileName) + ".tmp." + std::to_string(::getpid()));
    std::string text = serializeState(state);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
    {
        fail("cannot write " + temp.string());
    }
    std::size_t written = 0;
    while (written < text.size())
    {
        ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n <= 0)
        {
            ::close(fd);
            ::unlink(temp.c_str());
            fail("cannot write " + temp.string());
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0)
    {
        ::unlink(temp.c_str());
        fail("cannot write " + temp.string());
    }
    if (::rename(temp.c_str(), target.c_str()) != 0)
    {
        ::unlink(temp.c_str());
        fail("cannot replace " + target.string());
    }
}

void Store::transact(const std::function<bool(State&)>& change)
{
    lockState();
    try
    {
        State state = load();
        if (change(state))
        {
            save(state);
        }
    }
    catch (...)
    {
        unlockState();
        throw;
    }
    unlockState();
}

bool Store::tryLockOperation()
{
    if (opLockFd_ >= 0)
    {
        return true;
    }
    int fd = openLockFile(config_.stateDir / kOpLockName);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
    {
        ::close(fd);
        return false;
    }
    opLockFd_ = fd;
    return true;
}

void Store::unlockOperation()
{
    if (opLockFd_ >= 0)
    {
        ::flock(opLockFd_, LOCK_UN);
        ::close(opLockFd_);
        opLockFd_ = -1;
    }
}

bool Store::operationLockFree()
{
    if (opLockFd_ >= 0)
    {
        return false;
    }
    int fd = openLockFile(config_.stateDir / kOpLockName);
    bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

void Store::log(const std::string& message) const
{
    std::ofstream out(config_.stateDir / kLogName, std::ios::app);
    out << formatDate(std::time(nullptr)) << " [" << ::getpid() << "] " << message << '\n';
}

} // namespace softinv
