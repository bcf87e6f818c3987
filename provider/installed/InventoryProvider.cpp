// The two inventory classes' operations: listing, building instances, the cartridge lookup.
#include "InventoryProvider.h"

#include "common/Common.h"
#include "master/ClassNames.h"

#include "OW_CIMDateTime.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMValue.hpp"
#include "OW_DateTime.hpp"
#include "OW_ProviderEnvironmentIFC.hpp"
#include "OW_ResultHandlerIFC.hpp"

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

const char kSoftwareIdentityClassName[] = "ZVQ_SoftwareIdentity";

void RefuseNotSupported() SWU_NORETURN;
void RefuseNotSupported()
{
    OW_THROWCIM(CIMException::NOT_SUPPORTED);
}

// One enumeration's own listing, with the cartridge name it is to be read with.
struct InventoryListing
{
    Array<InventoryObject> records;
    String cartridgeName;
};

InventoryListing RefreshedInventory()
{
    // The tool run is most of a request's time; only the list itself needs the lock.
    Array<String> lines;
    int exitCode = RunInventoryListing(lines);
    InventoryListLock lock;
    FillInventoryList(exitCode, lines);
    InventoryListing listing;
    listing.records = gInventoryList;
    listing.cartridgeName = gEMCartridgeName;
    return listing;
}

InventoryObject InventoryRecordAt(size_t index)
{
    InventoryListLock lock;
    if (index >= gInventoryList.size())
    {
        // The listing this position came from has been replaced by a shorter one.
        OW_THROWCIM(CIMException::NOT_FOUND);
    }
    return gInventoryList[index];
}

bool IsCartridgeClass(const String& className)
{
    return className.equals(gEMVersionClass);
}

void SetSingleKey(CIMObjectPath& path, const char* name, const String& value)
{
    CIMPropertyArray keys;
    keys.append(CIMProperty(name, CIMValue(value)));
    path.setKeys(keys);
}

CIMInstance BuildCartridgeInstance(const InventoryObject& record)
{
    CIMInstance instance(gEMVersionClass);
    instance.setProperty(ProvPropCreateKey("Version", CIMValue(record.getVersion())));
    return instance;
}

CIMInstance BuildSoftwareIdentityInstance(const InventoryObject& record)
{
    CIMInstance instance(kSoftwareIdentityClassName);
    // Marked as the key, so that the instance names itself under any CIMOM.
    instance.setProperty(ProvPropCreateKey("InstanceID", CIMValue(record.getInstanceID())));
    instance.setProperty("Name", CIMValue(record.getName()));
    instance.setProperty("PackageVersion", CIMValue(record.getVersion()));
    instance.setProperty("RevisionNumber", CIMValue(record.getVersion()));
    instance.setProperty("Classifications", CIMValue(record.getClassification()));
    instance.setProperty("InstalledDate", CIMValue(CIMDateTime(DateTime(record.getDate()))));
    return instance;
}

} // namespace

InventoryProvider::~InventoryProvider() {}

void InventoryProvider::enumInstanceNames(const ProviderEnvironmentIFCRef& /*env*/,
                                          const String& ns, const String& className,
                                          CIMObjectPathResultHandlerIFC& result,
                                          const CIMClass& /*cimClass*/)
{
    InventoryListing listing = RefreshedInventory();
    CIMObjectPath path(className, ns);
    bool cartridgeOnly = IsCartridgeClass(className);
    for (size_t i = 0; i < listing.records.size(); ++i)
    {
        const InventoryObject& record = listing.records[i];
        if (cartridgeOnly)
        {
            if (!record.getName().equals(listing.cartridgeName))
            {
                continue;
            }
            SetSingleKey(path, "Version", record.getVersion());
        }
        else
        {
            SetSingleKey(path, "InstanceID", record.getInstanceID());
        }
        result.handle(path);
    }
}

void InventoryProvider::enumInstances(
    const ProviderEnvironmentIFCRef& /*env*/, const String& /*ns*/, const String& className,
    CIMInstanceResultHandlerIFC& result, ELocalOnlyFlag /*localOnly*/, EDeepFlag /*deep*/,
    EIncludeQualifiersFlag /*includeQualifiers*/, EIncludeClassOriginFlag /*includeClassOrigin*/,
    const StringArray* /*propertyList*/, const CIMClass& /*requestedClass*/,
    const CIMClass& /*cimClass*/)
{
    InventoryListing listing = RefreshedInventory();
    bool cartridgeOnly = IsCartridgeClass(className);
    for (size_t i = 0; i < listing.records.size(); ++i)
    {
        const InventoryObject& record = listing.records[i];
        if (!cartridgeOnly)
        {
            result.handle(BuildSoftwareIdentityInstance(record));
        }
        else if (record.getName().equals(listing.cartridgeName))
        {
            result.handle(BuildCartridgeInstance(record));
        }
    }
}

CIMInstance InventoryProvider::getInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                           const String& /*ns*/, const CIMObjectPath& instanceName,
                                           ELocalOnlyFlag /*localOnly*/,
                                           EIncludeQualifiersFlag /*includeQualifiers*/,
                                           EIncludeClassOriginFlag /*includeClassOrigin*/,
                                           const StringArray* /*propertyList*/,
                                           const CIMClass& /*cimClass*/)
{
    InventoryObject record;
    {
        InventoryListLock lock;
        if (IsCartridgeClass(instanceName.getClassName()))
        {
            // The first cartridge record answers, whatever version the path names.
            for (size_t i = 0; i < gInventoryList.size(); ++i)
            {
                if (gInventoryList[i].getName().equals(gEMCartridgeName))
                {
                    return BuildCartridgeInstance(gInventoryList[i]);
                }
            }
        }
        // Without a cartridge record a cartridge path, which has no InstanceID, is refused here.
        record = gInventoryList[GetIndexFromObjectPath(instanceName, gInventoryList)];
    }
    return BuildSoftwareIdentityInstance(record);
}

CIMObjectPath InventoryProvider::createInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                                const String& /*ns*/,
                                                const CIMInstance& /*cimInstance*/)
{
    RefuseNotSupported();
}

void InventoryProvider::modifyInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                       const String& /*ns*/,
                                       const CIMInstance& /*modifiedInstance*/,
                                       const CIMInstance& /*previousInstance*/,
                                       EIncludeQualifiersFlag /*includeQualifiers*/,
                                       const StringArray* /*propertyList*/,
                                       const CIMClass& /*theClass*/)
{
    RefuseNotSupported();
}

void InventoryProvider::deleteInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                       const String& /*ns*/, const CIMObjectPath& /*cop*/)
{
    RefuseNotSupported();
}

void InventoryProvider::initialize(const ProviderEnvironmentIFCRef& env)
{
    gLogger = env->getLogger();
    String cartridgeName = env->getConfigItem(kEMCartridgeNameConfigItem, kEMCartridgeNameDefault);
    InventoryListLock lock;
    gEMCartridgeName = cartridgeName;
}

CIMValue InventoryProvider::invokeMethod(const ProviderEnvironmentIFCRef& /*env*/,
                                         const String& /*ns*/, const CIMObjectPath& /*path*/,
                                         const String& /*methodName*/,
                                         const CIMParamValueArray& /*in*/,
                                         CIMParamValueArray& /*out*/)
{
    RefuseNotSupported();
}

void InventoryProvider::cleanup() {}

bool InventoryProvider::UpdateList()
{
    Array<String> lines;
    int exitCode = RunInventoryListing(lines);
    InventoryListLock lock;
    FillInventoryList(exitCode, lines);
    return true;
}

void InventoryProvider::SetObjectPathKeys(CIMObjectPath& path, unsigned int index)
{
    SetSingleKey(path, "InstanceID", InventoryRecordAt(index).getInstanceID());
}

CIMInstance InventoryProvider::GetInstance(int index, const StringArray* /*propertyList*/)
{
    if (index < 0)
    {
        OW_THROWCIM(CIMException::NOT_FOUND);
    }
    return BuildSoftwareIdentityInstance(InventoryRecordAt(static_cast<size_t>(index)));
}
