// The CIM side with the provider, for the service fuzz targets.
#include "provider_service.h"

#include "fuzz_target.h"

#include "OW_Logger.hpp"
#include "OW_CppProviderBaseIFC.hpp"

#include <pugixml.hpp>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

// The provider library's factory, linked in rather than looked up in a loaded library.
extern "C" OpenWBEM::CppProviderBaseIFC* createProviderSoftwareUpdateProvider();

namespace fuzz
{

namespace
{

const char kProviderId[] = "SoftwareUpdateProvider";
// What the dispatcher logs when a provider threw anything but a CIM error.
const char kProviderFaultPrefix[] = "provider failed: ";
// The one such exception the provider lets through on purpose: a tool date that DateTime does
// not read ends the request with the library's own exception (a general error for the client).
const char kRefusedDatePrefix[] = "provider failed: DateTimeException: ";

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

} // namespace

// Remembers the first provider fault the daemon logs; everything else is dropped.
class ProviderService::FaultWatcher : public OpenWBEM::Logger
{
public:
    FaultWatcher() : OpenWBEM::Logger(OpenWBEM::E_ERROR_LEVEL) {}

    std::string takeFault()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::string fault;
        fault.swap(m_fault);
        return fault;
    }

protected:
    void doLogMessage(const OpenWBEM::String& message, const OpenWBEM::ELogLevel) const override
    {
        const std::string text(message.c_str(), message.length());
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_fault.empty() && startsWith(text, kProviderFaultPrefix) &&
            !startsWith(text, kRefusedDatePrefix))
        {
            m_fault = text;
        }
    }

private:
    mutable std::mutex m_mutex;
    mutable std::string m_fault;
};

ProviderService::ProviderService()
    : m_watcher(new FaultWatcher), m_echo(std::getenv(kEchoVariable) != nullptr)
{
    installTool(m_tool);
    m_repository.loadMofFile(SWU_PROVIDER_MOF);
    m_providers = std::make_unique<cimom::ProviderManager>(cimom::ConfigItems{},
                                                           OpenWBEM::LoggerRef(m_watcher));
    m_providers->registerProvider(kProviderId, std::unique_ptr<OpenWBEM::CppProviderBaseIFC>(
                                                   createProviderSoftwareUpdateProvider()));
    m_service = std::make_unique<cimom::CimService>(m_repository, *m_providers,
                                                    [](const cimom::AuditRecord&) {});
}

ProviderService::~ProviderService() = default;

cimom::CimResponse ProviderService::handle(const cimom::CimRequest& request, size_t inputSize)
{
    const cimom::CimResponse response = m_service->handle(request);
    if (m_echo)
    {
        std::fprintf(stderr, "%s -> %d %s\n%s\n", request.cimMethod.c_str(), response.httpStatus,
                     response.headers.empty() ? "" : response.headers.front().second.c_str(),
                     response.body.c_str());
    }
    const std::string fault = m_watcher->takeFault();
    check(fault.empty(), "the provider threw something other than a CIM error: " + fault,
          inputSize);
    check(response.httpStatus != cimom::kHttpInternalServerError,
          "the service answered with an internal server error", inputSize);
    if (response.body.empty())
    {
        return response;
    }
    check(response.contentType == cimom::kCimXmlContentType,
          "a body went out without the CIM-XML content type", inputSize);
    check(isXmlCharacterData(response.body), "the answer holds bytes XML cannot carry", inputSize);
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(
        response.body.data(), response.body.size(), pugi::parse_default, pugi::encoding_utf8);
    check(static_cast<bool>(parsed),
          std::string("the answer is not well-formed XML: ") + parsed.description(), inputSize);
    check(static_cast<bool>(document.child("CIM").child("MESSAGE")), "the answer is no CIM message",
          inputSize);
    return response;
}

ProviderService& providerService()
{
    static ProviderService* service = new ProviderService;
    return *service;
}

cimom::CimRequest adminRequest(const std::string& cimMethod, const std::string& cimObject,
                               const std::string& body)
{
    cimom::CimRequest request;
    request.cimOperation = "MethodCall";
    request.cimMethod = cimMethod;
    request.cimObject = cimObject;
    request.body = body;
    request.caller.user = "fuzzer";
    request.caller.role = cimom::Role::Admin;
    request.caller.address = "127.0.0.1";
    return request;
}

} // namespace fuzz
