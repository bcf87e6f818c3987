// The sub-provider of ZVQ_ActiveSoftwareUpdate: one instance per update the tool is applying
// right now, with the method "Cancel" that rolls it back. Instances cannot be created, changed
// or deleted. Every request reads the tool's list afresh.
// Thread-safety: holds no state; requests on several CIMOM threads may run at once.
#ifndef SWU_UPDATES_ACTIVEPROVIDER_H
#define SWU_UPDATES_ACTIVEPROVIDER_H

#include "OW_config.h"
#include "OW_CIMClass.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_CIMValue.hpp"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_CppMethodProviderIFC.hpp"

#include "Active.h"

const char kActiveUpdateClassName[] = "ZVQ_ActiveSoftwareUpdate";
const char kCancelMethodName[] = "Cancel";

class ActiveUpdateProvider : public OpenWBEM::CppInstanceProviderIFC,
                             public OpenWBEM::CppMethodProviderIFC
{
public:
    virtual ~ActiveUpdateProvider();

    virtual void initialize(const OpenWBEM::ProviderEnvironmentIFCRef& env);
    void cleanup();

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

    // Refused with CIM_ERR_NOT_SUPPORTED: updates start being applied on the available update.
    virtual OpenWBEM::CIMObjectPath createInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                                   const OpenWBEM::String& ns,
                                                   const OpenWBEM::CIMInstance& cimInstance);

    // Refused with CIM_ERR_NOT_SUPPORTED.
    virtual void modifyInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                const OpenWBEM::String& ns,
                                const OpenWBEM::CIMInstance& modifiedInstance,
                                const OpenWBEM::CIMInstance& previousInstance,
                                OpenWBEM::WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                                const OpenWBEM::StringArray* propertyList,
                                const OpenWBEM::CIMClass& theClass);

    // Looks the update up (so an unknown one is NOT_FOUND), then refuses with
    // CIM_ERR_NOT_SUPPORTED: stopping an update is "Cancel", never a delete.
    virtual void deleteInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                const OpenWBEM::String& ns, const OpenWBEM::CIMObjectPath& cop);

    // The update is looked up before the method name is examined.
    virtual OpenWBEM::CIMValue
    invokeMethod(const OpenWBEM::ProviderEnvironmentIFCRef& env, const OpenWBEM::String& ns,
                 const OpenWBEM::CIMObjectPath& path, const OpenWBEM::String& methodName,
                 const OpenWBEM::CIMParamValueArray& in, OpenWBEM::CIMParamValueArray& out);

    // Sets the class's properties on `instance`, in their fixed order; UpdateDescription is left
    // out when the description command fails.
    void ActiveUpdateToCIMInstance(const OpenWBEM::String& ns, ActiveUpdate& record,
                                   const OpenWBEM::CIMClass& cimClass,
                                   OpenWBEM::CIMInstance& instance);

    void ActiveUpdateToCIMObjectPath(const ActiveUpdate& record, OpenWBEM::CIMObjectPath& path);

    // The update the path's InstanceID names, read afresh from the tool.
    void getActiveUpdateWithCIMObjectPath(const OpenWBEM::CIMObjectPath& path,
                                          ActiveUpdate& record);
};

extern ActiveUpdateProvider gActiveUpdateProvider;

#endif
