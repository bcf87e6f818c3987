// The seam between the daemon's HTTP front end and its CIM side: one CIM operation request as
// the front end received and authenticated it, and the answer to send back. Everything about
// CIM-XML, the repository and providers lies behind CimService; everything about sockets,
// TLS, credentials and limits lies in front of it.
// Thread-safety: CimService::handle may be called from every worker thread at once.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace cimom
{

class Repository;
class ProviderManager;

enum class Role
{
    ReadOnly, // may read classes and instances
    Admin,    // may also create, modify, delete and invoke methods
};

struct Caller
{
    std::string user; // empty for anonymous access
    Role role = Role::ReadOnly;
    std::string address; // client IP address, for the audit log
};

// A POST to /cimom whose credentials were accepted.
struct CimRequest
{
    std::string cimOperation; // CIMOperation header ("MethodCall")
    std::string cimMethod;    // CIMMethod header, as sent (may be URL-escaped)
    std::string cimObject;    // CIMObject header, as sent (URL-escaped)
    std::string body;         // the CIM-XML document
    Caller caller;
};

struct CimResponse
{
    int httpStatus = 200;
    std::string body;                                         // CIM-XML document, may be empty
    std::string contentType; // of the body; empty when there is none
    std::vector<std::pair<std::string, std::string>> headers; // extra, e.g. CIMError
};

// One state-changing operation, for the audit log.
struct AuditRecord
{
    Caller caller;
    std::string operation; // CreateInstance, ModifyInstance, DeleteInstance or the method name
    std::string className;
    std::string method; // for extrinsic calls
    std::string outcome; // "ok" or "CIM error <code>: <description>"
};
using AuditSink = std::function<void(const AuditRecord&)>;

// Configuration items by their (OpenWBEM) names; providers see them through getConfigItem.
using ConfigItems = std::map<std::string, std::string>;

class CimService
{
public:
    CimService(const Repository& repository, ProviderManager& providers, AuditSink audit);
    ~CimService();
    CimResponse handle(const CimRequest& request);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace cimom
