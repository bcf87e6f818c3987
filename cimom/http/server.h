// The daemon's HTTP and HTTPS front end: listens on the configured addresses, enforces the
// request limits, authenticates every request and hands each CIM operation (a POST to /cimom)
// to a CimHandler, then writes the answer with the CIM-over-HTTP headers. Knows nothing of
// CIM-XML itself, so it is tested with a stub handler.
// Thread-safety: start and stop from one thread; the handler runs on every worker at once, and
// a watch thread of the server's own cuts off clients slow to send a request head.
#pragma once

#include "auth.h"
#include "service.h"

#include "OW_config.h"
#include "OW_Logger.hpp"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace cimom
{

// Request limits. The request line and each header line are also limited to 8192 bytes by the
// HTTP library itself (414 and 400 beyond that).
inline constexpr std::size_t kMaxRequestBodyBytes = 4 * 1024 * 1024;
inline constexpr std::size_t kMaxHeaderBytes = 32 * 1024; // all header lines together
inline constexpr std::size_t kMaxHeaderCount = 64;
// Time limits: one wait for data from or to the client, the request line and headers
// together, the whole body, an idle keep-alive connection, and the requests one connection may
// carry. The head limit runs from a connection's acceptance (a wait for a free worker not
// counted) or from the end of the previous response; handlers are not timed.
inline constexpr int kReadTimeoutSeconds = 10;
inline constexpr int kWriteTimeoutSeconds = 10;
inline constexpr int kHeaderTimeLimitSeconds = 15;
inline constexpr int kBodyTimeLimitSeconds = 30;
inline constexpr int kKeepAliveIdleSeconds = 10;
inline constexpr std::size_t kKeepAliveMaxRequests = 100;
// On stop, how long requests in progress may still finish before connections are cut.
inline constexpr int kStopGraceMilliseconds = 300;
// Chunked responses are written in pieces of this size.
inline constexpr std::size_t kResponseChunkBytes = 64 * 1024;

using CimHandler = std::function<CimResponse(const CimRequest&)>;

struct Listener
{
    std::string address; // numeric IPv4 or IPv6 address
    int port = 0;        // 0: any free port (tests); see HttpServer::boundPorts
    bool tls = false;
};

struct HttpServerOptions
{
    std::vector<Listener> listeners;
    std::string certificateFile; // PEM, for TLS listeners
    std::string privateKeyFile;  // PEM, unencrypted
    int workerThreads = 8;       // per listener
    std::string realm = "cimom"; // of the Basic challenge
    std::string serverName = "cimomd/0.1";
    std::chrono::milliseconds headerTimeLimit = std::chrono::seconds(kHeaderTimeLimitSeconds);
};

// The daemon could not start listening; the message names the address, port and reason.
class ListenError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class HttpServer
{
public:
    // `logger` may be null (nothing logged).
    HttpServer(HttpServerOptions options, const Authenticator& authenticator, CimHandler handler,
               OpenWBEM::LoggerRef logger);
    ~HttpServer(); // stops
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds every listener (all or none: throws ListenError, nothing left open), then serves
    // in background threads.
    void start();
    // Stops accepting, lets requests in progress finish for kStopGraceMilliseconds, cuts
    // what is left and waits for the workers. Idempotent.
    void stop();
    // The ports actually bound, in listener order (after start).
    std::vector<int> boundPorts() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// "Sun, 06 Dec 2026 07:57:07 GMT", for the Date header.
std::string httpDate(std::time_t when);

} // namespace cimom
