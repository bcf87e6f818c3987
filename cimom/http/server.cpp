#include "http/server.h"

#include "http/connections.h"
#include "http/exchange.h"
#include "http/head_watch.h"

#include <httplib.h>
#include <openssl/ssl.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sys/socket.h>
#include <thread>

namespace cimom
{

namespace
{

using Clock = std::chrono::steady_clock;
using HandlerResponse = httplib::Server::HandlerResponse;

} // namespace

struct HttpServer::Impl
{
    Impl(HttpServerOptions options, const Authenticator& authenticator, CimHandler handler,
         OpenWBEM::LoggerRef logger)
        : options(std::move(options)),
          exchange(authenticator, std::move(handler), std::move(logger), this->options.realm,
                   this->options.serverName),
          headWatch(this->options.headerTimeLimit, [this](const std::string& message)
                    { exchange.log(OpenWBEM::E_ERROR_LEVEL, message); })
    {
    }

    std::unique_ptr<httplib::Server> makeServer(const Listener& listener) const;
    void configure(httplib::Server& server);
    void log(OpenWBEM::ELogLevel level, const std::string& message) const
    {
        exchange.log(level, message);
    }

    HttpServerOptions options;
    HttpExchange exchange;
    HeadWatch headWatch;

    std::vector<std::unique_ptr<httplib::Server>> servers;
    std::vector<std::thread> threads;
    std::vector<int> ports;
    bool started = false;
    bool stopped = false;
};

std::unique_ptr<httplib::Server> HttpServer::Impl::makeServer(const Listener& listener) const
{
    if (!listener.tls)
    {
        return std::make_unique<httplib::Server>();
    }
    for (const auto& file : {options.certificateFile, options.privateKeyFile})
    {
        std::ifstream probe(file);
        if (file.empty() || !probe)
        {
            throw ListenError("cannot use TLS on " + listener.address + ": cannot read '" + file +
                              "': " + std::strerror(errno));
        }
    }
    auto server = std::make_unique<httplib::SSLServer>(options.certificateFile.c_str(),
                                                       options.privateKeyFile.c_str());
    if (!server->is_valid())
    {
        throw ListenError("cannot use TLS: the certificate '" + options.certificateFile +
                          "' and key '" + options.privateKeyFile +
                          "' are not a matching PEM certificate and unencrypted key");
    }
    SSL_CTX_set_min_proto_version(server->ssl_context(), TLS1_2_VERSION);
    return server;
}

void HttpServer::Impl::configure(httplib::Server& server)
{
    // The library's default also sets SO_REUSEPORT, which would let a second daemon share the
    // port silently instead of failing to start.
    server.set_socket_options(
        [](socket_t sock)
        {
            int yes = 1;
            setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
    const auto threads = static_cast<std::size_t>(options.workerThreads);
    // Worker pools that let the head watch know which connections are open.
    server.new_task_queue = [this, threads] { return headWatch.newTaskQueue(threads); };
    server.set_read_timeout(kReadTimeoutSeconds, 0);
    server.set_write_timeout(kWriteTimeoutSeconds, 0);
    server.set_keep_alive_timeout(kKeepAliveIdleSeconds);
    server.set_keep_alive_max_count(kKeepAliveMaxRequests);
    server.set_payload_max_length(kMaxRequestBodyBytes);
    // Answers go out as a header write and a body write; with Nagle's algorithm a body shorter
    // than one segment waits for the client's delayed acknowledgement of the header (~40 ms).
    server.set_tcp_nodelay(true);
    server.set_pre_routing_handler(
        [this](const httplib::Request& req, httplib::Response& res)
        {
            headWatch.headComplete(req);
            return exchange.screen(req, res);
        });
    const std::string pattern = "/cimom|/CIMOM";
    server.Post(pattern, [this](const httplib::Request& req, httplib::Response& res,
                                const httplib::ContentReader& reader)
                { exchange.serveCim(req, res, &reader); });
    server.Post(pattern, [this](const httplib::Request& req, httplib::Response& res)
                { exchange.serveCim(req, res, nullptr); });
    server.set_error_handler(httplib::Server::HandlerWithResponse(
        [this](const httplib::Request& req, httplib::Response& res)
        {
            exchange.libraryError(req, res);
            return HandlerResponse::Unhandled;
        }));
    server.set_exception_handler(
        [this](const httplib::Request&, httplib::Response& res, std::exception_ptr error)
        {
            std::string what = "unknown exception";
            try
            {
                std::rethrow_exception(error);
            }
            catch (const std::exception& e)
            {
                what = e.what();
            }
            catch (...)
            {
            }
            exchange.internalError(res, what);
        });
    server.set_logger(
        [this](const httplib::Request& req, const httplib::Response& res)
        {
            log(OpenWBEM::E_DEBUG_LEVEL, req.remote_addr + " " + req.method + " " + req.path + " " +
                                             std::to_string(res.status));
            headWatch.responseWritten(req);
        });
}

HttpServer::HttpServer(HttpServerOptions options, const Authenticator& authenticator,
                       CimHandler handler, OpenWBEM::LoggerRef logger)
    : impl_(std::make_unique<Impl>(std::move(options), authenticator, std::move(handler),
                                   std::move(logger)))
{
}

HttpServer::~HttpServer()
{
    stop();
}

namespace
{

// Runs a bound server until stopped; returns once it accepts connections, so that a stop
// that follows cannot come before the server is running and be lost.
std::thread runServer(httplib::Server& server)
{
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::thread thread(
        [&server, finished]
        {
            server.listen_after_bind();
            *finished = true;
        });
    while (!server.is_running() && !*finished)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return thread;
}

} // namespace

void HttpServer::start()
{
    Impl& impl = *impl_;
    if (impl.started)
    {
        return;
    }
    std::vector<std::unique_ptr<httplib::Server>> servers;
    std::vector<int> ports;
    for (const auto& listener : impl.options.listeners)
    {
        auto server = impl.makeServer(listener);
        impl.configure(*server);
        errno = 0;
        int port = listener.port;
        if (port == 0)
        {
            port = server->bind_to_any_port(listener.address);
        }
        else if (!server->bind_to_port(listener.address, port))
        {
            port = -1;
        }
        if (port < 0)
        {
            const int error = errno;
            // The library closes a bound socket only when its server stops running.
            for (auto& bound : servers)
            {
                std::thread thread = runServer(*bound);
                bound->stop();
                thread.join();
            }
            std::string reason = error != 0 ? std::strerror(error) : "cannot bind";
            if (error == EADDRINUSE)
            {
                reason += " (is another daemon running?)";
            }
            throw ListenError("cannot listen on " + listener.address + ":" +
                              std::to_string(listener.port) + ": " + reason);
        }
        servers.push_back(std::move(server));
        ports.push_back(port);
    }
    impl.servers = std::move(servers);
    impl.ports = std::move(ports);
    for (auto& server : impl.servers)
    {
        impl.threads.push_back(runServer(*server));
    }
    impl.started = true;
    impl.headWatch.start(impl.ports);
    for (std::size_t i = 0; i < impl.ports.size(); ++i)
    {
        impl.log(OpenWBEM::E_INFO_LEVEL, std::string("listening for ") +
                                             (impl.options.listeners[i].tls ? "HTTPS" : "HTTP") +
                                             " on " + impl.options.listeners[i].address + ":" +
                                             std::to_string(impl.ports[i]));
    }
}

void HttpServer::stop()
{
    Impl& impl = *impl_;
    if (!impl.started || impl.stopped)
    {
        return;
    }
    impl.stopped = true;
    impl.headWatch.stop();
    for (auto& server : impl.servers)
    {
        server->stop();
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(kStopGraceMilliseconds);
    while (impl.exchange.activeRequests() > 0 && Clock::now() < deadline)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Idle keep-alive connections would otherwise hold their workers until they time out.
    shutdownAcceptedConnections(impl.ports);
    for (auto& thread : impl.threads)
    {
        thread.join();
    }
    impl.threads.clear();
}

std::vector<int> HttpServer::boundPorts() const
{
    return impl_->ports;
}

} // namespace cimom
