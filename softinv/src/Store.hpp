// The state directory on disk: the state file, the bundle cache, two lock files and the log.
// Runs hold the state lock only while they read or write, and replace the state file
// atomically, so concurrent runs never see a half-written state. A long operation holds the
// operation lock throughout; the kernel drops it when the process dies.
// Thread-safety: one Store per process; not shared between threads.
#pragma once

#include "Config.hpp"
#include "State.hpp"

#include <filesystem>
#include <functional>
#include <string>

namespace softinv
{

class Store
{
public:
    explicit Store(const Config& config);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    const Config& config() const { return config_; }
    std::filesystem::path cacheDir() const { return config_.stateDir / "cache"; }

    // Locks, loads (or creates) the state, runs the change, saves the state when the change
    // returns true, unlocks. The lock is released on every path, exceptions included.
    void transact(const std::function<bool(State&)>& change);

    // Operation lock. tryLockOperation is only called while the state lock is held, so
    // that claiming and probing never race each other.
    bool tryLockOperation();
    void unlockOperation();
    bool holdsOperationLock() const { return opLockFd_ >= 0; }
    // True when no process holds the operation lock (probing takes and drops it).
    bool operationLockFree();
    // Close a lock descriptor without unlocking, after a fork: the other process keeps the
    // lock through its copy of the same open file description.
    void forgetStateLockInChild();
    void forgetOperationLock();
    // For a detached process: closes every descriptor from 3 up except the operation lock,
    // so that it keeps nothing of its parent's open (pipes, sockets) while it runs.
    void closeOtherDescriptors();

    void log(const std::string& message) const;

private:
    void lockState();
    void unlockState();
    State load();
    void save(const State& state);

    Config config_;
    int stateLockFd_ = -1;
    int opLockFd_ = -1;
};

// Milliseconds since the epoch.
long long nowMs();

} // namespace softinv
