// How the front end answers one HTTP exchange: screening a request by its headers, reading
// the body within the limits, authenticating, handing CIM requests to the handler and writing
// the answer with the CIM-over-HTTP headers. server.cpp wires it into the HTTP library.
// Thread-safety: every member may run on every worker thread at once.
#pragma once

#include "auth.h"
#include "http/server.h"
#include "service.h"

#include "OW_config.h"
#include "OW_Logger.hpp"

#include <httplib.h>

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace cimom
{

class ActiveToken;

// One answer before it is written.
struct Reply
{
    int status = 200;
    std::string body;
    std::string contentType = "text/plain"; // the HTTP library labels even empty bodies
    std::vector<std::pair<std::string, std::string>> headers;
    bool close = false;   // close the connection once the response is written
    bool chunked = false; // Transfer-Encoding: chunked
};

class HttpExchange
{
public:
    HttpExchange(const Authenticator& authenticator, CimHandler handler, OpenWBEM::LoggerRef logger,
                 std::string realm, std::string serverName);

    // Before the body is read: answers (and returns Handled) what can be refused from the
    // request line and headers alone.
    httplib::Server::HandlerResponse screen(const httplib::Request& req, httplib::Response& res);
    // A POST to /cimom; `reader` is null when the request has no body.
    void serveCim(const httplib::Request& req, httplib::Response& res,
                  const httplib::ContentReader* reader);
    // Takes over error responses the HTTP library made itself.
    void libraryError(const httplib::Request& req, httplib::Response& res);
    // A request whose handling threw inside the library.
    void internalError(httplib::Response& res, const std::string& what);

    // Requests between the start of their handler and the end of their response.
    int activeRequests() const { return active_.load(); }
    void log(OpenWBEM::ELogLevel level, const std::string& message) const;

private:
    void send(httplib::Response& res, Reply reply, std::shared_ptr<ActiveToken> token) const;
    Reply cimReply(CimResponse answer, bool chunked) const;
    Reply challenge() const;

    const Authenticator& authenticator_;
    CimHandler handler_;
    OpenWBEM::LoggerRef logger_;
    std::string realm_;
    std::string serverName_;
    std::atomic<int> active_{0};
    mutable std::atomic<unsigned> namespaceCounter_{0};
};

} // namespace cimom
