// Scheduled updates as CIM instances, and the operations and methods on them.
#include "ScheduledProvider.h"
#include "common/Common.h"

#include "OW_CIMDateTime.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_DateTime.hpp"
#include "OW_Exception.hpp"
#include "OW_ResultHandlerIFC.hpp"

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

// The ctime-style local time the tool's schedule options read.
String ScheduleDateText(const CIMDateTime& date)
{
    String text = date.toDateTime().toString(DateTime::E_LOCAL_TIME);
    text.rtrim();
    return text;
}

// The text of in-parameter `position` as a schedule date. Whatever the library refuses on the
// way (a missing or null value, another type, a datetime that names no point in time) is the
// client's parameter at fault, and is answered as such.
String ScheduleDateParameter(const CIMParamValueArray& in, size_t position)
{
    try
    {
        return ScheduleDateText(in[position].getValue().toCIMDateTime());
    }
    catch (const Exception&)
    {
        OW_THROWCIM(CIMException::INVALID_PARAMETER);
    }
}

} // namespace

String InstanceIDOfPath(const CIMObjectPath& path)
{
    CIMProperty key = path.getKey("InstanceID");
    if (!key)
    {
        OW_THROWCIM(CIMException::INVALID_PARAMETER);
    }
    // A null value names no update any more than a missing key does.
    CIMValue value = key.getValue();
    if (!value)
    {
        OW_THROWCIM(CIMException::INVALID_PARAMETER);
    }
    return value.toString();
}

void SetInstanceIDKey(const String& instanceID, CIMObjectPath& path)
{
    CIMPropertyArray keys;
    keys.push_back(ProvPropCreateKey("InstanceID", CIMValue(instanceID)));
    path.setKeys(keys);
}

CIMValue EmptyMethodResult()
{
    return CIMValue(String());
}

// ---------------------------------------------------------------------------------------------

ScheduledUpdateProvider::~ScheduledUpdateProvider() {}

void ScheduledUpdateProvider::initialize(const ProviderEnvironmentIFCRef&)
{
    ScheduledUpdate_ObjectInstanceManager manager;
    manager.init();
}

void ScheduledUpdateProvider::cleanup() {}

void ScheduledUpdateProvider::enumInstanceNames(const ProviderEnvironmentIFCRef&, const String& ns,
                                                const String& className,
                                                CIMObjectPathResultHandlerIFC& result,
                                                const CIMClass&)
{
    CIMObjectPath path(className, ns);
    ScheduledUpdate_ObjectInstanceManager manager;
    manager.startIteration();
    while (manager.hasNext())
    {
        ScheduledUpdate record;
        manager.getNext(record);
        ScheduledUpdateToCIMObjectPath(record, path);
        result.handle(path);
    }
    manager.endIteration();
}

void ScheduledUpdateProvider::enumInstances(const ProviderEnvironmentIFCRef&, const String& ns,
                                            const String&, CIMInstanceResultHandlerIFC& result,
                                            ELocalOnlyFlag, EDeepFlag, EIncludeQualifiersFlag,
                                            EIncludeClassOriginFlag, const StringArray*,
                                            const CIMClass&, const CIMClass& cimClass)
{
    ScheduledUpdate_ObjectInstanceManager manager;
    manager.startIteration();
    while (manager.hasNext())
    {
        ScheduledUpdate record;
        manager.getNext(record);
        CIMInstance instance(kScheduledUpdateClassName);
        ScheduledUpdateToCIMInstance(ns, record, cimClass, instance);
        result.handle(instance);
    }
    manager.endIteration();
}

CIMInstance ScheduledUpdateProvider::getInstance(const ProviderEnvironmentIFCRef&, const String& ns,
                                                 const CIMObjectPath& instanceName, ELocalOnlyFlag,
                                                 EIncludeQualifiersFlag, EIncludeClassOriginFlag,
                                                 const StringArray*, const CIMClass& cimClass)
{
    ScheduledUpdate record;
    getScheduledUpdateWithCIMObjectPath(instanceName, record);
    CIMInstance instance(kScheduledUpdateClassName);
    ScheduledUpdateToCIMInstance(ns, record, cimClass, instance);
    return instance;
}

CIMObjectPath ScheduledUpdateProvider::createInstance(const ProviderEnvironmentIFCRef&,
                                                      const String&, const CIMInstance&)
{
    OW_THROWCIM(CIMException::NOT_SUPPORTED);
}

void ScheduledUpdateProvider::modifyInstance(const ProviderEnvironmentIFCRef&, const String&,
                                             const CIMInstance&, const CIMInstance&,
                                             EIncludeQualifiersFlag, const StringArray*,
                                             const CIMClass&)
{
    OW_THROWCIM(CIMException::NOT_SUPPORTED);
}

void ScheduledUpdateProvider::deleteInstance(const ProviderEnvironmentIFCRef&, const String&,
                                             const CIMObjectPath& cop)
{
    ScheduledUpdate record;
    getScheduledUpdateWithCIMObjectPath(cop, record);
    record.remove();
}

CIMValue ScheduledUpdateProvider::invokeMethod(const ProviderEnvironmentIFCRef&, const String&,
                                               const CIMObjectPath& path, const String& methodName,
                                               const CIMParamValueArray& in, CIMParamValueArray&)
{
    ScheduledUpdate record;
    getScheduledUpdateWithCIMObjectPath(path, record);

    if (methodName.equals(kModifyMethodName))
    {
        if (in.size() != kModifyParameterCount)
        {
            OW_THROWCIM(CIMException::INVALID_PARAMETER);
        }
        // By position: the parameters' names are not looked at.
        String first = ScheduleDateParameter(in, 0);
        String second = ScheduleDateParameter(in, 1);
        record.modify(first, second);
        return EmptyMethodResult();
    }
    if (methodName.equals(kRemoveMethodName))
    {
        record.remove();
        return EmptyMethodResult();
    }
    OW_THROWCIM(CIMException::METHOD_NOT_FOUND);
}

void ScheduledUpdateProvider::ScheduledUpdateToCIMInstance(const String&, ScheduledUpdate& record,
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
    if (record.getDownloadDate(date))
    {
        instance.setProperty("DownloadDate", CIMValue(date));
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

void ScheduledUpdateProvider::ScheduledUpdateToCIMObjectPath(const ScheduledUpdate& record,
                                                             CIMObjectPath& path)
{
    String instanceID;
    record.getInstanceID(instanceID);
    SetInstanceIDKey(instanceID, path);
}

void ScheduledUpdateProvider::getScheduledUpdateWithCIMObjectPath(const CIMObjectPath& path,
                                                                  ScheduledUpdate& record)
{
    ScheduledUpdate_ObjectInstanceManager manager;
    manager.getOneObject(InstanceIDOfPath(path), record);
}
