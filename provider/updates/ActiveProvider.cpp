// Active updates as CIM instances, and their cancellation.
#include "ActiveProvider.h"
#include "ScheduledProvider.h"
#include "common/Common.h"

#include "OW_CIMDateTime.hpp"
#include "OW_CIMException.hpp"
#include "OW_ResultHandlerIFC.hpp"

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

ActiveUpdateProvider::~ActiveUpdateProvider() {}

void ActiveUpdateProvider::initialize(const ProviderEnvironmentIFCRef&)
{
    ActiveUpdate_ObjectInstanceManager manager;
    manager.init();
}

void ActiveUpdateProvider::cleanup() {}

void ActiveUpdateProvider::enumInstanceNames(const ProviderEnvironmentIFCRef&, const String& ns,
                                             const String& className,
                                             CIMObjectPathResultHandlerIFC& result, const CIMClass&)
{
    CIMObjectPath path(className, ns);
    ActiveUpdate_ObjectInstanceManager manager;
    manager.startIteration();
    while (manager.hasNext())
    {
        ActiveUpdate record;
        manager.getNext(record);
        ActiveUpdateToCIMObjectPath(record, path);
        result.handle(path);
    }
    manager.endIteration();
}

void ActiveUpdateProvider::enumInstances(const ProviderEnvironmentIFCRef&, const String& ns,
                                         const String&, CIMInstanceResultHandlerIFC& result,
                                         ELocalOnlyFlag, EDeepFlag, EIncludeQualifiersFlag,
                                         EIncludeClassOriginFlag, const StringArray*,
                                         const CIMClass&, const CIMClass& cimClass)
{
    ActiveUpdate_ObjectInstanceManager manager;
    manager.startIteration();
    while (manager.hasNext())
    {
        ActiveUpdate record;
        manager.getNext(record);
        CIMInstance instance(kActiveUpdateClassName);
        ActiveUpdateToCIMInstance(ns, record, cimClass, instance);
        result.handle(instance);
    }
    manager.endIteration();
}

CIMInstance ActiveUpdateProvider::getInstance(const ProviderEnvironmentIFCRef&, const String& ns,
                                              const CIMObjectPath& instanceName, ELocalOnlyFlag,
                                              EIncludeQualifiersFlag, EIncludeClassOriginFlag,
                                              const StringArray*, const CIMClass& cimClass)
{
    ActiveUpdate record;
    getActiveUpdateWithCIMObjectPath(instanceName, record);
    CIMInstance instance(kActiveUpdateClassName);
    ActiveUpdateToCIMInstance(ns, record, cimClass, instance);
    return instance;
}

CIMObjectPath ActiveUpdateProvider::createInstance(const ProviderEnvironmentIFCRef&, const String&,
                                                   const CIMInstance&)
{
    OW_THROWCIM(CIMException::NOT_SUPPORTED);
}

void ActiveUpdateProvider::modifyInstance(const ProviderEnvironmentIFCRef&, const String&,
                                          const CIMInstance&, const CIMInstance&,
                                          EIncludeQualifiersFlag, const StringArray*,
                                          const CIMClass&)
{
    OW_THROWCIM(CIMException::NOT_SUPPORTED);
}

void ActiveUpdateProvider::deleteInstance(const ProviderEnvironmentIFCRef&, const String&,
                                          const CIMObjectPath& cop)
{
    ActiveUpdate record;
    getActiveUpdateWithCIMObjectPath(cop, record);
    OW_THROWCIM(CIMException::NOT_SUPPORTED);
}

CIMValue ActiveUpdateProvider::invokeMethod(const ProviderEnvironmentIFCRef&, const String&,
                                            const CIMObjectPath& path, const String& methodName,
                                            const CIMParamValueArray&, CIMParamValueArray&)
{
    ActiveUpdate record;
    getActiveUpdateWithCIMObjectPath(path, record);

    if (methodName.equals(kCancelMethodName))
    {
        record.Cancel();
        return EmptyMethodResult();
    }
    OW_THROWCIM(CIMException::METHOD_NOT_FOUND);
}

void ActiveUpdateProvider::ActiveUpdateToCIMInstance(const String&, ActiveUpdate& record,
                                                     const CIMClass&, CIMInstance& instance)
{
    String text;
    CIMDateTime date;
    bool flag = false;

    if (record.getInstanceID(text))
    {
        instance.setProperty(ProvPropCreateKey("InstanceID", CIMValue(text)));
    }
    if (record.getName(text))
    {
        instance.setProperty("Name", CIMValue(text));
    }
    if (record.getShortDescription(text))
    {
        instance.setProperty("ShortDescription", CIMValue(text));
    }
    if (record.getUpdateDescription(text))
    {
        instance.setProperty("UpdateDescription", CIMValue(text));
    }
    if (record.getVersion(text))
    {
        instance.setProperty("VersionString", CIMValue(text));
    }
    if (record.getLocation(text))
    {
        instance.setProperty("Location", CIMValue(text));
    }
    if (record.getApplyDate(date))
    {
        instance.setProperty("ApplyDate", CIMValue(date));
    }
    if (record.getRebootRequired(flag))
    {
        instance.setProperty("RebootRequired", CIMValue(flag));
    }
    if (record.getStatus(text))
    {
        instance.setProperty("Status", CIMValue(text));
    }
    if (record.getSize(text))
    {
        instance.setProperty("Size", CIMValue(text));
    }
}

void ActiveUpdateProvider::ActiveUpdateToCIMObjectPath(const ActiveUpdate& record,
                                                       CIMObjectPath& path)
{
    String instanceID;
    record.getInstanceID(instanceID);
    SetInstanceIDKey(instanceID, path);
}

void ActiveUpdateProvider::getActiveUpdateWithCIMObjectPath(const CIMObjectPath& path,
                                                            ActiveUpdate& record)
{
    ActiveUpdate_ObjectInstanceManager manager;
    manager.getOneObject(InstanceIDOfPath(path), record);
}
