// Serves ZVQ_SoftwareUpdateComponent: enumerations list the optional components of the update
// the last optional-component check named, and modifyInstance records which of them the client
// wants installed. Creation, deletion and methods are refused.
// Thread-safety: operations may run on several CIMOM threads at once; the component context is
// only touched under ComponentContextLock.
#ifndef SWU_INSTALLED_COMPONENTPROVIDER_H
#define SWU_INSTALLED_COMPONENTPROVIDER_H

#include "OW_config.h"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_CppMethodProviderIFC.hpp"

#include "Component.h"

class ComponentProvider : public OpenWBEM::CppInstanceProviderIFC,
                          public OpenWBEM::CppMethodProviderIFC
{
public:
    virtual ~ComponentProvider();

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

    // Records the Install choice of the modified instance's InstanceID in gComponentList; only
    // the modified instance is read and no command runs.
    virtual void modifyInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                const OpenWBEM::String& ns,
                                const OpenWBEM::CIMInstance& modifiedInstance,
                                const OpenWBEM::CIMInstance& previousInstance,
                                OpenWBEM::WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                                const OpenWBEM::StringArray* propertyList,
                                const OpenWBEM::CIMClass& theClass);

    virtual void deleteInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                const OpenWBEM::String& ns, const OpenWBEM::CIMObjectPath& cop);

    virtual void initialize(const OpenWBEM::ProviderEnvironmentIFCRef& env);

    virtual OpenWBEM::CIMValue
    invokeMethod(const OpenWBEM::ProviderEnvironmentIFCRef& env, const OpenWBEM::String& ns,
                 const OpenWBEM::CIMObjectPath& path, const OpenWBEM::String& methodName,
                 const OpenWBEM::CIMParamValueArray& in, OpenWBEM::CIMParamValueArray& out);

    void cleanup();

    // Refills gComponentList from a new components listing; failures are thrown, so the result
    // is always true.
    bool UpdateList();

    // Gives `path` the single key InstanceID of the current entry `index`; an index past the
    // current list is CIM_ERR_NOT_FOUND.
    void SetObjectPathKeys(OpenWBEM::CIMObjectPath& path, unsigned int index);

    // The instance of the current entry `index` (CIM_ERR_NOT_FOUND past the list).
    OpenWBEM::CIMInstance GetInstance(int index);
};

// The one instance, registered with the master provider.
extern ComponentProvider gComponentProvider;

#endif
