// How swu reaches a CIMOM: CIM-XML over HTTP or HTTPS with Basic authentication.
#pragma once

#include "cim.h"
#include "cimxml.h"

#include <memory>
#include <string>

namespace swu
{

struct Endpoint
{
    std::string base; // scheme://host[:port], no path
    std::string ns = "root/cimv2";
    std::string user;
    std::string password;
    bool insecure = false; // HTTPS without checking the server's certificate
    std::string caFile;    // extra trust anchors for HTTPS
    long timeoutSeconds = 60;
};

class Transport
{
public:
    virtual ~Transport() = default;
    // Sends one request and returns the body of a 200 answer; throws TransportError otherwise.
    virtual std::string exchange(const cimxml::Request& request) = 0;
};

std::unique_ptr<Transport> makeHttpTransport(const Endpoint& endpoint);

// Operations on one namespace of one server.
class Client
{
public:
    Client(std::unique_ptr<Transport> transport, std::string ns)
        : transport_(std::move(transport)), ns_(std::move(ns))
    {
    }

    std::vector<Instance> enumerate(const std::string& className,
                                    const std::vector<std::string>* propertyList = nullptr);
    Instance get(const InstanceName& name, const std::vector<std::string>* propertyList = nullptr);
    void modify(const InstanceName& name, const std::vector<Parameter>& properties);
    std::vector<InstanceName> associatorNames(const InstanceName& name,
                                              const std::string& assocClass,
                                              const std::string& resultClass);
    MethodResult invoke(const InstanceName& target, const std::string& method,
                        const std::vector<Parameter>& parameters = {});

private:
    std::unique_ptr<Transport> transport_;
    std::string ns_;
};

} // namespace swu
