#include "http/connections.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <linux/tcp.h>
#include <netdb.h>
#include <netinet/in.h>
#include <set>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cimom
{

namespace
{

int portOf(const sockaddr_storage& address)
{
    if (address.ss_family == AF_INET)
    {
        return ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
    }
    if (address.ss_family == AF_INET6)
    {
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port);
    }
    return -1;
}

// Describes `fd` when it is a connected (not listening) TCP socket with a local port among
// `ports`.
bool describe(int fd, const std::vector<int>& ports, AcceptedConnection& connection)
{
    struct stat status = {};
    int type = 0;
    int listening = 0;
    socklen_t size = sizeof type;
    if (fstat(fd, &status) != 0 || !S_ISSOCK(status.st_mode) ||
        getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &size) != 0 || type != SOCK_STREAM)
    {
        return false;
    }
    size = sizeof listening;
    if (getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) != 0 || listening != 0)
    {
        return false;
    }
    sockaddr_storage local{};
    sockaddr_storage peer{};
    socklen_t localLength = sizeof local;
    socklen_t peerLength = sizeof peer;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) != 0)
    {
        return false;
    }
    // A client socket of this process connected *to* one of the ports has an ephemeral local
    // port, so only accepted connections match.
    connection.localPort = portOf(local);
    if (std::find(ports.begin(), ports.end(), connection.localPort) == ports.end())
    {
        return false;
    }
    connection.inode = static_cast<unsigned long>(status.st_ino);
    // A connection the peer has reset has no peer any more; it is still one of ours.
    char host[NI_MAXHOST] = "";
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0 &&
        getnameinfo(reinterpret_cast<const sockaddr*>(&peer), peerLength, host, sizeof host,
                    nullptr, 0, NI_NUMERICHOST) == 0)
    {
        connection.peerAddress = host;
        connection.peerPort = portOf(peer);
    }
    // Everything received is still unread exactly when no worker has started on it.
    tcp_info info{};
    socklen_t infoSize = sizeof info;
    int unread = 0;
    connection.awaitingWorker =
        getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &infoSize) == 0 &&
        infoSize >= offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received &&
        ioctl(fd, SIOCINQ, &unread) == 0 && unread > 0 &&
        info.tcpi_bytes_received == static_cast<__u64>(unread);
    return true;
}

} // namespace

int visitAcceptedConnections(const std::vector<int>& ports,
                             const std::function<bool(const AcceptedConnection&)>& visit)
{
    DIR* directory = opendir("/proc/self/fd");
    if (directory == nullptr)
    {
        return 0;
    }
    const int own = dirfd(directory);
    std::set<unsigned long> seen;
    int count = 0;
    while (const dirent* entry = readdir(directory))
    {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (*end != '\0' || end == entry->d_name || fd == own)
        {
            continue;
        }
        // A duplicate pins the socket: should the worker close the descriptor meanwhile and
        // its number be reused, what is read and shut down here is still this connection.
        const int copy = fcntl(static_cast<int>(fd), F_DUPFD_CLOEXEC, 0);
        if (copy < 0)
        {
            continue;
        }
        AcceptedConnection connection;
        if (describe(copy, ports, connection) && seen.insert(connection.inode).second &&
            visit(connection) && shutdown(copy, SHUT_RDWR) == 0)
        {
            ++count;
        }
        close(copy);
    }
    closedir(directory);
    return count;
}

int shutdownAcceptedConnections(const std::vector<int>& ports)
{
    return visitAcceptedConnections(ports, [](const AcceptedConnection&) { return true; });
}

} // namespace cimom
