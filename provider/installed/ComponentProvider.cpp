// The component class's operations: listing, building instances, recording the Install choice.
#include "ComponentProvider.h"

#include "common/Common.h"

#include "OW_Bool.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMValue.hpp"
#include "OW_ResultHandlerIFC.hpp"

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

const char kComponentClassName[] = "ZVQ_SoftwareUpdateComponent";

void RefuseNotSupported() SWU_NORETURN;
void RefuseNotSupported()
{
    OW_THROWCIM(CIMException::NOT_SUPPORTED);
}

// Runs a fresh listing and returns what it produced, so an enumeration hands out exactly its own
// listing even when another request changes the context meanwhile.
Array<Component> RefreshedComponents()
{
    // The tool run is most of a request's time; only the context itself needs the lock.
    ComponentListingRun run = RunComponentListing();
    ComponentContextLock lock;
    return FillComponentList(run);
}

Component ComponentRecordAt(size_t index)
{
    ComponentContextLock lock;
    if (index >= gComponentList.size())
    {
        // The listing this position came from has been replaced by a shorter one.
        OW_THROWCIM(CIMException::NOT_FOUND);
    }
    return gComponentList[index];
}

void SetComponentPathKeys(CIMObjectPath& path, const Component& record)
{
    CIMPropertyArray keys;
    keys.append(CIMProperty("InstanceID", CIMValue(record.getInstanceID())));
    path.setKeys(keys);
}

CIMInstance BuildComponentInstance(const Component& record)
{
    CIMInstance instance(kComponentClassName);
    instance.setProperty(ProvPropCreateKey("InstanceID", CIMValue(record.getInstanceID())));
    instance.setProperty("Name", CIMValue(record.getName()));
    instance.setProperty("VersionString", CIMValue(record.getVersion()));
    instance.setProperty("ShortDescription", CIMValue(record.getShortDescription()));
    instance.setProperty("Install", CIMValue(record.getInstall()));
    return instance;
}

} // namespace

ComponentProvider::~ComponentProvider() {}

void ComponentProvider::enumInstanceNames(const ProviderEnvironmentIFCRef& /*env*/,
                                          const String& ns, const String& className,
                                          CIMObjectPathResultHandlerIFC& result,
                                          const CIMClass& /*cimClass*/)
{
    Array<Component> listing = RefreshedComponents();
    CIMObjectPath path(className, ns);
    for (size_t i = 0; i < listing.size(); ++i)
    {
        SetComponentPathKeys(path, listing[i]);
        result.handle(path);
    }
}

void ComponentProvider::enumInstances(
    const ProviderEnvironmentIFCRef& /*env*/, const String& /*ns*/, const String& /*className*/,
    CIMInstanceResultHandlerIFC& result, ELocalOnlyFlag /*localOnly*/, EDeepFlag /*deep*/,
    EIncludeQualifiersFlag /*includeQualifiers*/, EIncludeClassOriginFlag /*includeClassOrigin*/,
    const StringArray* /*propertyList*/, const CIMClass& /*requestedClass*/,
    const CIMClass& /*cimClass*/)
{
    Array<Component> listing = RefreshedComponents();
    for (size_t i = 0; i < listing.size(); ++i)
    {
        result.handle(BuildComponentInstance(listing[i]));
    }
}

CIMInstance ComponentProvider::getInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                           const String& /*ns*/, const CIMObjectPath& instanceName,
                                           ELocalOnlyFlag /*localOnly*/,
                                           EIncludeQualifiersFlag /*includeQualifiers*/,
                                           EIncludeClassOriginFlag /*includeClassOrigin*/,
                                           const StringArray* /*propertyList*/,
                                           const CIMClass& /*cimClass*/)
{
    Component record;
    {
        ComponentContextLock lock;
        record = gComponentList[GetIndexFromObjectPath(instanceName, gComponentList)];
    }
    return BuildComponentInstance(record);
}

CIMObjectPath ComponentProvider::createInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                                const String& /*ns*/,
                                                const CIMInstance& /*cimInstance*/)
{
    RefuseNotSupported();
}

void ComponentProvider::modifyInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                       const String& /*ns*/, const CIMInstance& modifiedInstance,
                                       const CIMInstance& /*previousInstance*/,
                                       EIncludeQualifiersFlag /*includeQualifiers*/,
                                       const StringArray* /*propertyList*/,
                                       const CIMClass& /*theClass*/)
{
    CIMProperty instanceID = modifiedInstance.getProperty("InstanceID");
    if (!instanceID || !instanceID.getValue())
    {
        // A null key names no component; its text "(null)" must not be looked up.
        OW_THROWCIM(CIMException::INVALID_PARAMETER);
    }

    // Looked up and written under one lock, so the choice lands on the record the client named
    // and not on one a concurrent listing put at its place.
    ComponentContextLock lock;
    int index = GetIndexFromInstanceID(instanceID.getValue().toString(), gComponentList);
    CIMProperty install = modifiedInstance.getProperty("Install");
    if (!install)
    {
        OW_THROWCIM(CIMException::NOT_FOUND);
    }
    CIMValue installValue = install.getValue();
    if (!installValue)
    {
        OW_THROWCIM(CIMException::INVALID_PARAMETER);
    }
    bool chosen = installValue.toBool();
    gComponentList[index].setInstall(chosen);
}

void ComponentProvider::deleteInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                       const String& /*ns*/, const CIMObjectPath& /*cop*/)
{
    RefuseNotSupported();
}

void ComponentProvider::initialize(const ProviderEnvironmentIFCRef& /*env*/) {}

CIMValue ComponentProvider::invokeMethod(const ProviderEnvironmentIFCRef& /*env*/,
                                         const String& /*ns*/, const CIMObjectPath& /*path*/,
                                         const String& /*methodName*/,
                                         const CIMParamValueArray& /*in*/,
                                         CIMParamValueArray& /*out*/)
{
    OW_THROWCIM(CIMException::METHOD_NOT_FOUND);
}

void ComponentProvider::cleanup() {}

bool ComponentProvider::UpdateList()
{
    ComponentListingRun run = RunComponentListing();
    ComponentContextLock lock;
    FillComponentList(run);
    return true;
}

void ComponentProvider::SetObjectPathKeys(CIMObjectPath& path, unsigned int index)
{
    SetComponentPathKeys(path, ComponentRecordAt(index));
}

CIMInstance ComponentProvider::GetInstance(int index)
{
    if (index < 0)
    {
        OW_THROWCIM(CIMException::NOT_FOUND);
    }
    return BuildComponentInstance(ComponentRecordAt(static_cast<size_t>(index)));
}
