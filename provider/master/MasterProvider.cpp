// The master provider's call log lines, routing and lifecycle, and the library entry points.
#include "MasterProvider.h"
#include "ClassNames.h"
#include "Registry.h"
#include "common/Common.h"

#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_CIMValue.hpp"

#include <cstdio>
#include <cstdlib>

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

struct RouteStep
{
    const String* className;
    SubProviderSlot slot;
};

// Instance operations compare the class name with these names in this order; the first equal
// name decides.
const RouteStep kInstanceRoute[] = {
    {&gAppliedUpdatesClass, SLOT_APPLIED_UPDATE_PROVIDER},
    {&gPendingUpdatesClass, SLOT_PENDING_UPDATE_PROVIDER},
    {&gAvaliableUpdatesClass, SLOT_AVALIABLE_UPDATE_PROVIDER},
    {&gActiveUpdatesClass, SLOT_ACTIVE_UPDATE_PROVIDER},
    {&gInventoryClass, SLOT_INVENTORY_PROVIDER},
    {&gEMVersionClass, SLOT_INVENTORY_PROVIDER},
    {&gFileNameClass, SLOT_FILE_NAME_PROVIDER},
    {&gFileListClass, SLOT_FILE_LIST},
    {&gComponentClass, SLOT_COMPONENT_PROVIDER},
};

// The same order without the file-name and file-list classes, which have no methods.
const RouteStep kMethodRoute[] = {
    {&gAppliedUpdatesClass, SLOT_APPLIED_UPDATE_PROVIDER},
    {&gPendingUpdatesClass, SLOT_PENDING_UPDATE_PROVIDER},
    {&gAvaliableUpdatesClass, SLOT_AVALIABLE_UPDATE_PROVIDER},
    {&gActiveUpdatesClass, SLOT_ACTIVE_UPDATE_PROVIDER},
    {&gInventoryClass, SLOT_INVENTORY_PROVIDER},
    {&gEMVersionClass, SLOT_INVENTORY_PROVIDER},
    {&gComponentClass, SLOT_COMPONENT_PROVIDER},
};

// The sub-providers the master initialises and cleans up, in this order. The association
// provider needs neither.
const SubProviderSlot kInitialisedSlots[] = {
    SLOT_APPLIED_UPDATE_PROVIDER, SLOT_PENDING_UPDATE_PROVIDER, SLOT_AVALIABLE_UPDATE_PROVIDER,
    SLOT_ACTIVE_UPDATE_PROVIDER,  SLOT_INVENTORY_PROVIDER,      SLOT_FILE_NAME_PROVIDER,
    SLOT_COMPONENT_PROVIDER,
};

template <size_t count>
const SubProviderEntry* FindRoute(const RouteStep (&route)[count], const String& className)
{
    for (size_t i = 0; i < count; ++i)
    {
        if (className.equals(*route[i].className))
        {
            return &gSubProviderRegistry[route[i].slot];
        }
    }
    return 0;
}

void RefuseClass() SWU_NORETURN;
void RefuseClass()
{
    OW_THROWCIM(CIMException::INVALID_CLASS);
}

CppInstanceProviderIFC& InstanceProviderFor(const String& className)
{
    const SubProviderEntry* entry = FindRoute(kInstanceRoute, className);
    if (entry == 0 || entry->instanceProvider == 0)
    {
        RefuseClass();
    }
    return *entry->instanceProvider;
}

CppMethodProviderIFC& MethodProviderFor(const String& className)
{
    const SubProviderEntry* entry = FindRoute(kMethodRoute, className);
    if (entry == 0 || entry->methodProvider == 0)
    {
        RefuseClass();
    }
    return *entry->methodProvider;
}

CppAssociatorProviderIFC& AssociatorProviderFor(const String& className)
{
    CppAssociatorProviderIFC* provider = gSubProviderRegistry[SLOT_FILE_LIST].associatorProvider;
    if (!className.equals(kFileListAssociationClass) || provider == 0)
    {
        RefuseClass();
    }
    return *provider;
}

void LogObjectPath(const CIMObjectPath& path)
{
    OutputDebug("ObjectPath=%s", path.toString().c_str());
}

} // namespace

SoftwareUpdateProvider::~SoftwareUpdateProvider() {}

CIMValue SoftwareUpdateProvider::invokeMethod(const ProviderEnvironmentIFCRef& env,
                                              const String& ns, const CIMObjectPath& path,
                                              const String& methodName,
                                              const CIMParamValueArray& in, CIMParamValueArray& out)
{
    String className = path.getClassName();
    OutputDebug("%s.invokeMethod()", className.c_str());
    OutputDebug("%s.%s()", className.c_str(), methodName.c_str());
    LogObjectPath(path);
    return MethodProviderFor(className).invokeMethod(env, ns, path, methodName, in, out);
}

void SoftwareUpdateProvider::initialize(const ProviderEnvironmentIFCRef& env)
{
    // Read as atoi would read it (leading blanks, sign, digits), without its undefined
    // behaviour on overflow.
    const char* debug = std::getenv(kDebugEnvironmentVariable);
    gProviderAgentDebug = debug != 0 && std::strtol(debug, 0, 10) != 0;

    gLogger = env->getLogger();

    for (size_t i = 0; i < sizeof(kInitialisedSlots) / sizeof(kInitialisedSlots[0]); ++i)
    {
        CppInstanceProviderIFC* provider =
            gSubProviderRegistry[kInitialisedSlots[i]].instanceProvider;
        if (provider != 0)
        {
            provider->initialize(env);
        }
    }
}

void SoftwareUpdateProvider::enumInstanceNames(const ProviderEnvironmentIFCRef& env,
                                               const String& ns, const String& className,
                                               CIMObjectPathResultHandlerIFC& result,
                                               const CIMClass& cimClass)
{
    OutputDebug("%s.enumInstanceNames()", className.c_str());
    InstanceProviderFor(className).enumInstanceNames(env, ns, className, result, cimClass);
}

void SoftwareUpdateProvider::enumInstances(
    const ProviderEnvironmentIFCRef& env, const String& ns, const String& className,
    CIMInstanceResultHandlerIFC& result, ELocalOnlyFlag localOnly, EDeepFlag deep,
    EIncludeQualifiersFlag includeQualifiers, EIncludeClassOriginFlag includeClassOrigin,
    const StringArray* propertyList, const CIMClass& requestedClass, const CIMClass& cimClass)
{
    // The misspelt operation name is the established text of this log line; keep it.
    OutputDebug("%s.enumInstanes()", className.c_str());
    PrintPropertiesList(propertyList);
    InstanceProviderFor(className).enumInstances(env, ns, className, result, localOnly, deep,
                                                 includeQualifiers, includeClassOrigin,
                                                 propertyList, requestedClass, cimClass);
}

CIMInstance SoftwareUpdateProvider::getInstance(const ProviderEnvironmentIFCRef& env,
                                                const String& ns, const CIMObjectPath& instanceName,
                                                ELocalOnlyFlag localOnly,
                                                EIncludeQualifiersFlag includeQualifiers,
                                                EIncludeClassOriginFlag includeClassOrigin,
                                                const StringArray* propertyList,
                                                const CIMClass& cimClass)
{
    String className = instanceName.getClassName();
    OutputDebug("%s.getInstance()", className.c_str());
    LogObjectPath(instanceName);
    PrintPropertiesList(propertyList);
    return InstanceProviderFor(className).getInstance(env, ns, instanceName, localOnly,
                                                      includeQualifiers, includeClassOrigin,
                                                      propertyList, cimClass);
}

CIMObjectPath SoftwareUpdateProvider::createInstance(const ProviderEnvironmentIFCRef& env,
                                                     const String& ns,
                                                     const CIMInstance& cimInstance)
{
    String className = cimInstance.getClassName();
    // Deliberately unlike the other call lines: printed whatever the debug switch, not logged.
    std::printf("%s.createInstance()\n", className.c_str());
    std::fflush(stdout);
    return InstanceProviderFor(className).createInstance(env, ns, cimInstance);
}

void SoftwareUpdateProvider::deleteInstance(const ProviderEnvironmentIFCRef& env, const String& ns,
                                            const CIMObjectPath& cop)
{
    String className = cop.getClassName();
    OutputDebug("%s.deleteInstance()", className.c_str());
    OutputDebug("Instance=%s", cop.toString().c_str());
    InstanceProviderFor(className).deleteInstance(env, ns, cop);
}

void SoftwareUpdateProvider::modifyInstance(const ProviderEnvironmentIFCRef& env, const String& ns,
                                            const CIMInstance& modifiedInstance,
                                            const CIMInstance& previousInstance,
                                            EIncludeQualifiersFlag includeQualifiers,
                                            const StringArray* propertyList,
                                            const CIMClass& theClass)
{
    String className = modifiedInstance.getClassName();
    OutputDebug("%s.modifyInstance()", className.c_str());
    PrintPropertiesList(propertyList);
    InstanceProviderFor(className).modifyInstance(env, ns, modifiedInstance, previousInstance,
                                                  includeQualifiers, propertyList, theClass);
}

void SoftwareUpdateProvider::associators(
    const ProviderEnvironmentIFCRef& env, CIMInstanceResultHandlerIFC& result, const String& ns,
    const CIMObjectPath& objectName, const String& assocClass, const String& resultClass,
    const String& role, const String& resultRole, EIncludeQualifiersFlag includeQualifiers,
    EIncludeClassOriginFlag includeClassOrigin, const StringArray* propertyList)
{
    OutputDebug("%s.associator()", assocClass.c_str());
    LogObjectPath(objectName);
    AssociatorProviderFor(assocClass)
        .associators(env, result, ns, objectName, assocClass, resultClass, role, resultRole,
                     includeQualifiers, includeClassOrigin, propertyList);
}

void SoftwareUpdateProvider::associatorNames(const ProviderEnvironmentIFCRef& env,
                                             CIMObjectPathResultHandlerIFC& result,
                                             const String& ns, const CIMObjectPath& objectName,
                                             const String& assocClass, const String& resultClass,
                                             const String& role, const String& resultRole)
{
    OutputDebug("%s.associatorNames()", assocClass.c_str());
    LogObjectPath(objectName);
    AssociatorProviderFor(assocClass)
        .associatorNames(env, result, ns, objectName, assocClass, resultClass, role, resultRole);
}

void SoftwareUpdateProvider::references(const ProviderEnvironmentIFCRef& env,
                                        CIMInstanceResultHandlerIFC& result, const String& ns,
                                        const CIMObjectPath& objectName, const String& resultClass,
                                        const String& role,
                                        EIncludeQualifiersFlag includeQualifiers,
                                        EIncludeClassOriginFlag includeClassOrigin,
                                        const StringArray* propertyList)
{
    OutputDebug("%s.references()", resultClass.c_str());
    LogObjectPath(objectName);
    AssociatorProviderFor(resultClass)
        .references(env, result, ns, objectName, resultClass, role, includeQualifiers,
                    includeClassOrigin, propertyList);
}

void SoftwareUpdateProvider::referenceNames(const ProviderEnvironmentIFCRef& env,
                                            CIMObjectPathResultHandlerIFC& result, const String& ns,
                                            const CIMObjectPath& objectName,
                                            const String& resultClass, const String& role)
{
    OutputDebug("%s.referenceNames()", resultClass.c_str());
    LogObjectPath(objectName);
    AssociatorProviderFor(resultClass)
        .referenceNames(env, result, ns, objectName, resultClass, role);
}

void SoftwareUpdateProvider::cleanup()
{
    for (size_t i = 0; i < sizeof(kInitialisedSlots) / sizeof(kInitialisedSlots[0]); ++i)
    {
        void (*cleanupHook)() = gSubProviderRegistry[kInitialisedSlots[i]].cleanup;
        if (cleanupHook != 0)
        {
            cleanupHook();
        }
    }
}

void PrintPropertiesList(const StringArray* propertyList)
{
    if (propertyList == 0)
    {
        OutputDebug("Property list not specified");
        return;
    }
    String line("Property list: ");
    for (size_t i = 0; i < propertyList->size(); ++i)
    {
        if (i != 0)
        {
            line += ",";
        }
        line += (*propertyList)[i];
    }
    OutputDebug("%s", line.c_str());
}

// getOWVersion and createProviderSoftwareUpdateProvider: the provider id is the library's
// name, libSoftwareUpdateProvider.so, without "lib" and the extension.
OW_PROVIDERFACTORY(SoftwareUpdateProvider, SoftwareUpdateProvider)
