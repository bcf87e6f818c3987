// The sub-provider of ZVQ_ScheduledSoftwareUpdate: one instance per update on the tool's
// schedule, deleted by taking it off the schedule, with the methods "Modify" (new schedule
// dates) and "Remove". Every request reads the schedule afresh from the tool.
// Thread-safety: holds no state; requests on several CIMOM threads may run at once.
#ifndef SWU_UPDATES_SCHEDULEDPROVIDER_H
#define SWU_UPDATES_SCHEDULEDPROVIDER_H

#include "OW_config.h"
#include "OW_CIMClass.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_CIMValue.hpp"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_CppMethodProviderIFC.hpp"

#include "Scheduled.h"

const char kScheduledUpdateClassName[] = "ZVQ_ScheduledSoftwareUpdate";
const char kModifyMethodName[] = "Modify";
const char kRemoveMethodName[] = "Remove";
// "Modify" takes exactly this many in-parameters, both datetimes, read by position.
const size_t kModifyParameterCount = 2;

// The text of the path's InstanceID key. A path without that key, or whose key has no value,
// is refused with CIM_ERR_INVALID_PARAMETER without message text.
OpenWBEM::String InstanceIDOfPath(const OpenWBEM::CIMObjectPath& path);

// The path's keys replaced by the one InstanceID key holding `instanceID`.
void SetInstanceIDKey(const OpenWBEM::String& instanceID, OpenWBEM::CIMObjectPath& path);

// An empty string value: what "Modify", "Remove" and "Cancel" answer.
OpenWBEM::CIMValue EmptyMethodResult();

class ScheduledUpdateProvider : public OpenWBEM::CppInstanceProviderIFC,
                                public OpenWBEM::CppMethodProviderIFC
{
public:
    virtual ~ScheduledUpdateProvider();

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

    // Refused with CIM_ERR_NOT_SUPPORTED: scheduling is done on the available update.
    virtual OpenWBEM::CIMObjectPath createInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                                   const OpenWBEM::String& ns,
                                                   const OpenWBEM::CIMInstance& cimInstance);

    // Refused with CIM_ERR_NOT_SUPPORTED: new dates go through "Modify".
    virtual void modifyInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                const OpenWBEM::String& ns,
                                const OpenWBEM::CIMInstance& modifiedInstance,
                                const OpenWBEM::CIMInstance& previousInstance,
                                OpenWBEM::WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                                const OpenWBEM::StringArray* propertyList,
                                const OpenWBEM::CIMClass& theClass);

    // Takes the update off the schedule, as "Remove" does.
    virtual void deleteInstance(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                const OpenWBEM::String& ns, const OpenWBEM::CIMObjectPath& cop);

    // The update is looked up before the method name is examined.
    virtual OpenWBEM::CIMValue
    invokeMethod(const OpenWBEM::ProviderEnvironmentIFCRef& env, const OpenWBEM::String& ns,
                 const OpenWBEM::CIMObjectPath& path, const OpenWBEM::String& methodName,
                 const OpenWBEM::CIMParamValueArray& in, OpenWBEM::CIMParamValueArray& out);

    // Sets the class's properties on `instance`, in their fixed order. Runs the description
    // command, hence not const on the record; UpdateDescription is left out when it fails.
    void ScheduledUpdateToCIMInstance(const OpenWBEM::String& ns, ScheduledUpdate& record,
                                      const OpenWBEM::CIMClass& cimClass,
                                      OpenWBEM::CIMInstance& instance);

    void ScheduledUpdateToCIMObjectPath(const ScheduledUpdate& record,
                                        OpenWBEM::CIMObjectPath& path);

    // The update the path's InstanceID names, read afresh from the tool.
    void getScheduledUpdateWithCIMObjectPath(const OpenWBEM::CIMObjectPath& path,
                                             ScheduledUpdate& record);
};

extern ScheduledUpdateProvider gPendingUpdateProvider;

#endif
