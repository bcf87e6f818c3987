// The master provider: the one object the CIMOM creates from this library and talks to. Every
// operation writes its call log lines, finds the sub-provider that owns the class by name and
// forwards the call unchanged; classes it does not serve are refused with CIM_ERR_INVALID_CLASS.
// Thread-safety: stateless; any number of CIMOM threads, after the one initialize call.
#ifndef SWU_MASTER_MASTERPROVIDER_H
#define SWU_MASTER_MASTERPROVIDER_H

#include "OW_config.h"
#include "OW_CppMethodProviderIFC.hpp"
#include "OW_CppAssociatorProviderIFC.hpp"

// The environment variable whose non-zero number turns diagnostics on standard output on.
const char kDebugEnvironmentVariable[] = "provider_agent_debug";

class SoftwareUpdateProvider : public OpenWBEM::CppMethodProviderIFC,
                               public OpenWBEM::CppAssociatorProviderIFC
{
public:
    virtual ~SoftwareUpdateProvider();

    virtual OpenWBEM::CIMValue
    invokeMethod(const OpenWBEM::ProviderEnvironmentIFCRef& env, const OpenWBEM::String& ns,
                 const OpenWBEM::CIMObjectPath& path, const OpenWBEM::String& methodName,
                 const OpenWBEM::CIMParamValueArray& in, OpenWBEM::CIMParamValueArray& out);

    virtual void initialize(const OpenWBEM::ProviderEnvironmentIFCRef& env);

    virtual void enumInstanceNames(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                   const OpenWBEM::String& ns, const OpenWBEM::String& className,
                                   OpenWBEM::CIMObjectPathResultHandlerIFC& result,
                                   const OpenWBEM::CIMClass& cimClass);

    virtual void enumInstances(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                               const OpenWBEM::String& ns, const OpenWBEM::String& className,
                               OpenWBEM::CIMInstanceResultHandlerIFC& result,
                               OpenWBEM::WBEMFlags::ELocalOnlyFlag localOnly,
                               OpenWBEM::WBEMFlags::EDeepFlag deep,
                               OpenWBEM::WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                               OpenWBEM::WBEMFlags::EIncludeClassOriginFlag includeClassOrigin,
                               const OpenWBEM::StringArray* propertyList,
                               const OpenWBEM::CIMClass& requestedClass,
                               const OpenWBEM::CIMClass& cimClass);

    virtual OpenWBEM::CIMInstance
    getInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env, const OpenWBEM::String& ns,
                const OpenWBEM::CIMObjectPath& instanceName,
                OpenWBEM::WBEMFlags::ELocalOnlyFlag localOnly,
                OpenWBEM::WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                OpenWBEM::WBEMFlags::EIncludeClassOriginFlag includeClassOrigin,
                const OpenWBEM::StringArray* propertyList, const OpenWBEM::CIMClass& cimClass);

    virtual OpenWBEM::CIMObjectPath createInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                                   const OpenWBEM::String& ns,
                                                   const OpenWBEM::CIMInstance& cimInstance);

    virtual void deleteInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                const OpenWBEM::String& ns, const OpenWBEM::CIMObjectPath& cop);

    virtual void modifyInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                const OpenWBEM::String& ns,
                                const OpenWBEM::CIMInstance& modifiedInstance,
                                const OpenWBEM::CIMInstance& previousInstance,
                                OpenWBEM::WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                                const OpenWBEM::StringArray* propertyList,
                                const OpenWBEM::CIMClass& theClass);

    virtual void associators(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                             OpenWBEM::CIMInstanceResultHandlerIFC& result,
                             const OpenWBEM::String& ns, const OpenWBEM::CIMObjectPath& objectName,
                             const OpenWBEM::String& assocClass,
                             const OpenWBEM::String& resultClass, const OpenWBEM::String& role,
                             const OpenWBEM::String& resultRole,
                             OpenWBEM::WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                             OpenWBEM::WBEMFlags::EIncludeClassOriginFlag includeClassOrigin,
                             const OpenWBEM::StringArray* propertyList);

    virtual void associatorNames(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                 OpenWBEM::CIMObjectPathResultHandlerIFC& result,
                                 const OpenWBEM::String& ns,
                                 const OpenWBEM::CIMObjectPath& objectName,
                                 const OpenWBEM::String& assocClass,
                                 const OpenWBEM::String& resultClass, const OpenWBEM::String& role,
                                 const OpenWBEM::String& resultRole);

    virtual void references(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                            OpenWBEM::CIMInstanceResultHandlerIFC& result,
                            const OpenWBEM::String& ns, const OpenWBEM::CIMObjectPath& objectName,
                            const OpenWBEM::String& resultClass, const OpenWBEM::String& role,
                            OpenWBEM::WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                            OpenWBEM::WBEMFlags::EIncludeClassOriginFlag includeClassOrigin,
                            const OpenWBEM::StringArray* propertyList);

    virtual void referenceNames(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                OpenWBEM::CIMObjectPathResultHandlerIFC& result,
                                const OpenWBEM::String& ns,
                                const OpenWBEM::CIMObjectPath& objectName,
                                const OpenWBEM::String& resultClass, const OpenWBEM::String& role);

    // Calls cleanup on the sub-providers initialize initialises, in the same order. Not part of
    // the OpenWBEM interfaces, so the CIMOM never calls it.
    void cleanup();
};

// Writes the property-list line: "Property list not specified" for a null list, otherwise
// "Property list: " and the names joined by ",".
void PrintPropertiesList(const OpenWBEM::StringArray* propertyList);

#endif
