#include "http_connections.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace cimom
{

namespace
{

// The local port of a connected (not listening) TCP socket, or -1 for any other descriptor.
int connectedLocalPort(int fd)
{
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0)
    {
        return -1;
    }
    int type = 0;
    int listening = 0;
    socklen_t size = sizeof type;
    if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &size) != 0 || type != SOCK_STREAM)
    {
        return -1;
    }
    size = sizeof listening;
    if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) != 0 || listening != 0)
    {
        return -1;
    }
    if (local.ss_family == AF_INET)
    {
        return ntohs(reinterpret_cast<const sockaddr_in*>(&local)->sin_port);
    }
    if (local.ss_family == AF_INET6)
    {
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&local)->sin6_port);
    }
    return -1;
}

} // namespace

int shutdownAcceptedConnections(const std::vector<int>& ports)
{
    DIR* directory = opendir("/proc/self/fd");
    if (directory == nullptr)
    {
        return 0;
    }
    const int own = dirfd(directory);
    int count = 0;
    while (const dirent* entry = readdir(directory))
    {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (*end != '\0' || end == entry->d_name || fd == own)
        {
            continue;
        }
        const int port = connectedLocalPort(static_cast<int>(fd));
        if (port > 0 && std::find(ports.begin(), ports.end(), port) != ports.end())
        {
            // A client socket of this process connected *to* one of the ports has an
            // ephemeral local port, so only accepted connections match.
            if (shutdown(static_cast<int>(fd), SHUT_RDWR) == 0)
            {
                ++count;
            }
        }
    }
    closedir(directory);
    return count;
}

} // namespace cimom
