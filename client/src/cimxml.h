// CIM-XML requests and answers (DMTF DSP0201/DSP0200), as much of them as swu sends and reads.
#pragma once

#include "cim.h"

#include <string>
#include <vector>

namespace swu::cimxml
{

// One request: the XML body and the values of the CIMMethod and CIMObject headers.
struct Request
{
    std::string method;
    std::string object;
    std::string body;
};

Request enumerateInstances(const std::string& ns, const std::string& className,
                           const std::vector<std::string>* propertyList = nullptr);
Request getInstance(const std::string& ns, const InstanceName& name,
                    const std::vector<std::string>* propertyList = nullptr);
// Sets the named properties (all of them written as text; the server casts to the class's
// types) and nothing else.
Request modifyInstance(const std::string& ns, const InstanceName& name,
                       const std::vector<Parameter>& properties);
Request associatorNames(const std::string& ns, const InstanceName& name,
                        const std::string& assocClass, const std::string& resultClass);
// A static method when target is a class name alone (no keys), else an instance method.
Request invokeMethod(const std::string& ns, const InstanceName& target, const std::string& method,
                     const std::vector<Parameter>& parameters);

// The answers. Each throws CimError for an ERROR element and TransportError(Protocol) for a
// body that is not the expected answer.
std::vector<Instance> parseInstances(const std::string& body, const std::string& method);
Instance parseInstance(const std::string& body, const std::string& method);
std::vector<InstanceName> parseInstanceNames(const std::string& body, const std::string& method);
void parseEmpty(const std::string& body, const std::string& method);
MethodResult parseMethodResponse(const std::string& body, const std::string& method);

// The header value form of a namespace or an object path: '/' and ':' and everything outside
// printable ASCII percent-encoded, as WBEM clients send it.
std::string headerEncode(const std::string& text);

} // namespace swu::cimxml
