// The daemon's CIM side as the service fuzz targets drive it: the class repository loaded
// from the provider's MOF, the provider linked in and registered as the daemon would load it,
// the scripted tool behind it, and the checks every answer must pass whatever the input.
// Thread-safety: none; one fuzz input at a time, on one thread.
#pragma once

#include "tool_runner.h"

#include "cim/service.h"
#include "provider_manager.h"
#include "repository.h"

#include <memory>

namespace fuzz
{

// Set in the environment, makes the service print every answer on standard error: how a
// corpus author sees what an input reaches.
inline constexpr const char* kEchoVariable = "SWU_FUZZ_ECHO";

class ProviderService
{
public:
    ProviderService();
    ~ProviderService();

    ToolRunner& tool() { return m_tool; }

    // Answers the request and checks the answer: never an internal server error, a body only
    // with the CIM-XML content type and then a well-formed document of XML characters, and no
    // exception out of the provider other than a CIM error (the daemon logs those as provider
    // faults, except the date refusal the provider passes on). Any failure aborts, naming
    // `inputSize`.
    cimom::CimResponse handle(const cimom::CimRequest& request, size_t inputSize);

private:
    class FaultWatcher;

    ToolRunner m_tool;
    OpenWBEM::IntrusiveReference<FaultWatcher> m_watcher;
    cimom::Repository m_repository;
    std::unique_ptr<cimom::ProviderManager> m_providers;
    std::unique_ptr<cimom::CimService> m_service;
    bool m_echo;
};

// The service of the current process, made on first use.
ProviderService& providerService();

// A request in the form the daemon's front end hands over, for an administrator at the
// loopback address.
cimom::CimRequest adminRequest(const std::string& cimMethod, const std::string& cimObject,
                               const std::string& body);

} // namespace fuzz
