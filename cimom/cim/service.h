// The operation dispatcher behind CimService: a decoded call is checked against the class
// repository, handed to the provider serving the class with the checks, casts and ordering
// the reference CIMOM applies around a provider call, and its answer encoded. callProvider
// is the one place where whatever a provider throws becomes a CIM error.
// Thread-safety: every function may run on all worker threads at once; a Dispatch is per request.
#pragma once

#include "cimxml/request.h"
#include "cimxml/response.h"
#include "provider_manager.h"
#include "repository.h"
#include "service.h"

#include "OW_config.h"
#include "OW_Array.hpp"
#include "OW_CIMException.hpp"
#include "OW_CppProviderBaseIFC.hpp"
#include "OW_ProviderEnvironmentIFC.hpp"
#include "OW_String.hpp"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace cimom
{

// The one namespace the repository's classes live in.
inline constexpr const char* kServedNamespace = "root/cimv2";

// Runs provider code (including loading the provider) and turns anything it throws into a
// CIMException: a CIMException keeps its code and message, anything else is CIM_ERR_FAILED
// and is logged, since it means a fault in the provider.
template <class F> auto callProvider(ProviderManager& providers, F&& f) -> decltype(f())
{
    std::string failure;
    try
    {
        return f();
    }
    catch (const OpenWBEM::CIMException&)
    {
        throw;
    }
    catch (const OpenWBEM::Exception& e)
    {
        failure = std::string(e.type()) + ": " + e.getMessage();
    }
    catch (const std::exception& e)
    {
        failure = e.what();
    }
    catch (...)
    {
        failure = "unknown exception";
    }
    providers.logger()->logError(OpenWBEM::String(("provider failed: " + failure).c_str()));
    throw OpenWBEM::CIMException(__FILE__, __LINE__, OpenWBEM::CIMException::FAILED,
                                 failure.c_str());
}

// The parameters of an intrinsic call, looked up by name without regard to case. Parameters
// the operation does not know, and repeated ones, are CIM_ERR_INVALID_PARAMETER.
class IntrinsicParams
{
public:
    IntrinsicParams(const std::vector<WireParam>& params, const std::vector<const char*>& known);

    bool flag(const char* name, bool defaultValue) const;
    // A class name given as CLASSNAME (or as text); empty when absent and not required.
    std::string className(const char* name, bool required) const;
    OpenWBEM::CIMObjectPath instanceName(const char* name) const;
    // ObjectName of the association operations: a class path or an instance path.
    OpenWBEM::CIMObjectPath objectName(const char* name) const;
    const OpenWBEM::CIMInstance& instance(const char* name) const;
    const WireValue& namedInstance(const char* name) const;
    std::string text(const char* name) const;
    // None when absent: all properties.
    std::optional<OpenWBEM::StringArray> propertyList() const;

private:
    const WireValue* find(const char* name) const;
    const WireValue& require(const char* name) const;

    std::vector<std::pair<std::string, const WireValue*>> params_;
};

// One request in progress.
struct Dispatch
{
    const Repository& repository;
    ProviderManager& providers;
    const CimCall& call;
    const Caller& caller;
    const std::string& host;
    OpenWBEM::ProviderEnvironmentIFCRef env;

    // The class, or CIM_ERR_INVALID_CLASS naming "/<ns>:<class>".
    // `missing` is the status for a class that does not exist: CIM_ERR_INVALID_CLASS for the
    // operations on classes and instances; CIM_ERR_NOT_FOUND where the class is only the
    // object of a method call or an association query, as OpenWBEM's daemon answers there.
    const ClassDecl& requireClass(
        const std::string& className,
        OpenWBEM::CIMException::ErrNoType missing = OpenWBEM::CIMException::INVALID_CLASS) const;
    OpenWBEM::String ns() const { return OpenWBEM::String(call.nameSpace.c_str()); }
    CimXmlWriter writer(std::string& out) const { return CimXmlWriter(out, &repository, host); }
    // The instance interface of the provider serving `cls`, or null when no provider serves it
    // (the provider is loaded inside callProvider). A provider without that interface is
    // CIM_ERR_NOT_SUPPORTED.
    OpenWBEM::CppInstanceProviderIFC* instanceProvider(const ClassDecl& cls) const;
    // GetInstance through the provider: keys cast, a null instance is CIM_ERR_FAILED.
    OpenWBEM::CIMInstance fetchInstance(const OpenWBEM::CIMObjectPath& castPath,
                                        const ClassDecl& cls, bool localOnly,
                                        bool includeQualifiers, bool includeClassOrigin,
                                        const OpenWBEM::StringArray* propertyList) const;
};

// Operation handlers. Each returns what goes inside IRETURNVALUE (none for operations without
// a result) and throws CIMException for CIM errors.
std::optional<std::string> getClass(Dispatch& d);
std::optional<std::string> enumerateClasses(Dispatch& d, bool namesOnly);
std::optional<std::string> getInstance(Dispatch& d);
std::optional<std::string> enumerateInstances(Dispatch& d, bool namesOnly);
std::optional<std::string> createInstance(Dispatch& d);
std::optional<std::string> modifyInstance(Dispatch& d);
std::optional<std::string> deleteInstance(Dispatch& d);
enum class AssociationQuery
{
    Associators,
    AssociatorNames,
    References,
    ReferenceNames,
};
std::optional<std::string> associations(Dispatch& d, AssociationQuery query);
// What goes inside METHODRESPONSE.
std::string invokeMethod(Dispatch& d);

} // namespace cimom
