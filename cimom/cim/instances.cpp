// The instance operations of the dispatcher: what the reference CIMOM does around the
// instance provider's calls (class lookup, key casts, fetching before delete and modify).
#include "cim/service.h"

#include "cim/typing.h"

#include "OW_CIMClass.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_ResultHandlerIFC.hpp"

#include <algorithm>

namespace cimom
{

namespace
{

using OpenWBEM::CIMException;
namespace F = OpenWBEM::WBEMFlags;

// Room an enumeration's answer keeps free before the next instance or name is written.
const size_t kAnswerHeadroomBytes = 64 * 1024;
// How much larger the answer's buffer gets each time that room runs out. Doubling would write
// the answer about twice into freshly mapped memory, whose first touch is what costs; only the
// pages written become resident, so the unused capacity costs address space, not memory. The
// last stretch of room also takes the response envelope without copying the answer again.
const size_t kAnswerGrowthFactor = 4;

void keepHeadroom(std::string& out)
{
    if (out.capacity() - out.size() < kAnswerHeadroomBytes)
    {
        out.reserve(std::max(out.size() * kAnswerGrowthFactor, out.size() + kAnswerHeadroomBytes));
    }
}

// Encodes each instance or name as the provider hands it over; the answer is built while
// the provider runs.
class NamedInstanceWriter : public OpenWBEM::CIMInstanceResultHandlerIFC
{
public:
    NamedInstanceWriter(const Dispatch& d, std::string& out) : d_(d), out_(out) {}

protected:
    void doHandle(const OpenWBEM::CIMInstance& instance) override
    {
        if (!instance)
        {
            d_.providers.logger()->logError("provider passed a null instance; it is left out");
            return;
        }
        keepHeadroom(out_);
        out_ += "<VALUE.NAMEDINSTANCE>";
        CimXmlWriter writer = d_.writer(out_);
        // Named by its Key-qualified properties alone, as OpenWBEM's own daemon names it: an
        // instance whose provider marks no key goes out unnamed rather than named by a guess.
        writer.instanceName(instancePath(d_.call.nameSpace, instance, nullptr));
        writer.instance(instance);
        out_ += "</VALUE.NAMEDINSTANCE>";
    }

private:
    const Dispatch& d_;
    std::string& out_;
};

class InstanceNameWriter : public OpenWBEM::CIMObjectPathResultHandlerIFC
{
public:
    InstanceNameWriter(const Dispatch& d, std::string& out) : d_(d), out_(out) {}

protected:
    void doHandle(const OpenWBEM::CIMObjectPath& path) override
    {
        if (!path)
        {
            d_.providers.logger()->logError("provider passed a null path; it is left out");
            return;
        }
        keepHeadroom(out_);
        d_.writer(out_).instanceName(path);
    }

private:
    const Dispatch& d_;
    std::string& out_;
};

OpenWBEM::StringArray* listPointer(std::optional<OpenWBEM::StringArray>& list)
{
    return list ? &*list : nullptr;
}

} // namespace

std::optional<std::string> getInstance(Dispatch& d)
{
    const IntrinsicParams p(d.call.params, {"InstanceName", "LocalOnly", "IncludeQualifiers",
                                            "IncludeClassOrigin", "PropertyList"});
    OpenWBEM::CIMObjectPath path = p.instanceName("InstanceName");
    const ClassDecl& cls = d.requireClass(path.getClassName().c_str());
    path.setNameSpace(d.ns());
    std::optional<OpenWBEM::StringArray> list = p.propertyList();
    const OpenWBEM::CIMInstance instance = d.fetchInstance(
        castKeys(path, cls), cls, p.flag("LocalOnly", true), p.flag("IncludeQualifiers", false),
        p.flag("IncludeClassOrigin", false), listPointer(list));
    std::string out;
    d.writer(out).instance(instance);
    return out;
}

std::optional<std::string> enumerateInstances(Dispatch& d, bool namesOnly)
{
    const IntrinsicParams p =
        namesOnly ? IntrinsicParams(d.call.params, {"ClassName"})
                  : IntrinsicParams(d.call.params,
                                    {"ClassName", "LocalOnly", "DeepInheritance",
                                     "IncludeQualifiers", "IncludeClassOrigin", "PropertyList"});
    const ClassDecl& requested = d.requireClass(p.className("ClassName", true));
    // Names always cover the subclasses; instances only when DeepInheritance asks for them.
    const bool deep = namesOnly || p.flag("DeepInheritance", true);
    std::vector<const ClassDecl*> classes{&requested};
    if (deep)
    {
        for (const ClassDecl* sub : d.repository.subclasses(requested.name, true))
        {
            classes.push_back(sub);
        }
    }
    const bool localOnly = !namesOnly && p.flag("LocalOnly", true);
    const bool includeQualifiers = !namesOnly && p.flag("IncludeQualifiers", false);
    const bool includeClassOrigin = !namesOnly && p.flag("IncludeClassOrigin", false);
    std::optional<OpenWBEM::StringArray> list = namesOnly ? std::nullopt : p.propertyList();
    const OpenWBEM::CIMClass requestedClass = requested.toCIMClass();

    std::string out;
    NamedInstanceWriter instances(d, out);
    InstanceNameWriter names(d, out);
    for (const ClassDecl* cls : classes)
    {
        OpenWBEM::CppInstanceProviderIFC* ip = d.instanceProvider(*cls);
        if (ip == nullptr)
        {
            continue;
        }
        const OpenWBEM::CIMClass cimClass = cls->toCIMClass();
        const OpenWBEM::String className = owString(cls->name);
        callProvider(d.providers,
                     [&]
                     {
                         if (namesOnly)
                         {
                             ip->enumInstanceNames(d.env, d.ns(), className, names, cimClass);
                         }
                         else
                         {
                             ip->enumInstances(d.env, d.ns(), className, instances,
                                               localOnly ? F::E_LOCAL_ONLY : F::E_NOT_LOCAL_ONLY,
                                               deep ? F::E_DEEP : F::E_SHALLOW,
                                               includeQualifiers ? F::E_INCLUDE_QUALIFIERS
                                                                 : F::E_EXCLUDE_QUALIFIERS,
                                               includeClassOrigin ? F::E_INCLUDE_CLASS_ORIGIN
                                                                  : F::E_EXCLUDE_CLASS_ORIGIN,
                                               listPointer(list), requestedClass, cimClass);
                         }
                     });
    }
    return out;
}

std::optional<std::string> createInstance(Dispatch& d)
{
    const IntrinsicParams p(d.call.params, {"NewInstance"});
    const OpenWBEM::CIMInstance& given = p.instance("NewInstance");
    const ClassDecl& cls = d.requireClass(given.getClassName().c_str());
    if (cls.isAbstract())
    {
        throwCim(CIMException::INVALID_PARAMETER,
                 "class " + cls.name + " is abstract and has no instances of its own");
    }
    const OpenWBEM::CIMInstance instance = fitInstance(given, cls, true);
    OpenWBEM::CppInstanceProviderIFC* ip = d.instanceProvider(cls);
    if (ip == nullptr)
    {
        throwCim(CIMException::NOT_SUPPORTED, "no provider serves class " + cls.name);
    }
    OpenWBEM::CIMObjectPath created =
        callProvider(d.providers, [&] { return ip->createInstance(d.env, d.ns(), instance); });
    if (!created)
    {
        // The provider did not name what it made; the new instance's keys do.
        created = instancePath(d.call.nameSpace, instance, &cls);
    }
    std::string out;
    d.writer(out).instanceName(created);
    return out;
}

std::optional<std::string> modifyInstance(Dispatch& d)
{
    const IntrinsicParams p(d.call.params,
                            {"ModifiedInstance", "IncludeQualifiers", "PropertyList"});
    const WireValue& named = p.namedInstance("ModifiedInstance");
    OpenWBEM::CIMObjectPath path = named.path;
    const ClassDecl& cls = d.requireClass(path.getClassName().c_str());
    if (!named.instance.getClassName().equalsIgnoreCase(path.getClassName()))
    {
        throwCim(CIMException::INVALID_PARAMETER,
                 "the instance's class differs from the class of its name");
    }
    path.setNameSpace(d.ns());
    path = castKeys(path, cls);
    const bool includeQualifiers = p.flag("IncludeQualifiers", true);
    std::optional<OpenWBEM::StringArray> list = p.propertyList();
    const OpenWBEM::CIMInstance modified = fitInstance(named.instance, cls, false);
    const OpenWBEM::CIMInstance previous =
        d.fetchInstance(path, cls, false, includeQualifiers, true, nullptr);
    OpenWBEM::CppInstanceProviderIFC* ip = d.instanceProvider(cls);
    const OpenWBEM::CIMClass cimClass = cls.toCIMClass();
    callProvider(d.providers,
                 [&]
                 {
                     ip->modifyInstance(d.env, d.ns(), modified, previous,
                                        includeQualifiers ? F::E_INCLUDE_QUALIFIERS
                                                          : F::E_EXCLUDE_QUALIFIERS,
                                        listPointer(list), cimClass);
                 });
    return std::nullopt;
}

std::optional<std::string> deleteInstance(Dispatch& d)
{
    const IntrinsicParams p(d.call.params, {"InstanceName"});
    OpenWBEM::CIMObjectPath path = p.instanceName("InstanceName");
    const ClassDecl& cls = d.requireClass(path.getClassName().c_str());
    path.setNameSpace(d.ns());
    path = castKeys(path, cls);
    // A missing instance fails here, with whatever the provider's getInstance says.
    d.fetchInstance(path, cls, false, false, false, nullptr);
    OpenWBEM::CppInstanceProviderIFC* ip = d.instanceProvider(cls);
    callProvider(d.providers, [&] { ip->deleteInstance(d.env, d.ns(), path); });
    return std::nullopt;
}

} // namespace cimom
