// Serves the association ZVQ_AvailableSoftwareFileList between an available update
// (Antecedent) and each file it is made of (Dependent). The update end is read from the list the
// last enumeration of available updates left, the file end from the tool's file listing of that
// update, run afresh for every request. Instances cannot be created, modified or deleted.
// Thread-safety: no state of its own; the available-update list is read through copies taken
// under its lock, so operations may run on several CIMOM threads at once.
#ifndef SWU_AVAILABLE_FILELISTPROVIDER_H
#define SWU_AVAILABLE_FILELISTPROVIDER_H

#include "OW_config.h"
#include "OW_CppAssociatorProviderIFC.hpp"

class FileListMapProvider : public OpenWBEM::CppAssociatorProviderIFC
{
public:
    virtual ~FileListMapProvider();

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

    // An empty instance, whatever the path.
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

    // The end is chosen by the result class, role and result role alone: the update the path
    // names, or its files; neither gives CIM_ERR_NOT_SUPPORTED. The path is always resolved as
    // an available update.
    virtual void associators(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                             OpenWBEM::CIMInstanceResultHandlerIFC& result,
                             const OpenWBEM::String& ns, const OpenWBEM::CIMObjectPath& objectName,
                             const OpenWBEM::String& assocClass,
                             const OpenWBEM::String& resultClass, const OpenWBEM::String& role,
                             const OpenWBEM::String& resultRole,
                             OpenWBEM::WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                             OpenWBEM::WBEMFlags::EIncludeClassOriginFlag includeClassOrigin,
                             const OpenWBEM::StringArray* propertyList);

    virtual void associatorNames(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                 OpenWBEM::CIMObjectPathResultHandlerIFC& result,
                                 const OpenWBEM::String& ns,
                                 const OpenWBEM::CIMObjectPath& objectName,
                                 const OpenWBEM::String& assocClass,
                                 const OpenWBEM::String& resultClass, const OpenWBEM::String& role,
                                 const OpenWBEM::String& resultRole);

    // One association instance per file of the update the path names, always seen from the
    // update's side.
    virtual void references(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                            OpenWBEM::CIMInstanceResultHandlerIFC& result,
                            const OpenWBEM::String& ns, const OpenWBEM::CIMObjectPath& objectName,
                            const OpenWBEM::String& resultClass, const OpenWBEM::String& role,
                            OpenWBEM::WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                            OpenWBEM::WBEMFlags::EIncludeClassOriginFlag includeClassOrigin,
                            const OpenWBEM::StringArray* propertyList);

    virtual void referenceNames(const OpenWBEM::ProviderEnvironmentIFCRef& env,
                                OpenWBEM::CIMObjectPathResultHandlerIFC& result,
                                const OpenWBEM::String& ns,
                                const OpenWBEM::CIMObjectPath& objectName,
                                const OpenWBEM::String& resultClass, const OpenWBEM::String& role);

    virtual void initialize(const OpenWBEM::ProviderEnvironmentIFCRef& env);

    void cleanup();
};

// The one instance, registered with the master provider.
extern FileListMapProvider gFileList;

#endif
