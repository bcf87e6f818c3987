#include "http/exchange.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <strings.h>

namespace cimom
{

// Counts one request from the moment its handler starts until its response has been written:
// the response's content provider owns the token, and the library destroys the provider only
// after writing.
class ActiveToken
{
public:
    explicit ActiveToken(std::atomic<int>& counter) : counter_(counter) { ++counter_; }
    ~ActiveToken() { --counter_; }
    ActiveToken(const ActiveToken&) = delete;
    ActiveToken& operator=(const ActiveToken&) = delete;

private:
    std::atomic<int>& counter_;
};

namespace
{

using Clock = std::chrono::steady_clock;
using HandlerResponse = httplib::Server::HandlerResponse;

constexpr const char* kCimContentType = "application/xml; charset=\"utf-8\"";
constexpr const char* kCimMappingUri = "http://www.dmtf.org/cim/mapping/http/v1.0";

bool isCimPath(const std::string& path)
{
    return path == "/cimom" || path == "/CIMOM";
}

// Methods the HTTP library itself recognises; a request line with any other method reaches us
// only as a parse failure.
bool isKnownMethod(const std::string& method)
{
    static const char* const kKnown[] = {"GET",     "HEAD",    "POST",  "PUT",   "DELETE",
                                         "CONNECT", "OPTIONS", "TRACE", "PATCH", "PRI"};
    for (const char* known : kKnown)
    {
        if (method == known)
        {
            return true;
        }
    }
    return false;
}

bool isToken(const std::string& text)
{
    if (text.empty())
    {
        return false;
    }
    for (char c : text)
    {
        if (c <= ' ' || c >= 127 || std::strchr("()<>@,;:\\\"/[]?={}", c) != nullptr)
        {
            return false;
        }
    }
    return true;
}

// The HTTP library hands header values over URL-decoded; the CIM side expects them as a client
// sends them, escaped. Escaping everything but unreserved characters gives a text that decodes
// to the same value.
std::string percentEncode(const std::string& text)
{
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~')
        {
            out += c;
        }
        else
        {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0f];
        }
    }
    return out;
}

bool isDigits(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Whether the client asked for a chunked answer the way CIM clients do (TE: trailers), which
// HTTP/1.0 clients could not read.
bool wantsChunked(const httplib::Request& req)
{
    if (req.version != "HTTP/1.1")
    {
        return false;
    }
    const std::string te = req.get_header_value("TE");
    std::string lower(te);
    for (char& c : lower)
    {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower.find("trailers") != std::string::npos;
}

} // namespace
std::string httpDate(std::time_t when)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm parts{};
    gmtime_r(&when, &parts);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[parts.tm_wday],
                  parts.tm_mday, kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour,
                  parts.tm_min, parts.tm_sec);
    return text;
}

HttpExchange::HttpExchange(const Authenticator& authenticator, CimHandler handler,
                           OpenWBEM::LoggerRef logger, std::string realm, std::string serverName)
    : authenticator_(authenticator), handler_(std::move(handler)), logger_(std::move(logger)),
      realm_(std::move(realm)), serverName_(std::move(serverName))
{
}

void HttpExchange::log(OpenWBEM::ELogLevel level, const std::string& message) const
{
    if (!logger_)
    {
        return;
    }
    const OpenWBEM::String text(message.c_str(), message.size());
    switch (level)
    {
    case OpenWBEM::E_FATAL_ERROR_LEVEL:
        logger_->logFatalError(text);
        break;
    case OpenWBEM::E_ERROR_LEVEL:
        logger_->logError(text);
        break;
    case OpenWBEM::E_INFO_LEVEL:
        logger_->logInfo(text);
        break;
    case OpenWBEM::E_DEBUG_LEVEL:
        logger_->logDebug(text);
        break;
    }
}

void HttpExchange::internalError(httplib::Response& res, const std::string& what)
{
    log(OpenWBEM::E_ERROR_LEVEL, "HTTP request failed: " + what);
    Reply reply;
    reply.status = 500;
    reply.close = true;
    send(res, std::move(reply), nullptr);
}

// Everything decided from the request line and headers alone, before any body is read. Each
// refusal closes the connection, since the body it leaves unread would otherwise be taken for
// the next request.
HandlerResponse HttpExchange::screen(const httplib::Request& req, httplib::Response& res)
{
    Reply reply;
    reply.close = true;
    std::size_t headerBytes = 0;
    for (const auto& [name, value] : req.headers)
    {
        headerBytes += name.size() + value.size() + 4; // ": " and CRLF
    }
    const std::string transferEncoding = req.get_header_value("Transfer-Encoding");
    const bool chunkedBody = !transferEncoding.empty();
    const std::string contentEncoding = req.get_header_value("Content-Encoding");
    if (req.headers.size() > kMaxHeaderCount || headerBytes > kMaxHeaderBytes)
    {
        reply.status = 431; // Request Header Fields Too Large
    }
    else if (!isCimPath(req.path))
    {
        reply.status = 404;
    }
    else if (req.method != "POST")
    {
        reply.status = 405;
        reply.headers.emplace_back("Allow", "POST");
    }
    else if (req.get_header_value_count("Content-Length") > 1 ||
             req.get_header_value_count("Transfer-Encoding") > 1 ||
             (chunkedBody && req.has_header("Content-Length")))
    {
        reply.status = 400; // ambiguous framing
    }
    else if (chunkedBody && strcasecmp(transferEncoding.c_str(), "chunked") != 0)
    {
        reply.status = 501; // a transfer coding we do not implement
    }
    else if (!contentEncoding.empty() && strcasecmp(contentEncoding.c_str(), "identity") != 0)
    {
        reply.status = 415; // compressed bodies could expand past every limit
    }
    else if (!chunkedBody && !req.has_header("Content-Length"))
    {
        reply.status = 411; // Length Required
    }
    else if (!chunkedBody && !isDigits(req.get_header_value("Content-Length")))
    {
        reply.status = 400;
    }
    else if (!chunkedBody &&
             (req.get_header_value("Content-Length").size() > 18 ||
              std::stoull(req.get_header_value("Content-Length")) > kMaxRequestBodyBytes))
    {
        reply.status = 413;
    }
    else
    {
        return HandlerResponse::Unhandled;
    }
    log(OpenWBEM::E_INFO_LEVEL, "refused " + req.method + " " + req.path + " from " +
                                    req.remote_addr + ": HTTP " + std::to_string(reply.status));
    send(res, std::move(reply), nullptr);
    return HandlerResponse::Handled;
}

void HttpExchange::serveCim(const httplib::Request& req, httplib::Response& res,
                            const httplib::ContentReader* reader)
{
    auto token = std::make_shared<ActiveToken>(active_);
    std::string body;
    if (reader != nullptr)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(kBodyTimeLimitSeconds);
        int failure = 400;
        const bool complete = (*reader)(
            [&](const char* data, std::size_t length)
            {
                if (body.size() + length > kMaxRequestBodyBytes)
                {
                    failure = 413;
                    return false;
                }
                if (Clock::now() > deadline)
                {
                    failure = 408;
                    return false;
                }
                body.append(data, length);
                return true;
            });
        if (!complete)
        {
            log(OpenWBEM::E_INFO_LEVEL, "refused a request body from " + req.remote_addr +
                                            ": HTTP " + std::to_string(failure));
            Reply reply;
            reply.status = failure;
            reply.close = true;
            send(res, std::move(reply), std::move(token));
            return;
        }
    }

    const std::string* authorization = nullptr;
    std::string authorizationValue;
    if (req.get_header_value_count("Authorization") == 1)
    {
        authorizationValue = req.get_header_value("Authorization");
        authorization = &authorizationValue;
    }
    std::optional<Caller> caller;
    if (req.get_header_value_count("Authorization") <= 1)
    {
        caller = authenticator_.authenticate(authorization, req.remote_addr);
    }
    if (!caller)
    {
        log(OpenWBEM::E_INFO_LEVEL, "refused credentials from " + req.remote_addr);
        send(res, challenge(), std::move(token));
        return;
    }

    const std::string operation = req.get_header_value("CIMOperation");
    if (operation != "MethodCall")
    {
        Reply reply;
        reply.status = 400;
        if (!operation.empty() || req.has_header("CIMOperation"))
        {
            reply.headers.emplace_back("CIMError", "unsupported-operation");
        }
        send(res, std::move(reply), std::move(token));
        return;
    }

    CimRequest request;
    request.cimOperation = operation;
    request.cimMethod = percentEncode(req.get_header_value("CIMMethod"));
    request.cimObject = percentEncode(req.get_header_value("CIMObject"));
    request.body = std::move(body);
    request.caller = std::move(*caller);
    CimResponse answer;
    try
    {
        answer = handler_(request);
    }
    catch (const std::exception& error)
    {
        log(OpenWBEM::E_ERROR_LEVEL, std::string("CIM request failed: ") + error.what());
        answer = CimResponse{};
        answer.httpStatus = 500;
    }
    send(res, cimReply(std::move(answer), wantsChunked(req)), std::move(token));
}

// Responses the library makes itself (malformed request lines, over-long header lines): they
// get our headers, M-POST is answered as not implemented so that clients fall back to POST,
// and the connection is closed because the stream may be out of step.
void HttpExchange::libraryError(const httplib::Request& req, httplib::Response& res)
{
    if (res.has_header("Server"))
    {
        return; // one of ours
    }
    Reply reply;
    reply.status = res.status;
    reply.close = true;
    // A whole request line (method, target, version) whose method we do not know.
    if (res.status == 400 && isToken(req.method) && !isKnownMethod(req.method) &&
        req.version.rfind("HTTP/", 0) == 0)
    {
        reply.status = 501;
    }
    log(OpenWBEM::E_INFO_LEVEL,
        "malformed request from " + req.remote_addr + ": HTTP " + std::to_string(reply.status));
    send(res, std::move(reply), nullptr);
}

Reply HttpExchange::challenge() const
{
    Reply reply;
    reply.status = 401;
    reply.close = true;
    reply.headers.emplace_back("WWW-Authenticate", "Basic realm=\"" + realm_ + "\"");
    return reply;
}

Reply HttpExchange::cimReply(CimResponse answer, bool chunked) const
{
    // The extension headers travel under a namespace prefix declared in Man, the way the
    // reference daemon answers; clients read either form.
    const std::string ns = std::to_string(10 + namespaceCounter_.fetch_add(1) % 90);
    Reply reply;
    reply.status = answer.httpStatus;
    reply.contentType =
        answer.contentType.empty() && !answer.body.empty() ? kCimContentType : answer.contentType;
    reply.chunked = chunked && !answer.body.empty();
    // Moved, not copied: a large answer is tens of megabytes.
    reply.body = std::move(answer.body);
    reply.headers.emplace_back("Man", std::string(kCimMappingUri) + " ; ns=" + ns);
    bool hasOperation = false;
    for (const auto& [name, value] : answer.headers)
    {
        const bool extension = strncasecmp(name.c_str(), "CIM", 3) == 0;
        hasOperation = hasOperation || strcasecmp(name.c_str(), "CIMOperation") == 0;
        reply.headers.emplace_back(extension ? ns + "-" + name : name, value);
    }
    if (!hasOperation && answer.httpStatus == 200)
    {
        reply.headers.emplace_back(ns + "-CIMOperation", "MethodResponse");
    }
    return reply;
}

void HttpExchange::send(httplib::Response& res, Reply reply,
                        std::shared_ptr<ActiveToken> token) const
{
    res.status = reply.status;
    res.set_header("Date", httpDate(std::time(nullptr)));
    res.set_header("Server", serverName_);
    res.set_header("Cache-Control", "no-cache");
    for (const auto& [name, value] : reply.headers)
    {
        res.set_header(name, value);
    }
    if (reply.close)
    {
        res.set_header("Connection", "close");
    }
    auto body = std::make_shared<const std::string>(std::move(reply.body));
    const bool close = reply.close;
    if (reply.chunked)
    {
        res.set_chunked_content_provider(
            reply.contentType,
            [body, token](std::size_t offset, httplib::DataSink& sink)
            {
                const std::size_t length = std::min(kResponseChunkBytes, body->size() - offset);
                if (length > 0 && !sink.write(body->data() + offset, length))
                {
                    return false;
                }
                if (offset + length >= body->size())
                {
                    sink.done();
                }
                return true;
            });
        return;
    }
    if (body->empty())
    {
        res.set_header("Content-Length", "0");
        if (!close)
        {
            return;
        }
    }
    // A provider that reports failure after writing everything is how the library is told to
    // close the connection once this response is out.
    res.set_content_provider(
        body->size(), reply.contentType,
        [body, token, close](std::size_t offset, std::size_t length, httplib::DataSink& sink)
        {
            if (length > 0 && !sink.write(body->data() + offset, length))
            {
                return false;
            }
            return !close;
        });
}

} // namespace cimom
