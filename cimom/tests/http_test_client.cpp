#include "http_test_client.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
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
    ParsedResponse response;
    std::size_t headerEnd;
    while ((headerEnd = buffer_.find("\r\n\r\n")) == std::string::npos)
    {
        if (!fill(quiet))
        {
            return response;
        }
    }
    const std::string head = buffer_.substr(0, headerEnd);
    std::size_t position = headerEnd + 4;
    std::size_t lineEnd = head.find("\r\n");
    const std::string statusLine = head.substr(0, lineEnd);
    const auto space = statusLine.find(' ');
    const int status = std::atoi(statusLine.c_str() + space + 1);
    while (lineEnd != std::string::npos)
    {
        const std::size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        const std::string line =
            head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
        const auto colon = line.find(':');
        if (colon != std::string::npos)
        {
            const auto valueStart = line.find_first_not_of(' ', colon + 1);
            response.headers.emplace(line.substr(0, colon), valueStart == std::string::npos
                                                                ? std::string()
                                                                : line.substr(valueStart));
        }
    }
    if (strcasecmp(response.header("Transfer-Encoding").c_str(), "chunked") == 0)
    {
        for (;;)
        {
            std::size_t sizeEnd;
            while ((sizeEnd = buffer_.find("\r\n", position)) == std::string::npos)
            {
                if (!fill(quiet))
                {
                    return {};
                }
            }
            const std::size_t size =
                std::stoul(buffer_.substr(position, sizeEnd - position), nullptr, 16);
            while (buffer_.size() < sizeEnd + 2 + size + 2)
            {
                if (!fill(quiet))
                {
                    return {};
                }
            }
            response.body += buffer_.substr(sizeEnd + 2, size);
            position = sizeEnd + 2 + size + 2;
            if (size == 0)
            {
                break;
            }
        }
    }
    else
    {
        const std::size_t length = std::stoul("0" + response.header("Content-Length"));
        while (buffer_.size() < position + length)
        {
            if (!fill(quiet))
            {
                return {};
            }
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
