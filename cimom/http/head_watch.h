// Cuts off clients that take too long to send a request head. The HTTP library's read timeout
// applies to each single read, so a client sending its request line and headers a byte every
// few seconds would hold a worker thread for hours; with one such client per worker nobody
// else is answered. A small thread watches the accepted connections instead.
// Thread-safety: headComplete, responseWritten and the task queues run on every worker at once;
// start and stop are called from one thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib
{
class TaskQueue;
struct Request;
} // namespace httplib

namespace cimom
{

// How often the watch looks at the connections; also how late after its limit a connection
// may be cut.
inline constexpr int kHeadWatchIntervalMilliseconds = 200;

// A request head is due within the limit: on a new connection from its acceptance, less any
// time it waited for a free worker with its first bytes unread (a full queue is not the
// client's fault); on a kept-alive one from the end of the previous response. A late
// connection is shut down, which its worker sees as a failed read. Bodies and handlers are
// not timed here.
class HeadWatch
{
public:
    // `warn` gets one line for each connection cut off.
    HeadWatch(std::chrono::milliseconds limit, std::function<void(const std::string&)> warn);
    ~HeadWatch(); // stops
    HeadWatch(const HeadWatch&) = delete;
    HeadWatch& operator=(const HeadWatch&) = delete;

    // A worker pool for one listener's server (for httplib::Server::new_task_queue) that tells
    // the watch which connections are open.
    httplib::TaskQueue* newTaskQueue(std::size_t threads);

    // On the worker: the request line and headers of `req` are in.
    void headComplete(const httplib::Request& req);
    // On the worker: the response to `req` has been written; the next head is due.
    void responseWritten(const httplib::Request& req);

    // Watches connections accepted on `ports` until stop.
    void start(std::vector<int> ports);
    void stop();

private:
    class Pool;

    struct Phase
    {
        bool headComplete = false;
        std::chrono::steady_clock::time_point since; // of the current phase
        std::uint64_t connection = 0;                // which connection reported it
    };
    struct Tracked
    {
        std::chrono::steady_clock::time_point headSince;
        bool cut = false;
    };

    void record(const httplib::Request& req, bool headComplete);
    void connectionEnded(std::uint64_t connection);
    void run();
    void sweep();

    const std::chrono::milliseconds limit_;
    const std::function<void(const std::string&)> warn_;
    std::vector<int> ports_;
    std::thread thread_;

    std::mutex mutex_; // guards everything below
    std::condition_variable wake_;
    bool stopping_ = false;
    std::size_t openConnections_ = 0;
    std::map<std::string, Phase> phases_; // by connectionKey, as reported by the workers

    std::map<unsigned long, Tracked> tracked_; // by socket inode; the watch thread's alone
};

} // namespace cimom
