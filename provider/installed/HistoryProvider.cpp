// The history class's operations: listing, building instances, the Remove method.
#include "HistoryProvider.h"

#include "common/Common.h"

#include "OW_CIMDateTime.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMValue.hpp"
#include "OW_DateTime.hpp"
#include "OW_ResultHandlerIFC.hpp"

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

const char kHistoryClassName[] = "ZVQ_HistorySoftwareUpdate";
const char kRemoveMethodName[] = "Remove";
const char kUpdateDescriptionProperty[] = "UpdateDescription";

void RefuseNotSupported() SWU_NORETURN;
void RefuseNotSupported()
{
    OW_THROWCIM(CIMException::NOT_SUPPORTED);
}

// Runs a fresh listing and returns what it produced, so an enumeration hands out exactly its own
// listing even when another request refreshes the list meanwhile.
Array<HistoryUpdate> RefreshedHistory()
{
    // The tool run is most of a request's time; only the list itself needs the lock.
    Array<String> lines;
    int exitCode = RunHistoryListing(lines);
    HistoryListLock lock;
    FillHistoryList(exitCode, lines);
    return gHistoryList;
}

// A copy of the record the path's InstanceID names in the current list.
HistoryUpdate FindHistoryRecord(const CIMObjectPath& path)
{
    HistoryListLock lock;
    return gHistoryList[GetIndexFromObjectPath(path, gHistoryList)];
}

HistoryUpdate HistoryRecordAt(size_t index)
{
    HistoryListLock lock;
    if (index >= gHistoryList.size())
    {
        // The listing this position came from has been replaced by a shorter one.
        OW_THROWCIM(CIMException::NOT_FOUND);
    }
    return gHistoryList[index];
}

void SetHistoryPathKeys(CIMObjectPath& path, const HistoryUpdate& record)
{
    CIMPropertyArray keys;
    keys.append(CIMProperty("InstanceID", CIMValue(record.getInstanceID())));
    path.setKeys(keys);
}

// The tool's description of the update.
String DescribeUpdate(const HistoryUpdate& record)
{
    String command(kSoftinvDescription);
    command += ShellQuote(record.getName() + "-" + record.getVersion());
    String description;
    int exitCode = Execute(command, description);
    if (exitCode != 0)
    {
        ThrowSoftInvError(exitCode);
    }
    return description;
}

CIMInstance BuildHistoryInstance(const HistoryUpdate& record, const StringArray* propertyList)
{
    CIMInstance instance(kHistoryClassName);
    instance.setProperty(ProvPropCreateKey("InstanceID", CIMValue(record.getInstanceID())));
    instance.setProperty("Name", CIMValue(record.getName()));
    instance.setProperty("VersionString", CIMValue(record.getVersion()));
    instance.setProperty("ShortDescription", CIMValue(record.getDescription()));
    instance.setProperty("Category", CIMValue(record.getCategory()));
    instance.setProperty("Date", CIMValue(CIMDateTime(DateTime(record.getDate()))));
    instance.setProperty("Removeable", CIMValue(record.getRemovable()));
    // The description takes a tool run, so it is only fetched when the client names it.
    if (propertyList != 0)
    {
        for (size_t i = 0; i < propertyList->size(); ++i)
        {
            if ((*propertyList)[i].equals(kUpdateDescriptionProperty))
            {
                instance.setProperty(kUpdateDescriptionProperty, CIMValue(DescribeUpdate(record)));
            }
        }
    }
    return instance;
}

} // namespace

HistoryUpdateProvider::~HistoryUpdateProvider() {}

void HistoryUpdateProvider::enumInstanceNames(const ProviderEnvironmentIFCRef& /*env*/,
                                              const String& ns, const String& className,
                                              CIMObjectPathResultHandlerIFC& result,
                                              const CIMClass& /*cimClass*/)
{
    Array<HistoryUpdate> listing = RefreshedHistory();
    CIMObjectPath path(className, ns);
    for (size_t i = 0; i < listing.size(); ++i)
    {
        SetHistoryPathKeys(path, listing[i]);
        result.handle(path);
    }
}

void HistoryUpdateProvider::enumInstances(
    const ProviderEnvironmentIFCRef& /*env*/, const String& /*ns*/, const String& /*className*/,
    CIMInstanceResultHandlerIFC& result, ELocalOnlyFlag /*localOnly*/, EDeepFlag /*deep*/,
    EIncludeQualifiersFlag /*includeQualifiers*/, EIncludeClassOriginFlag /*includeClassOrigin*/,
    const StringArray* propertyList, const CIMClass& /*requestedClass*/,
    const CIMClass& /*cimClass*/)
{
    Array<HistoryUpdate> listing = RefreshedHistory();
    for (size_t i = 0; i < listing.size(); ++i)
    {
        result.handle(BuildHistoryInstance(listing[i], propertyList));
    }
}

CIMInstance
HistoryUpdateProvider::getInstance(const ProviderEnvironmentIFCRef& /*env*/, const String& /*ns*/,
                                   const CIMObjectPath& instanceName, ELocalOnlyFlag /*localOnly*/,
                                   EIncludeQualifiersFlag /*includeQualifiers*/,
                                   EIncludeClassOriginFlag /*includeClassOrigin*/,
                                   const StringArray* propertyList, const CIMClass& /*cimClass*/)
{
    return BuildHistoryInstance(FindHistoryRecord(instanceName), propertyList);
}

CIMObjectPath HistoryUpdateProvider::createInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                                    const String& /*ns*/,
                                                    const CIMInstance& /*cimInstance*/)
{
    RefuseNotSupported();
}

void HistoryUpdateProvider::modifyInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                           const String& /*ns*/,
                                           const CIMInstance& /*modifiedInstance*/,
                                           const CIMInstance& /*previousInstance*/,
                                           EIncludeQualifiersFlag /*includeQualifiers*/,
                                           const StringArray* /*propertyList*/,
                                           const CIMClass& /*theClass*/)
{
    RefuseNotSupported();
}

void HistoryUpdateProvider::deleteInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                           const String& /*ns*/, const CIMObjectPath& /*cop*/)
{
    RefuseNotSupported();
}

void HistoryUpdateProvider::initialize(const ProviderEnvironmentIFCRef& /*env*/) {}

CIMValue HistoryUpdateProvider::invokeMethod(const ProviderEnvironmentIFCRef& /*env*/,
                                             const String& /*ns*/, const CIMObjectPath& path,
                                             const String& methodName,
                                             const CIMParamValueArray& /*in*/,
                                             CIMParamValueArray& /*out*/)
{
    // The path is checked before the method name, so a stale path is reported as such.
    HistoryUpdate record = FindHistoryRecord(path);
    if (!methodName.equals(kRemoveMethodName))
    {
        OW_THROWCIM(CIMException::METHOD_NOT_FOUND);
    }
    return CIMValue(record.Remove());
}

void HistoryUpdateProvider::cleanup() {}

bool HistoryUpdateProvider::UpdateHistoryList()
{
    HistoryListLock lock;
    RefillHistoryList();
    return true;
}

void HistoryUpdateProvider::SetObjectPathKeys(CIMObjectPath& path, unsigned int index)
{
    SetHistoryPathKeys(path, HistoryRecordAt(index));
}

CIMInstance HistoryUpdateProvider::GetInstance(int index, const StringArray* propertyList)
{
    if (index < 0)
    {
        OW_THROWCIM(CIMException::NOT_FOUND);
    }
    return BuildHistoryInstance(HistoryRecordAt(static_cast<size_t>(index)), propertyList);
}
