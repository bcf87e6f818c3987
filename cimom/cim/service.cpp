// CimService: decoding, authorization, dispatch to the operation handlers, auditing and the
// encoding of the answer; plus the class operations, which the repository answers alone.
#include "cim/service.h"

#include "cim/typing.h"

#include "OW_CIMClass.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CppInstanceProviderIFC.hpp"

#include <strings.h>
#include <unistd.h>

namespace cimom
{

namespace
{

using OpenWBEM::CIMException;

bool sameName(const std::string& a, const char* b)
{
    return strcasecmp(a.c_str(), b) == 0;
}

enum class Op
{
    GetClass,
    EnumerateClasses,
    EnumerateClassNames,
    GetInstance,
    EnumerateInstances,
    EnumerateInstanceNames,
    CreateInstance,
    ModifyInstance,
    DeleteInstance,
    Associators,
    AssociatorNames,
    References,
    ReferenceNames,
};

const struct
{
    const char* name;
    Op op;
} kIntrinsicOps[] = {
    {"GetClass", Op::GetClass},
    {"EnumerateClasses", Op::EnumerateClasses},
    {"EnumerateClassNames", Op::EnumerateClassNames},
    {"GetInstance", Op::GetInstance},
    {"EnumerateInstances", Op::EnumerateInstances},
    {"EnumerateInstanceNames", Op::EnumerateInstanceNames},
    {"CreateInstance", Op::CreateInstance},
    {"ModifyInstance", Op::ModifyInstance},
    {"DeleteInstance", Op::DeleteInstance},
    {"Associators", Op::Associators},
    {"AssociatorNames", Op::AssociatorNames},
    {"References", Op::References},
    {"ReferenceNames", Op::ReferenceNames},
};

std::optional<std::string> runIntrinsic(Op op, Dispatch& d)
{
    switch (op)
    {
    case Op::GetClass:
        return getClass(d);
    case Op::EnumerateClasses:
        return enumerateClasses(d, false);
    case Op::EnumerateClassNames:
        return enumerateClasses(d, true);
    case Op::GetInstance:
        return getInstance(d);
    case Op::EnumerateInstances:
        return enumerateInstances(d, false);
    case Op::EnumerateInstanceNames:
        return enumerateInstances(d, true);
    case Op::CreateInstance:
        return createInstance(d);
    case Op::ModifyInstance:
        return modifyInstance(d);
    case Op::DeleteInstance:
        return deleteInstance(d);
    case Op::Associators:
        return associations(d, AssociationQuery::Associators);
    case Op::AssociatorNames:
        return associations(d, AssociationQuery::AssociatorNames);
    case Op::References:
        return associations(d, AssociationQuery::References);
    case Op::ReferenceNames:
        return associations(d, AssociationQuery::ReferenceNames);
    }
    return std::nullopt;
}

// The class a state-changing call is about, for the audit log; empty when the request is too
// malformed to say.
std::string auditedClass(const CimCall& call)
{
    if (!call.intrinsic)
    {
        return call.target.getClassName().c_str();
    }
    for (const WireParam& p : call.params)
    {
        if (p.value.kind == WireValue::Kind::Instance)
        {
            return p.value.instance.getClassName().c_str();
        }
        if (p.value.kind == WireValue::Kind::InstanceName ||
            p.value.kind == WireValue::Kind::NamedInstance)
        {
            return p.value.path.getClassName().c_str();
        }
    }
    return std::string();
}

std::string localHostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
    {
        return "localhost";
    }
    return name;
}

} // namespace

// ---- Dispatch ----

const ClassDecl& Dispatch::requireClass(const std::string& className,
                                        CIMException::ErrNoType missing) const
{
    const ClassDecl* cls = repository.find(className);
    if (cls == nullptr)
    {
        throwCim(missing,
                 OpenWBEM::CIMObjectPath(owString(className), ns()).toString().c_str());
    }
    return *cls;
}

OpenWBEM::CppInstanceProviderIFC* Dispatch::instanceProvider(const ClassDecl& cls) const
{
    const std::string id = cls.providerId();
    if (id.empty())
    {
        return nullptr;
    }
    OpenWBEM::CppInstanceProviderIFC* ip =
        callProvider(providers, [&] { return providers.provider(id).getInstanceProvider(); });
    if (ip == nullptr)
    {
        throwCim(CIMException::NOT_SUPPORTED,
                 "provider " + id + " serves no instances of " + cls.name);
    }
    return ip;
}

OpenWBEM::CIMInstance Dispatch::fetchInstance(const OpenWBEM::CIMObjectPath& castPath,
                                              const ClassDecl& cls, bool localOnly,
                                              bool includeQualifiers, bool includeClassOrigin,
                                              const OpenWBEM::StringArray* propertyList) const
{
    OpenWBEM::CppInstanceProviderIFC* ip = instanceProvider(cls);
    if (ip == nullptr)
    {
        // Without a provider no instance of the class can exist.
        throwCim(CIMException::NOT_FOUND, castPath.toString().c_str());
    }
    namespace F = OpenWBEM::WBEMFlags;
    const OpenWBEM::CIMClass cimClass = cls.toCIMClass();
    OpenWBEM::CIMInstance found = callProvider(
        providers,
        [&]
        {
            return ip->getInstance(
                env, ns(), castPath, localOnly ? F::E_LOCAL_ONLY : F::E_NOT_LOCAL_ONLY,
                includeQualifiers ? F::E_INCLUDE_QUALIFIERS : F::E_EXCLUDE_QUALIFIERS,
                includeClassOrigin ? F::E_INCLUDE_CLASS_ORIGIN : F::E_EXCLUDE_CLASS_ORIGIN,
                propertyList, cimClass);
        });
    if (!found)
    {
        throwCim(CIMException::FAILED,
                 "provider returned no instance for " + std::string(castPath.toString().c_str()));
    }
    return found;
}

// ---- class operations ----

std::optional<std::string> getClass(Dispatch& d)
{
    const IntrinsicParams p(d.call.params, {"ClassName", "LocalOnly", "IncludeQualifiers",
                                            "IncludeClassOrigin", "PropertyList"});
    // GetClass of a class that does not exist: CIM_ERR_NOT_FOUND (DSP0200).
    const ClassDecl& cls = d.requireClass(p.className("ClassName", true), CIMException::NOT_FOUND);
    ClassView view;
    view.localOnly = p.flag("LocalOnly", true);
    view.includeQualifiers = p.flag("IncludeQualifiers", true);
    view.includeClassOrigin = p.flag("IncludeClassOrigin", false);
    if (const auto list = p.propertyList())
    {
        view.propertyList.emplace();
        for (const OpenWBEM::String& name : *list)
        {
            view.propertyList->push_back(name.c_str());
        }
    }
    std::string out;
    d.writer(out).classDecl(cls, view);
    return out;
}

std::optional<std::string> enumerateClasses(Dispatch& d, bool namesOnly)
{
    const IntrinsicParams p =
        namesOnly ? IntrinsicParams(d.call.params, {"ClassName", "DeepInheritance"})
                  : IntrinsicParams(d.call.params, {"ClassName", "DeepInheritance", "LocalOnly",
                                                    "IncludeQualifiers", "IncludeClassOrigin"});
    const std::string className = p.className("ClassName", false);
    const bool deep = p.flag("DeepInheritance", false);
    std::vector<const ClassDecl*> classes;
    if (!className.empty())
    {
        classes = d.repository.subclasses(d.requireClass(className).name, deep);
    }
    else
    {
        for (const ClassDecl* cls : d.repository.allClasses())
        {
            if (deep || cls->superClass.empty())
            {
                classes.push_back(cls);
            }
        }
    }
    ClassView view;
    if (!namesOnly)
    {
        view.localOnly = p.flag("LocalOnly", true);
        view.includeQualifiers = p.flag("IncludeQualifiers", true);
        view.includeClassOrigin = p.flag("IncludeClassOrigin", false);
    }
    std::string out;
    CimXmlWriter writer = d.writer(out);
    for (const ClassDecl* cls : classes)
    {
        if (namesOnly)
        {
            out += "<CLASSNAME NAME=\"" + xmlEscape(cls->name, true) + "\"/>";
        }
        else
        {
            writer.classDecl(*cls, view);
        }
    }
    return out;
}

// ---- CimService ----

struct CimService::Impl
{
    const Repository& repository;
    ProviderManager& providers;
    AuditSink audit;
    std::string host = localHostName();

    std::string dispatch(const CimCall& call, const Caller& caller);
};

std::string CimService::Impl::dispatch(const CimCall& call, const Caller& caller)
{
    std::optional<Op> op;
    std::string method = call.method;
    if (call.intrinsic)
    {
        for (const auto& entry : kIntrinsicOps)
        {
            if (sameName(call.method, entry.name))
            {
                op = entry.op;
                method = entry.name;
            }
        }
    }
    const bool changesState = !call.intrinsic || op == Op::CreateInstance ||
                              op == Op::ModifyInstance || op == Op::DeleteInstance;
    Dispatch d{repository, providers, call, caller, host, providers.environment(caller.user)};
    std::string outcome = "ok";
    std::string response;
    try
    {
        if (call.intrinsic && !op)
        {
            throwCim(CIMException::NOT_SUPPORTED, call.method);
        }
        if (changesState && caller.role != Role::Admin)
        {
            throwCim(CIMException::ACCESS_DENIED,
                     (caller.user.empty() ? std::string("anonymous") : caller.user) +
                         " may only read");
        }
        if (strcasecmp(call.nameSpace.c_str(), kServedNamespace) != 0)
        {
            throwCim(CIMException::INVALID_NAMESPACE, call.nameSpace);
        }
        response = call.intrinsic ? intrinsicResponse(call.messageId, method, runIntrinsic(*op, d))
                                  : extrinsicResponse(call.messageId, method, invokeMethod(d));
    }
    catch (const CIMException& e)
    {
        outcome = "CIM error " + std::to_string(e.getErrNo()) + ": " + e.getMessage();
        response =
            errorResponse(call.messageId, method, call.intrinsic, e.getErrNo(), e.getMessage());
    }
    catch (const std::exception& e)
    {
        const std::string message =
            OpenWBEM::CIMException(__FILE__, __LINE__, CIMException::FAILED, e.what()).getMessage();
        outcome = "CIM error 1: " + message;
        response =
            errorResponse(call.messageId, method, call.intrinsic, CIMException::FAILED, message);
    }
    if (changesState && audit)
    {
        AuditRecord record;
        record.caller = caller;
        record.operation = method;
        record.className = auditedClass(call);
        record.method = call.intrinsic ? std::string() : call.method;
        record.outcome = outcome;
        try
        {
            audit(record);
        }
        catch (const std::exception& e)
        {
            // The operation has happened; its answer still goes out.
            providers.logger()->logError(
                OpenWBEM::String((std::string("audit record lost: ") + e.what()).c_str()));
        }
    }
    return response;
}

CimService::CimService(const Repository& repository, ProviderManager& providers, AuditSink audit)
    : impl_(new Impl{repository, providers, std::move(audit)})
{
}

CimService::~CimService() = default;

CimResponse CimService::handle(const CimRequest& request)
{
    CimResponse response;
    CimCall call;
    try
    {
        call = decodeRequest(request);
    }
    catch (const ProtocolError& e)
    {
        impl_->providers.logger()->logInfo(
            OpenWBEM::String(("refused request from " + request.caller.address + ": " +
                              e.cimError() + ": " + e.what())
                                 .c_str()));
        response.httpStatus = e.httpStatus();
        response.headers.emplace_back("CIMError", e.cimError());
        return response;
    }
    catch (const std::exception& e)
    {
        impl_->providers.logger()->logError(
            OpenWBEM::String((std::string("cannot decode request: ") + e.what()).c_str()));
        response.httpStatus = kHttpBadRequest;
        response.headers.emplace_back("CIMError", kErrNotValid);
        return response;
    }
    try
    {
        response.body = impl_->dispatch(call, request.caller);
    }
    catch (...)
    {
        // Only resource exhaustion gets here; dispatch answers everything else itself.
        response.httpStatus = kHttpInternalServerError;
        return response;
    }
    response.contentType = kCimXmlContentType;
    response.headers.emplace_back("CIMOperation", "MethodResponse");
    return response;
}

} // namespace cimom
