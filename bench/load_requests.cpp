// CIM-XML requests for the load driver, and the bare tool run.
#include "load_requests.h"

#include <cstdio>
#include <stdexcept>

namespace
{

const int kRequestTimeoutSeconds = 120;
const std::size_t kToolReadChunkBytes = 64 * 1024;

std::string RequestBody(const Target& target)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\">"
           "<SIMPLEREQ><IMETHODCALL NAME=\"" +
           target.operation +
           "\"><LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/><NAMESPACE NAME=\"cimv2\"/>"
           "</LOCALNAMESPACEPATH><IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"" +
           target.className + "\"/></IPARAMVALUE></IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>\n";
}

} // namespace

RequestSender::RequestSender(const Target& target)
    : m_target(target), m_body(RequestBody(target)), m_client(target.host, target.port)
{
    m_client.set_keep_alive(true);
    // The client writes the header and the body separately; like curl-based WBEM clients it
    // must not let Nagle's algorithm hold the body back until the header is acknowledged.
    m_client.set_tcp_nodelay(true);
    m_client.set_basic_auth(target.user, target.password);
    m_client.set_read_timeout(kRequestTimeoutSeconds, 0);
    m_client.set_write_timeout(kRequestTimeoutSeconds, 0);
}

std::size_t RequestSender::send()
{
    httplib::Headers headers = {
        {"CIMOperation", "MethodCall"},
        {"CIMMethod", m_target.operation},
        {"CIMObject", "root/cimv2"},
    };
    auto result = m_client.Post("/cimom", headers, m_body, "application/xml; charset=\"utf-8\"");
    if (!result)
    {
        throw std::runtime_error("no answer: " + httplib::to_string(result.error()));
    }
    const std::string& body = result->body;
    if (result->status != 200 || body.find("<IMETHODRESPONSE") == std::string::npos ||
        body.find("<ERROR") != std::string::npos)
    {
        throw std::runtime_error("failed answer, status " + std::to_string(result->status) + ": " +
                                 body.substr(0, 300));
    }
    return body.size();
}

std::size_t RunToolOnce(const std::string& commandLine)
{
    FILE* pipe = popen(commandLine.c_str(), "r");
    if (pipe == nullptr)
    {
        throw std::runtime_error("cannot run " + commandLine);
    }
    std::string output;
    char chunk[kToolReadChunkBytes];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), pipe)) > 0)
    {
        output.append(chunk, got);
    }
    if (pclose(pipe) != 0)
    {
        throw std::runtime_error("tool failed: " + commandLine);
    }
    return output.size();
}
