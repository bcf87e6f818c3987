// Finds the connections the daemon accepted on its own ports and shuts them down, so that a
// stopping server need not wait for idle keep-alive clients to time out. The HTTP library
// keeps accepted sockets to itself; the process's descriptor table still knows them.
// Thread-safety: reentrant; shutting a socket down is safe while another thread uses it.
#pragma once

#include <vector>

namespace cimom
{

// Shuts down (both directions) every connected TCP socket of this process whose local port is
// one of `ports`. Returns how many it shut down.
int shutdownAcceptedConnections(const std::vector<int>& ports);

} // namespace cimom
