#include "http_test_client.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace cimom::test
{

std::string ParsedResponse::header(const std::string& name) const
{
    const auto it = headers.find(name);
    return it == headers.end() ? std::string() : it->second;
}

RawConnection::RawConnection(int port)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    {
        throw std::runtime_error("cannot connect to port " + std::to_string(port));
    }
}

RawConnection::~RawConnection()
{
    ::close(fd_);
}

bool RawConnection::send(const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size())
    {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n <= 0)
        {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool RawConnection::fill(std::chrono::milliseconds quiet)
{
    if (eof_)
    {
        return false;
    }
    pollfd entry{fd_, POLLIN, 0};
    if (::poll(&entry, 1, static_cast<int>(quiet.count())) <= 0)
    {
        return false;
    }
    char chunk[65536];
    const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
    if (n <= 0)
    {
        eof_ = true;
        return false;
    }
    buffer_.append(chunk, static_cast<std::size_t>(n));
    return true;
}

ParsedResponse RawConnection::readResponse(std::chrono::milliseconds quiet)
{
    // Each reads on until the buffer holds what it needs, or the server closes or goes quiet.
    const auto find = [&](const char* text, std::size_t from)
    {
        std::size_t at;
        while ((at = buffer_.find(text, from)) == std::string::npos && fill(quiet))
        {
        }
        return at;
    };
    const auto have = [&](std::size_t bytes)
    {
        while (buffer_.size() < bytes && fill(quiet))
        {
        }
        return buffer_.size() >= bytes;
    };

    const std::size_t headEnd = find("\r\n\r\n", 0);
    if (headEnd == std::string::npos)
    {
        return {};
    }
    std::istringstream head(buffer_.substr(0, headEnd));
    std::string line;
    std::getline(head, line);
    const int status = std::atoi(line.c_str() + line.find(' ') + 1);
    ParsedResponse response;
    while (std::getline(head, line))
    {
        if (!line.empty() && line.back() == '\r')
        {
            line.pop_back();
        }
        const auto colon = line.find(':');
        if (colon != std::string::npos)
        {
            const auto value = line.find_first_not_of(' ', colon + 1);
            response.headers.emplace(line.substr(0, colon),
                                     value == std::string::npos ? "" : line.substr(value));
        }
    }
    std::size_t position = headEnd + 4;
    if (strcasecmp(response.header("Transfer-Encoding").c_str(), "chunked") == 0)
    {
        for (std::size_t size = 1; size != 0;)
        {
            const std::size_t sizeEnd = find("\r\n", position);
            if (sizeEnd == std::string::npos)
            {
                return {};
            }
            size = std::stoul(buffer_.substr(position, sizeEnd - position), nullptr, 16);
            position = sizeEnd + 2 + size + 2;
            if (!have(position))
            {
                return {};
            }
            response.body += buffer_.substr(sizeEnd + 2, size);
        }
    }
    else
    {
        const std::size_t length = std::stoul("0" + response.header("Content-Length"));
        if (!have(position + length))
        {
            return {};
        }
        response.body = buffer_.substr(position, length);
        position += length;
    }
    buffer_.erase(0, position);
    response.status = status;
    return response;
}

bool RawConnection::closedBy(std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (!eof_)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
        {
            return false;
        }
        fill(left);
    }
    return true;
}

int RawConnection::localPort() const
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    {
        return -1;
    }
    return ntohs(address.sin_port);
}

void RawConnection::reset()
{
    const linger abort{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    ::close(fd_);
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); // unconnected, for the destructor
    eof_ = true;
}

std::string cimPost(const std::string& body, const std::string& extraHeaders)
{
    return "POST /cimom HTTP/1.1\r\nHost: 127.0.0.1\r\n"
           "Content-Type: application/xml; charset=\"utf-8\"\r\n"
           "CIMProtocolVersion: 1.0\r\nCIMOperation: MethodCall\r\n"
           "CIMMethod: EnumerateInstanceNames\r\nCIMObject: root%2Fcimv2\r\n" +
           extraHeaders + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

} // namespace cimom::test
