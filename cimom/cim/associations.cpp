// Associators, AssociatorNames, References and ReferenceNames. For an instance the
// association classes come from the repository and each one's provider is asked under that
// class's name; for a class the repository answers alone (schema traversal).
#include "cim/service.h"

#include "cim/typing.h"

#include "OW_CIMObjectPath.hpp"
#include "OW_CppAssociatorProviderIFC.hpp"
#include "OW_ResultHandlerIFC.hpp"

#include <algorithm>
#include <strings.h>

namespace cimom
{

namespace
{

using OpenWBEM::CIMException;
namespace F = OpenWBEM::WBEMFlags;

bool sameName(const std::string& a, const std::string& b)
{
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

class ObjectWithPathWriter : public OpenWBEM::CIMInstanceResultHandlerIFC
{
public:
    ObjectWithPathWriter(const Dispatch& d, std::string& out) : d_(d), out_(out) {}

protected:
    void doHandle(const OpenWBEM::CIMInstance& instance) override
    {
        if (!instance)
        {
            d_.providers.logger()->logError("provider passed a null instance; it is left out");
            return;
        }
        const ClassDecl* cls = d_.repository.find(instance.getClassName().c_str());
        out_ += "<VALUE.OBJECTWITHPATH>";
        CimXmlWriter writer = d_.writer(out_);
        writer.fullPath(instancePath(d_.call.nameSpace, instance, cls), d_.call.nameSpace);
        writer.instance(instance);
        out_ += "</VALUE.OBJECTWITHPATH>";
    }

private:
    const Dispatch& d_;
    std::string& out_;
};

class ObjectPathWriter : public OpenWBEM::CIMObjectPathResultHandlerIFC
{
public:
    ObjectPathWriter(const Dispatch& d, std::string& out) : d_(d), out_(out) {}

protected:
    void doHandle(const OpenWBEM::CIMObjectPath& path) override
    {
        if (!path)
        {
            d_.providers.logger()->logError("provider passed a null path; it is left out");
            return;
        }
        out_ += "<OBJECTPATH>";
        d_.writer(out_).fullPath(path, d_.call.nameSpace);
        out_ += "</OBJECTPATH>";
    }

private:
    const Dispatch& d_;
    std::string& out_;
};

struct Query
{
    AssociationQuery kind;
    bool names;
    bool references;
    const ClassDecl* assocFilter; // AssocClass, or for References the ResultClass
    std::string resultClass;
    std::string role;
    std::string resultRole;
    bool includeQualifiers;
    bool includeClassOrigin;
    std::optional<OpenWBEM::StringArray> propertyList;
};

void addOnce(std::vector<const ClassDecl*>& classes, const ClassDecl* cls)
{
    if (cls != nullptr && std::find(classes.begin(), classes.end(), cls) == classes.end())
    {
        classes.push_back(cls);
    }
}

// Schema traversal: the association classes that can link the class, or the classes they
// link it to.
std::string classAssociations(const Dispatch& d, const Query& q, const ClassDecl& objectClass)
{
    std::vector<const ClassDecl*> results;
    for (const ClassDecl* assoc : d.repository.associationsReferencing(objectClass.name))
    {
        if (q.assocFilter != nullptr &&
            !d.repository.isSubclassOf(assoc->name, q.assocFilter->name))
        {
            continue;
        }
        for (const PropertyDecl& end : assoc->properties)
        {
            if (end.type.type != OpenWBEM::CIMDataType::REFERENCE ||
                !d.repository.isSubclassOf(objectClass.name, end.type.referenceClass) ||
                (!q.role.empty() && !sameName(q.role, end.name)))
            {
                continue;
            }
            if (q.references)
            {
                addOnce(results, assoc);
                continue;
            }
            for (const PropertyDecl& other : assoc->properties)
            {
                const ClassDecl* target = d.repository.find(other.type.referenceClass);
                if (&other == &end || other.type.type != OpenWBEM::CIMDataType::REFERENCE ||
                    target == nullptr ||
                    (!q.resultRole.empty() && !sameName(q.resultRole, other.name)) ||
                    (!q.resultClass.empty() &&
                     !d.repository.isSubclassOf(target->name, q.resultClass)))
                {
                    continue;
                }
                addOnce(results, target);
            }
        }
    }
    ClassView view;
    view.includeQualifiers = q.includeQualifiers;
    view.includeClassOrigin = q.includeClassOrigin;
    if (q.propertyList)
    {
        view.propertyList.emplace();
        for (const OpenWBEM::String& name : *q.propertyList)
        {
            view.propertyList->push_back(name.c_str());
        }
    }
    std::string out;
    CimXmlWriter writer = d.writer(out);
    for (const ClassDecl* cls : results)
    {
        const OpenWBEM::CIMObjectPath path(owString(cls->name), d.ns());
        out += q.names ? "<OBJECTPATH>" : "<VALUE.OBJECTWITHPATH>";
        writer.fullPath(path, d.call.nameSpace);
        if (!q.names)
        {
            writer.classDecl(*cls, view);
        }
        out += q.names ? "</OBJECTPATH>" : "</VALUE.OBJECTWITHPATH>";
    }
    return out;
}

Query readQuery(const Dispatch& d, AssociationQuery kind, OpenWBEM::CIMObjectPath& objectName)
{
    Query q{kind, false, false, nullptr, "", "", "", false, false, std::nullopt};
    q.names = kind == AssociationQuery::AssociatorNames || kind == AssociationQuery::ReferenceNames;
    q.references = kind == AssociationQuery::References || kind == AssociationQuery::ReferenceNames;
    std::vector<const char*> known{"ObjectName", "ResultClass", "Role"};
    if (!q.references)
    {
        known.insert(known.end(), {"AssocClass", "ResultRole"});
    }
    if (!q.names)
    {
        known.insert(known.end(), {"IncludeQualifiers", "IncludeClassOrigin", "PropertyList"});
    }
    const IntrinsicParams p(d.call.params, known);
    objectName = p.objectName("ObjectName");
    const char* filterParam = q.references ? "ResultClass" : "AssocClass";
    const std::string filter = p.className(filterParam, false);
    if (!filter.empty())
    {
        q.assocFilter = d.repository.find(filter);
        if (q.assocFilter == nullptr)
        {
            throwCim(CIMException::INVALID_PARAMETER,
                     std::string(filterParam) + " " + filter + " does not exist");
        }
    }
    if (!q.references)
    {
        q.resultClass = p.className("ResultClass", false);
        q.resultRole = p.text("ResultRole");
    }
    q.role = p.text("Role");
    if (!q.names)
    {
        q.includeQualifiers = p.flag("IncludeQualifiers", false);
        q.includeClassOrigin = p.flag("IncludeClassOrigin", false);
        q.propertyList = p.propertyList();
    }
    return q;
}

} // namespace

std::optional<std::string> associations(Dispatch& d, AssociationQuery kind)
{
    OpenWBEM::CIMObjectPath objectName;
    const Query q = readQuery(d, kind, objectName);
    const ClassDecl& objectClass = d.requireClass(objectName.getClassName().c_str(), CIMException::NOT_FOUND);
    if (!objectName.isInstancePath())
    {
        return classAssociations(d, q, objectClass);
    }
    objectName.setNameSpace(d.ns());
    const OpenWBEM::CIMObjectPath path = castKeys(objectName, objectClass);

    std::vector<const ClassDecl*> assocs;
    if (q.assocFilter != nullptr)
    {
        addOnce(assocs, q.assocFilter);
        for (const ClassDecl* sub : d.repository.subclasses(q.assocFilter->name, true))
        {
            addOnce(assocs, sub);
        }
    }
    else
    {
        assocs = d.repository.associationsReferencing(objectClass.name);
    }

    std::string out;
    ObjectWithPathWriter objects(d, out);
    ObjectPathWriter names(d, out);
    const OpenWBEM::StringArray* list = q.propertyList ? &*q.propertyList : nullptr;
    const auto qualifiers = q.includeQualifiers ? F::E_INCLUDE_QUALIFIERS : F::E_EXCLUDE_QUALIFIERS;
    const auto origin =
        q.includeClassOrigin ? F::E_INCLUDE_CLASS_ORIGIN : F::E_EXCLUDE_CLASS_ORIGIN;
    for (const ClassDecl* assoc : assocs)
    {
        const std::string id = assoc->providerId();
        if (!assoc->isAssociation() || id.empty())
        {
            continue;
        }
        OpenWBEM::CppAssociatorProviderIFC* ap = callProvider(
            d.providers, [&] { return d.providers.provider(id).getAssociatorProvider(); });
        if (ap == nullptr)
        {
            d.providers.logger()->logError(owString("provider " + id + " of association " +
                                                    assoc->name + " has no associator interface"));
            continue;
        }
        const OpenWBEM::String assocName = owString(assoc->name);
        const OpenWBEM::String resultClass = owString(q.resultClass);
        const OpenWBEM::String role = owString(q.role);
        const OpenWBEM::String resultRole = owString(q.resultRole);
        callProvider(d.providers,
                     [&]
                     {
                         switch (kind)
                         {
                         case AssociationQuery::Associators:
                             ap->associators(d.env, objects, d.ns(), path, assocName, resultClass,
                                             role, resultRole, qualifiers, origin, list);
                             break;
                         case AssociationQuery::AssociatorNames:
                             ap->associatorNames(d.env, names, d.ns(), path, assocName, resultClass,
                                                 role, resultRole);
                             break;
                         case AssociationQuery::References:
                             ap->references(d.env, objects, d.ns(), path, assocName, role,
                                            qualifiers, origin, list);
                             break;
                         case AssociationQuery::ReferenceNames:
                             ap->referenceNames(d.env, names, d.ns(), path, assocName, role);
                             break;
                         }
                     });
    }
    return out;
}

} // namespace cimom
