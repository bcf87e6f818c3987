// The update-to-file association: both directions, references, and its enumeration.
#include "FileListProvider.h"

#include "AvaliableProvider.h"
#include "FileName.h"
#include "FileNameProvider.h"
#include "common/Common.h"

#include "OW_CIMDataType.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMNULL.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMValue.hpp"
#include "OW_ResultHandlerIFC.hpp"
#include "OW_ResultHandlers.hpp"

#include <algorithm>

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

const char kFileListClassName[] = "ZVQ_AvailableSoftwareFileList";
const char kAvaliableClassName[] = "ZVQ_AvailableSoftwareUpdate";
const char kFileNameClassName[] = "ZVQ_AvailableSoftwareFileName";
const char kAntecedentRole[] = "Antecedent";
const char kDependentRole[] = "Dependent";

void RefuseNotSupported() SWU_NORETURN;
void RefuseNotSupported()
{
    OW_THROWCIM(CIMException::NOT_SUPPORTED);
}

// The file names the tool lists for the update, in listing order.
StringArray FileNamesOf(const AvaliableUpdate& update)
{
    StringArray names;
    FileName_ObjectList list;
    list.getObjectList(update.getPatchName());
    list.begin();
    while (list.hasObject())
    {
        names.append(list.getName());
        list.next();
    }
    list.end();
    return names;
}

CIMInstance FileInstance(const String& name)
{
    CIMInstance instance(kFileNameClassName);
    FileNameProvider::FileNameToCIMInstance(name, instance);
    return instance;
}

// One link, both ends marked as keys so that it names itself under any CIMOM.
CIMInstance Link(const String& ns, const AvaliableUpdate& update, const String& fileName)
{
    CIMObjectPath updatePath(ns, AvaliableUpdateProvider::BuildInstance(update, 0));
    updatePath.setNameSpace(ns);
    CIMObjectPath filePath(ns, FileInstance(fileName));
    filePath.setNameSpace(ns);
    CIMInstance link(kFileListClassName);
    link.setProperty(ProvPropCreateKey(kAntecedentRole, CIMValue(updatePath)));
    link.setProperty(ProvPropCreateKey(kDependentRole, CIMValue(filePath)));
    return link;
}

void RefuseNotFound() SWU_NORETURN;
void RefuseNotFound()
{
    OW_THROWCIM(CIMException::NOT_FOUND);
}

// The end of a link that a key names, or a null path when the key is missing, is no
// reference or names another class.
CIMObjectPath ReferenceKey(const CIMObjectPath& link, const char* role, const char* className)
{
    CIMValue value = link.getKeyValue(role);
    CIMObjectPath end(CIMNULL);
    if (!value || value.getType() != CIMDataType::REFERENCE)
    {
        RefuseNotFound();
    }
    value.get(end);
    if (!end || !end.getClassName().equalsIgnoreCase(className))
    {
        RefuseNotFound();
    }
    return end;
}

// The paths, in the request's namespace, of the instances a handler call collected.
void HandlePathsOf(const CIMInstanceArray& instances, const String& ns,
                   CIMObjectPathResultHandlerIFC& result)
{
    for (size_t i = 0; i < instances.size(); ++i)
    {
        result.handle(CIMObjectPath(ns, instances[i]));
    }
}

} // namespace

FileListMapProvider::~FileListMapProvider() {}

void FileListMapProvider::enumInstanceNames(const ProviderEnvironmentIFCRef& env, const String& ns,
                                            const String& className,
                                            CIMObjectPathResultHandlerIFC& result,
                                            const CIMClass& cimClass)
{
    CIMInstanceArray instances;
    CIMInstanceArrayBuilder collector(instances);
    enumInstances(env, ns, className, collector, E_NOT_LOCAL_ONLY, E_DEEP, E_EXCLUDE_QUALIFIERS,
                  E_EXCLUDE_CLASS_ORIGIN, 0, cimClass, cimClass);
    HandlePathsOf(instances, ns, result);
}

void FileListMapProvider::enumInstances(
    const ProviderEnvironmentIFCRef& /*env*/, const String& ns, const String& /*className*/,
    CIMInstanceResultHandlerIFC& result, ELocalOnlyFlag /*localOnly*/, EDeepFlag /*deep*/,
    EIncludeQualifiersFlag /*includeQualifiers*/, EIncludeClassOriginFlag /*includeClassOrigin*/,
    const StringArray* /*propertyList*/, const CIMClass& /*requestedClass*/,
    const CIMClass& /*cimClass*/)
{
    // The list as the last enumeration of available updates left it, never refreshed here.
    Array<AvaliableUpdate> updates = AvaliableListSnapshot();
    for (size_t u = 0; u < updates.size(); ++u)
    {
        String patchName = updates[u].getPatchName();
        OutputDebug("Patch: %s", patchName.c_str());
        StringArray names = FileNamesOf(updates[u]);
        for (size_t f = 0; f < names.size(); ++f)
        {
            OutputDebug("Filename: %s", names[f].c_str());
            result.handle(Link(ns, updates[u], names[f]));
        }
    }
}

CIMInstance FileListMapProvider::getInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                             const String& ns, const CIMObjectPath& instanceName,
                                             ELocalOnlyFlag /*localOnly*/,
                                             EIncludeQualifiersFlag /*includeQualifiers*/,
                                             EIncludeClassOriginFlag /*includeClassOrigin*/,
                                             const StringArray* /*propertyList*/,
                                             const CIMClass& /*cimClass*/)
{
    // The link exists when both of its ends do: the update in the last listing of available
    // updates, and the file among the files the tool lists for that update.
    CIMObjectPath updatePath = ReferenceKey(instanceName, kAntecedentRole, kAvaliableClassName);
    CIMObjectPath filePath = ReferenceKey(instanceName, kDependentRole, kFileNameClassName);
    CIMValue id = updatePath.getKeyValue("InstanceID");
    CIMValue file = filePath.getKeyValue("FileName");
    if (!id || !file)
    {
        RefuseNotFound();
    }
    Array<AvaliableUpdate> updates = AvaliableListSnapshot();
    const AvaliableUpdate& update = updates[GetIndexFromInstanceID(id.toString(), updates)];
    StringArray names = FileNamesOf(update);
    if (std::find(names.begin(), names.end(), file.toString()) == names.end())
    {
        RefuseNotFound();
    }
    return Link(ns, update, file.toString());
}

CIMObjectPath FileListMapProvider::createInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                                  const String& /*ns*/,
                                                  const CIMInstance& /*cimInstance*/)
{
    RefuseNotSupported();
}

void FileListMapProvider::modifyInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                         const String& /*ns*/,
                                         const CIMInstance& /*modifiedInstance*/,
                                         const CIMInstance& /*previousInstance*/,
                                         EIncludeQualifiersFlag /*includeQualifiers*/,
                                         const StringArray* /*propertyList*/,
                                         const CIMClass& /*theClass*/)
{
    RefuseNotSupported();
}

void FileListMapProvider::deleteInstance(const ProviderEnvironmentIFCRef& /*env*/,
                                         const String& /*ns*/, const CIMObjectPath& /*cop*/)
{
    RefuseNotSupported();
}

void FileListMapProvider::associators(const ProviderEnvironmentIFCRef& /*env*/,
                                      CIMInstanceResultHandlerIFC& result, const String& /*ns*/,
                                      const CIMObjectPath& objectName, const String& /*assocClass*/,
                                      const String& resultClass, const String& role,
                                      const String& resultRole,
                                      EIncludeQualifiersFlag /*includeQualifiers*/,
                                      EIncludeClassOriginFlag /*includeClassOrigin*/,
                                      const StringArray* /*propertyList*/)
{
    // The update end is tested first, so it wins when the arguments point both ways.
    if (resultClass.equals(kAvaliableClassName) || role.equals(kDependentRole) ||
        resultRole.equals(kAntecedentRole))
    {
        result.handle(AvaliableUpdateProvider::BuildInstance(FindAvaliableUpdate(objectName), 0));
        return;
    }
    if (resultClass.equals(kFileNameClassName) || role.equals(kAntecedentRole) ||
        resultRole.equals(kDependentRole))
    {
        StringArray names = FileNamesOf(FindAvaliableUpdate(objectName));
        for (size_t i = 0; i < names.size(); ++i)
        {
            result.handle(FileInstance(names[i]));
        }
        return;
    }
    RefuseNotSupported();
}

void FileListMapProvider::associatorNames(const ProviderEnvironmentIFCRef& env,
                                          CIMObjectPathResultHandlerIFC& result, const String& ns,
                                          const CIMObjectPath& objectName, const String& assocClass,
                                          const String& resultClass, const String& role,
                                          const String& resultRole)
{
    CIMInstanceArray instances;
    CIMInstanceArrayBuilder collector(instances);
    associators(env, collector, ns, objectName, assocClass, resultClass, role, resultRole,
                E_EXCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN, 0);
    HandlePathsOf(instances, ns, result);
}

void FileListMapProvider::references(const ProviderEnvironmentIFCRef& env,
                                     CIMInstanceResultHandlerIFC& result, const String& ns,
                                     const CIMObjectPath& objectName, const String& resultClass,
                                     const String& /*role*/,
                                     EIncludeQualifiersFlag includeQualifiers,
                                     EIncludeClassOriginFlag includeClassOrigin,
                                     const StringArray* propertyList)
{
    CIMInstanceArray files;
    CIMInstanceArrayBuilder collector(files);
    associators(env, collector, ns, objectName, kFileListClassName, kFileNameClassName, "", "",
                includeQualifiers, includeClassOrigin, propertyList);

    CIMObjectPath antecedent(objectName);
    antecedent.setNameSpace(ns);
    for (size_t i = 0; i < files.size(); ++i)
    {
        CIMInstance link(resultClass);
        CIMObjectPath dependent(ns, files[i]);
        // Marked like the enumerated links, so both kinds look alike to a client.
        link.setProperty(ProvPropCreateKey(kAntecedentRole, CIMValue(antecedent)));
        link.setProperty(ProvPropCreateKey(kDependentRole, CIMValue(dependent)));
        result.handle(link);
    }
}

void FileListMapProvider::referenceNames(const ProviderEnvironmentIFCRef& env,
                                         CIMObjectPathResultHandlerIFC& result, const String& ns,
                                         const CIMObjectPath& objectName, const String& resultClass,
                                         const String& role)
{
    CIMInstanceArray instances;
    CIMInstanceArrayBuilder collector(instances);
    references(env, collector, ns, objectName, resultClass, role, E_EXCLUDE_QUALIFIERS,
               E_EXCLUDE_CLASS_ORIGIN, 0);
    HandlePathsOf(instances, ns, result);
}

void FileListMapProvider::initialize(const ProviderEnvironmentIFCRef& /*env*/) {}

void FileListMapProvider::cleanup() {}
