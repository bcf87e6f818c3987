// A raw HTTP client for the front-end tests: sends bytes exactly as given (so malformed and
// oversized requests can be made), reads until the server closes or goes quiet, and splits
// responses into status, headers and body.
// Thread-safety: one RawConnection per thread.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <strings.h>
#include <vector>

namespace cimom::test
{

struct CaseInsensitiveLess
{
    bool operator()(const std::string& a, const std::string& b) const
    {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    }
};

struct ParsedResponse
{
    int status = 0;
    std::multimap<std::string, std::string, CaseInsensitiveLess> headers;
    std::string body; // de-chunked
    std::string header(const std::string& name) const;
};

class RawConnection
{
public:
    explicit RawConnection(int port);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    // False when the server has closed the connection and the bytes could not be sent.
    bool send(const std::string& bytes);
    // Reads one complete response (by Content-Length or chunking); nothing parsed (status 0)
    // when the connection closed or stayed silent for `quiet` first.
    ParsedResponse readResponse(std::chrono::milliseconds quiet = std::chrono::seconds(5));
    // Whether the server closes the connection within `wait` (after any pending data).
    bool closedBy(std::chrono::milliseconds wait);
    // The client's own port, as the server sees it.
    int localPort() const;
    // Drops the connection with a reset instead of an orderly close.
    void reset();

private:
    bool fill(std::chrono::milliseconds quiet);

    int fd_ = -1;
    std::string buffer_;
    bool eof_ = false;
};

// A POST /cimom request with the CIM headers, a Content-Length body and extra header lines
// (each ending in CRLF).
std::string cimPost(const std::string& body, const std::string& extraHeaders);

} // namespace cimom::test
