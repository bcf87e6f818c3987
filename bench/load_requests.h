// The load driver's requests: CIM-XML intrinsic calls to the daemon over HTTP with Basic
// authentication, each checked for a complete successful answer, and the bare tool run that
// is the floor every request stands on.
// Thread-safety: a RequestSender serves one thread; give every client thread its own.
#ifndef SWU_BENCH_LOADREQUESTS_H
#define SWU_BENCH_LOADREQUESTS_H

#include <httplib.h>

#include <cstddef>
#include <string>

struct Target
{
    std::string host = "127.0.0.1";
    int port = 0;
    std::string user;
    std::string password;
    std::string operation; // EnumerateInstanceNames or EnumerateInstances
    std::string className;
};

class RequestSender
{
public:
    explicit RequestSender(const Target& target);

    // Sends one request over a kept-alive connection and returns the size of the answer's
    // body; throws std::runtime_error when the answer is not a successful CIM-XML response.
    std::size_t send();

private:
    Target m_target;
    std::string m_body;
    httplib::Client m_client;
};

// Runs the command line as the provider's real runner does (popen, read to the end, pclose);
// returns the number of bytes read, throws std::runtime_error when it cannot run.
std::size_t RunToolOnce(const std::string& commandLine);

#endif
