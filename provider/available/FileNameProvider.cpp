// The file-name class's operations: listing, lookups, building instances and paths.
#include "FileNameProvider.h"

#include "common/Common.h"

#include "OW_CIMDataType.hpp"
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

const char kFileNameClassName[] = "ZVQ_AvailableSoftwareFileName";
const char kFileNameKey[] = "FileName";

void RefuseNotSupported() SWU_NORETURN;
void RefuseNotSupported()
{
    OW_THROWCIM(CIMException::NOT_SUPPORTED);
}

String NameOf(const FileNameRecord& record)
{
    String name;
    record.getName(name);
    return name;
}

} // namespace

FileNameProvider::~FileNameProvider() {}

void FileNameProvider::enumInstanceNames(const ProviderEnvironmentIFCRef& /*env*/, const String& ns,
                                         const String& className,
                                         CIMObjectPathResultHandlerIFC& result,
                                         const CIMClass& /*cimClass*/)
{
    FileNameManager manager;
    manager.startIteration();
    while (manager.hasNext())
    {
        FileNameRecord record;
        manager.getNext(record);
        CIMObjectPath path(className, ns);
        FileNameToCIMObjectPath(record, path);
        result.handle(path);
    }
    manager.endIteration();
}

void FileNameProvider::enumInstances(const ProviderEnvironmentIFCRef& /*env*/, const String& ns,
                                     const String& /*className*/,
                                     CIMInstanceResultHandlerIFC& result,
                                     ELocalOnlyFlag /*localOnly*/, EDeepFlag /*deep*/,
                                     EIncludeQualifiersFlag /*includeQualifiers*/,
                                     EIncludeClassOriginFlag /*includeClassOrigin*/,
                                     const StringArray* /*propertyList*/,
                                     const CIMClass& /*requestedClass*/, const CIMClass& cimClass)
{
    FileNameManager manager;
    manager.startIteration();
    while (manager.hasNext())
    {
        FileNameRecord record;
        manager.getNext(record);
        CIMInstance instance(kFileNameClassName);
        FileNameToCIMInstance(ns, record, cimClass, instance);
        result.handle(instance);
    }
    manager.endIteration();
}

CIMInstance FileNameProvider::getInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                          const String& ns, const CIMObjectPath& instanceName,
                                          ELocalOnlyFlag /*localOnly*/,
                                          EIncludeQualifiersFlag /*includeQualifiers*/,
                                          EIncludeClassOriginFlag /*includeClassOrigin*/,
                                          const StringArray* /*propertyList*/,
                                          const CIMClass& cimClass)
{
    FileNameRecord record;
    getFileNameWithCIMObjectPath(instanceName, record);
    CIMInstance instance(kFileNameClassName);
    FileNameToCIMInstance(ns, record, cimClass, instance);
    return instance;
}

CIMObjectPath FileNameProvider::createInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                               const String& /*ns*/,
                                               const CIMInstance& /*cimInstance*/)
{
    RefuseNotSupported();
}

void FileNameProvider::modifyInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                      const String& /*ns*/, const CIMInstance& /*modifiedInstance*/,
                                      const CIMInstance& /*previousInstance*/,
                                      EIncludeQualifiersFlag /*includeQualifiers*/,
                                      const StringArray* /*propertyList*/,
                                      const CIMClass& /*theClass*/)
{
    RefuseNotSupported();
}

void FileNameProvider::deleteInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                      const String& /*ns*/, const CIMObjectPath& /*cop*/)
{
    RefuseNotSupported();
}

void FileNameProvider::initialize(const ProviderEnvironmentIFCRef& /*env*/) {}

CIMValue FileNameProvider::invokeMethod(const ProviderEnvironmentIFCRef& /*env*/,
                                        const String& /*ns*/, const CIMObjectPath& /*path*/,
                                        const String& /*methodName*/,
                                        const CIMParamValueArray& /*in*/,
                                        CIMParamValueArray& /*out*/)
{
    RefuseNotSupported();
}

void FileNameProvider::cleanup() {}

void FileNameProvider::FileNameToCIMInstance(const String& /*ns*/, const FileNameRecord& record,
                                             const CIMClass& /*cimClass*/, CIMInstance& instance)
{
    // Made a key like the association's file ends, so the instance names its own path.
    FileNameToCIMInstance(NameOf(record), instance);
}

void FileNameProvider::FileNameToCIMInstance(const String& name, CIMInstance& instance)
{
    instance.setProperty(ProvPropCreateKey(kFileNameKey, CIMValue(name)));
}

void FileNameProvider::FileNameToCIMObjectPath(const FileNameRecord& record, CIMObjectPath& path)
{
    CIMPropertyArray keys;
    keys.append(CIMProperty(kFileNameKey, CIMValue(NameOf(record))));
    path.setKeys(keys);
}

void FileNameProvider::getFileNameWithCIMObjectPath(const CIMObjectPath& path,
                                                    FileNameRecord& record)
{
    // A path that names no file (no key, a null value, a value of another type) is refused like
    // the other classes refuse such paths, before the tool runs.
    CIMValue value = path.getKeyValue(kFileNameKey);
    if (!value || value.isArray() || value.getType() != CIMDataType::STRING)
    {
        OW_THROWCIM(CIMException::INVALID_PARAMETER);
    }
    String name;
    value.get(name);
    FileNameManager manager;
    manager.getOneObject(name, record);
}
