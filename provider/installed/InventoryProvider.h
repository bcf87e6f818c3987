// Serves ZVQ_SoftwareIdentity (one instance per installed package) and
// ZVQ_ElementManagerCartridgeVersionInfo (the version of the package named like the configured
// cartridge) from one inventory listing, telling the two apart by the requested class name.
// Enumerations list afresh; getInstance reads what the last enumeration of either class left.
// Thread-safety: operations may run on several CIMOM threads at once; the list and the
// cartridge name are only touched under InventoryListLock.
#ifndef SWU_INSTALLED_INVENTORYPROVIDER_H
#define SWU_INSTALLED_INVENTORYPROVIDER_H

#include "OW_config.h"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_CppMethodProviderIFC.hpp"

#include "Inventory.h"

class InventoryProvider : public OpenWBEM::CppInstanceProviderIFC,
                          public OpenWBEM::CppMethodProviderIFC
{
public:
    virtual ~InventoryProvider();

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

    virtual void modifyInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                const OpenWBEM::String& ns,
                                const OpenWBEM::CIMInstance& modifiedInstance,
                                const OpenWBEM::CIMInstance& previousInstance,
                                OpenWBEM::WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                                const OpenWBEM::StringArray* propertyList,
                                const OpenWBEM::CIMClass& theClass);

    virtual void deleteInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                const OpenWBEM::String& ns, const OpenWBEM::CIMObjectPath& cop);

    // Takes the CIMOM's logger again and reads the cartridge name from the configuration.
    virtual void initialize(const OpenWBEM::ProviderEnvironmentIFCRef& env);

    virtual OpenWBEM::CIMValue
    invokeMethod(const OpenWBEM::ProviderEnvironmentIFCRef& env, const OpenWBEM::String& ns,
                 const OpenWBEM::CIMObjectPath& path, const OpenWBEM::String& methodName,
                 const OpenWBEM::CIMParamValueArray& in, OpenWBEM::CIMParamValueArray& out);

    void cleanup();

    // Refills gInventoryList from a new inventory listing; failures are thrown, so the result is
    // always true.
    bool UpdateList();

    // Gives `path` the single key InstanceID of the current entry `index`; an index past the
    // current list is CIM_ERR_NOT_FOUND.
    void SetObjectPathKeys(OpenWBEM::CIMObjectPath& path, unsigned int index);

    // The ZVQ_SoftwareIdentity instance of the current entry `index` (CIM_ERR_NOT_FOUND past the
    // list); the property list is not consulted.
    OpenWBEM::CIMInstance GetInstance(int index, const OpenWBEM::StringArray* propertyList);
};

// The one instance, registered with the master provider.
extern InventoryProvider gInventoryProvider;

#endif
