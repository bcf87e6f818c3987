// Serves ZVQ_HistorySoftwareUpdate: enumerations list the applied updates afresh, getInstance
// and the Remove method work on the records the last enumeration left, and Remove rolls an
// update back in the background. Instances cannot be created, modified or deleted.
// Thread-safety: operations may run on several CIMOM threads at once; the shared list is only
// touched under its lock, and enumerations hand out the listing they ran themselves.
#ifndef SWU_INSTALLED_HISTORYPROVIDER_H
#define SWU_INSTALLED_HISTORYPROVIDER_H

#include "OW_config.h"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_CppMethodProviderIFC.hpp"

#include "History.h"

class HistoryUpdateProvider : public OpenWBEM::CppInstanceProviderIFC,
                              public OpenWBEM::CppMethodProviderIFC
{
public:
    virtual ~HistoryUpdateProvider();

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

    virtual void initialize(const OpenWBEM::ProviderEnvironmentIFCRef& env);

    virtual OpenWBEM::CIMValue
    invokeMethod(const OpenWBEM::ProviderEnvironmentIFCRef& env, const OpenWBEM::String& ns,
                 const OpenWBEM::CIMObjectPath& path, const OpenWBEM::String& methodName,
                 const OpenWBEM::CIMParamValueArray& in, OpenWBEM::CIMParamValueArray& out);

    void cleanup();

    // Refills gHistoryList from a new history listing; failures are thrown, so the result is
    // always true.
    bool UpdateHistoryList();

    // Gives `path` the single key InstanceID of the current entry `index`; an index past the
    // current list is CIM_ERR_NOT_FOUND.
    void SetObjectPathKeys(OpenWBEM::CIMObjectPath& path, unsigned int index);

    // The instance of the current entry `index` (CIM_ERR_NOT_FOUND past the list). When the
    // property list names UpdateDescription, the update's description is asked from the tool.
    OpenWBEM::CIMInstance GetInstance(int index, const OpenWBEM::StringArray* propertyList);
};

// The one instance, registered with the master provider.
extern HistoryUpdateProvider gAppliedUpdateProvider;

#endif
