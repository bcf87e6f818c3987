// Finds the connections the daemon accepted on its own ports, tells what state each is in and
// shuts down the ones asked for: a stopping server need not wait for idle keep-alive clients,
// and the head watch can cut off clients that never finish a request. The HTTP library keeps
// accepted sockets to itself; the process's descriptor table still knows them.
// Thread-safety: reentrant; shutting a socket down is safe while another thread uses it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace cimom
{

struct AcceptedConnection
{
    unsigned long inode = 0; // the socket's identity; descriptor numbers are reused
    std::string peerAddress; // numeric, written as the HTTP library writes remote_addr
    int peerPort = 0;
    int localPort = 0;
    // Bytes have arrived but none has been read yet: the connection still waits for a worker.
    bool awaitingWorker = false;
};

// Calls `visit` once for every connected TCP socket of this process whose local port is one of
// `ports`, and shuts the socket down (both directions) when `visit` returns true. Returns how
// many it shut down.
int visitAcceptedConnections(const std::vector<int>& ports,
                             const std::function<bool(const AcceptedConnection&)>& visit);

// Shuts down every such connection. Returns how many.
int shutdownAcceptedConnections(const std::vector<int>& ports);

} // namespace cimom
