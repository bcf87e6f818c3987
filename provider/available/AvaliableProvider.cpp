// The available-update class's instance side: listing, lookups, building instances and paths.
#include "AvaliableProvider.h"

#include "common/Common.h"

#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMValue.hpp"
#include "OW_ResultHandlerIFC.hpp"

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

const char kAvaliableClassName[] = "ZVQ_AvailableSoftwareUpdate";
const char kUpdateDescriptionProperty[] = "UpdateDescription";

void RefuseNotSupported() SWU_NORETURN;
void RefuseNotSupported()
{
    OW_THROWCIM(CIMException::NOT_SUPPORTED);
}

// Runs a fresh listing and returns what it produced, so an enumeration hands out exactly its own
// listing even when another request refreshes the list meanwhile.
Array<AvaliableUpdate> RefreshedAvaliableList()
{
    // The tool run is most of a request's time; only the list itself needs the lock.
    Array<String> lines;
    int exitCode = RunAvaliableListing(lines);
    AvaliableListLock lock;
    FillAvaliableList(exitCode, lines);
    return gAvaliableList;
}

AvaliableUpdate AvaliableRecordAt(size_t index)
{
    AvaliableListLock lock;
    if (index >= gAvaliableList.size())
    {
        // The listing this position came from has been replaced by a shorter one.
        OW_THROWCIM(CIMException::NOT_FOUND);
    }
    return gAvaliableList[index];
}

void SetAvaliablePathKeys(CIMObjectPath& path, const AvaliableUpdate& update)
{
    CIMPropertyArray keys;
    keys.append(CIMProperty("InstanceID", CIMValue(update.getInstanceID())));
    path.setKeys(keys);
}

// The tool's long description of the update.
String DescribeUpdate(const AvaliableUpdate& update)
{
    String command(kSoftinvDescription);
    command += ShellQuote(update.getPatchName());
    String description;
    int exitCode = Execute(command, description);
    if (exitCode != 0)
    {
        ThrowSoftInvError(exitCode);
    }
    return description;
}

} // namespace

AvaliableUpdate FindAvaliableUpdate(const CIMObjectPath& path)
{
    AvaliableListLock lock;
    return gAvaliableList[GetIndexFromObjectPath(path, gAvaliableList)];
}

Array<AvaliableUpdate> AvaliableListSnapshot()
{
    AvaliableListLock lock;
    return gAvaliableList;
}

AvaliableUpdateProvider::~AvaliableUpdateProvider() {}

void AvaliableUpdateProvider::enumInstanceNames(const ProviderEnvironmentIFCRef& /*env*/,
                                                const String& ns, const String& className,
                                                CIMObjectPathResultHandlerIFC& result,
                                                const CIMClass& /*cimClass*/)
{
    CIMObjectPath path(className, ns);
    Array<AvaliableUpdate> listing = RefreshedAvaliableList();
    for (size_t i = 0; i < listing.size(); ++i)
    {
        SetAvaliablePathKeys(path, listing[i]);
        result.handle(path);
    }
}

void AvaliableUpdateProvider::enumInstances(
    const ProviderEnvironmentIFCRef& /*env*/, const String& /*ns*/, const String& /*className*/,
    CIMInstanceResultHandlerIFC& result, ELocalOnlyFlag /*localOnly*/, EDeepFlag /*deep*/,
    EIncludeQualifiersFlag /*includeQualifiers*/, EIncludeClassOriginFlag /*includeClassOrigin*/,
    const StringArray* propertyList, const CIMClass& /*requestedClass*/,
    const CIMClass& /*cimClass*/)
{
    Array<AvaliableUpdate> listing = RefreshedAvaliableList();
    for (size_t i = 0; i < listing.size(); ++i)
    {
        result.handle(BuildInstance(listing[i], propertyList));
    }
}

CIMInstance AvaliableUpdateProvider::getInstance(
    const ProviderEnvironmentIFCRef& /*env*/, const String& /*ns*/,
    const CIMObjectPath& instanceName, ELocalOnlyFlag /*localOnly*/,
    EIncludeQualifiersFlag /*includeQualifiers*/, EIncludeClassOriginFlag /*includeClassOrigin*/,
    const StringArray* propertyList, const CIMClass& /*cimClass*/)
{
    return BuildInstance(FindAvaliableUpdate(instanceName), propertyList);
}

CIMObjectPath AvaliableUpdateProvider::createInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                                      const String& /*ns*/,
                                                      const CIMInstance& /*cimInstance*/)
{
    RefuseNotSupported();
}

void AvaliableUpdateProvider::modifyInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                             const String& /*ns*/,
                                             const CIMInstance& /*modifiedInstance*/,
                                             const CIMInstance& /*previousInstance*/,
                                             EIncludeQualifiersFlag /*includeQualifiers*/,
                                             const StringArray* /*propertyList*/,
                                             const CIMClass& /*theClass*/)
{
    RefuseNotSupported();
}

void AvaliableUpdateProvider::deleteInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                             const String& /*ns*/, const CIMObjectPath& /*cop*/)
{
    RefuseNotSupported();
}

void AvaliableUpdateProvider::initialize(const ProviderEnvironmentIFCRef& /*env*/)
{
    AvaliableListLock lock;
    AppendAvaliablePlaceholder();
}

void AvaliableUpdateProvider::cleanup() {}

bool AvaliableUpdateProvider::GetCachedList()
{
    Array<String> lines;
    int exitCode = RunAvaliableListing(lines);
    AvaliableListLock lock;
    FillAvaliableList(exitCode, lines);
    return true;
}

CIMInstance AvaliableUpdateProvider::GetInstance(int index, const StringArray* propertyList)
{
    if (index < 0)
    {
        OW_THROWCIM(CIMException::NOT_FOUND);
    }
    return BuildInstance(AvaliableRecordAt(static_cast<size_t>(index)), propertyList);
}

CIMInstance AvaliableUpdateProvider::BuildInstance(const AvaliableUpdate& update,
                                                   const StringArray* propertyList)
{
    CIMInstance instance;
    instance.setClassName(kAvaliableClassName);
    instance.setProperty(ProvPropCreateKey("InstanceID", CIMValue(update.getInstanceID())));
    instance.setProperty("Name", CIMValue(update.getName()));
    instance.setProperty("ShortDescription", CIMValue(update.getShortDescription()));
    instance.setProperty("VersionString", CIMValue(update.getVersion()));
    instance.setProperty("Size", CIMValue(update.getSize()));
    instance.setProperty("RebootRequired", CIMValue(update.getRebootRequired()));
    instance.setProperty("Status", CIMValue(update.getStatus()));
    // The description takes a tool run, so it is only fetched when the client names it.
    if (propertyList != 0)
    {
        for (size_t i = 0; i < propertyList->size(); ++i)
        {
            if ((*propertyList)[i].equals(kUpdateDescriptionProperty))
            {
                instance.setProperty(kUpdateDescriptionProperty, CIMValue(DescribeUpdate(update)));
            }
        }
    }
    return instance;
}

void AvaliableUpdateProvider::SetObjectPathKeys(CIMObjectPath& path, unsigned int index)
{
    SetAvaliablePathKeys(path, AvaliableRecordAt(index));
}
