#include "http/head_watch.h"

#include "http/connections.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <set>

namespace cimom
{

namespace
{

using Clock = std::chrono::steady_clock;

std::atomic<std::uint64_t> lastConnection{0};
// The connection the worker running this thread is serving.
thread_local std::uint64_t currentConnection = 0;

std::string connectionKey(const std::string& peerAddress, int peerPort, int localPort)
{
    return peerAddress + " " + std::to_string(peerPort) + " " + std::to_string(localPort);
}

std::string endpoint(const std::string& address, int port)
{
    const bool v6 = address.find(':') != std::string::npos;
    return (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

std::string describeLimit(std::chrono::milliseconds limit)
{
    if (limit.count() % 1000 == 0)
    {
        return std::to_string(limit.count() / 1000) + " s";
    }
    return std::to_string(limit.count()) + " ms";
}

} // namespace

// Numbers each connection it is given and tells the watch when its worker is done with it,
// which is when the library has closed the socket.
class HeadWatch::Pool : public httplib::ThreadPool
{
public:
    Pool(std::size_t threads, HeadWatch& watch) : ThreadPool(threads), watch_(watch) {}

    void enqueue(std::function<void()> serve) override
    {
        {
            std::lock_guard<std::mutex> lock(watch_.mutex_);
            ++watch_.openConnections_;
        }
        const std::uint64_t connection = ++lastConnection;
        HeadWatch& watch = watch_;
        ThreadPool::enqueue(
            [&watch, connection, serve = std::move(serve)]
            {
                currentConnection = connection;
                serve();
                currentConnection = 0;
                watch.connectionEnded(connection);
            });
    }

private:
    HeadWatch& watch_;
};

HeadWatch::HeadWatch(std::chrono::milliseconds limit, std::function<void(const std::string&)> warn)
    : limit_(limit), warn_(std::move(warn))
{
}

HeadWatch::~HeadWatch()
{
    stop();
}

httplib::TaskQueue* HeadWatch::newTaskQueue(std::size_t threads)
{
    return new Pool(threads, *this);
}

void HeadWatch::headComplete(const httplib::Request& req)
{
    record(req, true);
}

void HeadWatch::responseWritten(const httplib::Request& req)
{
    record(req, false);
}

void HeadWatch::record(const httplib::Request& req, bool headComplete)
{
    const std::string key = connectionKey(req.remote_addr, req.remote_port, req.local_port);
    std::lock_guard<std::mutex> lock(mutex_);
    phases_[key] = Phase{headComplete, Clock::now(), currentConnection};
}

void HeadWatch::connectionEnded(std::uint64_t connection)
{
    std::lock_guard<std::mutex> lock(mutex_);
    --openConnections_;
    // Only this connection's entry: a new one from the same peer address and port may
    // already have reported.
    for (auto it = phases_.begin(); it != phases_.end();)
    {
        it = it->second.connection == connection ? phases_.erase(it) : std::next(it);
    }
}

void HeadWatch::start(std::vector<int> ports)
{
    if (thread_.joinable())
    {
        return;
    }
    ports_ = std::move(ports);
    stopping_ = false;
    thread_ = std::thread(&HeadWatch::run, this);
}

void HeadWatch::stop()
{
    if (!thread_.joinable())
    {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void HeadWatch::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(kHeadWatchIntervalMilliseconds),
                           [this] { return stopping_; }))
    {
        if (openConnections_ == 0)
        {
            tracked_.clear();
            continue;
        }
        lock.unlock();
        sweep();
        lock.lock();
    }
}

void HeadWatch::sweep()
{
    const auto now = Clock::now();
    std::set<unsigned long> live;
    visitAcceptedConnections(
        ports_,
        [&](const AcceptedConnection& connection)
        {
            // A connection its peer has reset fails its worker's next read or write anyway.
            if (connection.peerAddress.empty())
            {
                return false;
            }
            live.insert(connection.inode);
            Tracked& tracked =
                tracked_.try_emplace(connection.inode, Tracked{now, false}).first->second;
            if (connection.awaitingWorker)
            {
                tracked.headSince = now;
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                const auto phase = phases_.find(connectionKey(
                    connection.peerAddress, connection.peerPort, connection.localPort));
                if (phase != phases_.end())
                {
                    if (phase->second.headComplete)
                    {
                        return false;
                    }
                    tracked.headSince = std::max(tracked.headSince, phase->second.since);
                }
            }
            if (tracked.cut || now - tracked.headSince < limit_)
            {
                return false;
            }
            tracked.cut = true;
            warn_("closed the connection from " +
                  endpoint(connection.peerAddress, connection.peerPort) +
                  ": no complete request head within " + describeLimit(limit_));
            return true;
        });
    for (auto it = tracked_.begin(); it != tracked_.end();)
    {
        it = live.count(it->first) != 0 ? std::next(it) : tracked_.erase(it);
    }
}

} // namespace cimom
