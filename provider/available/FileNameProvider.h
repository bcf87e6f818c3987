// Serves ZVQ_AvailableSoftwareFileName: one instance per file name of the tool's file listing
// without a patch name, keyed by the name. Every request runs the listing afresh. Creation,
// modification, deletion and methods are refused.
// Thread-safety: no state; operations may run on several CIMOM threads at once.
#ifndef SWU_AVAILABLE_FILENAMEPROVIDER_H
#define SWU_AVAILABLE_FILENAMEPROVIDER_H

#include "OW_config.h"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_CppMethodProviderIFC.hpp"

#include "FileName.h"

class FileNameProvider : public OpenWBEM::CppInstanceProviderIFC,
                         public OpenWBEM::CppMethodProviderIFC
{
public:
    virtual ~FileNameProvider();

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

    // Every method is refused with CIM_ERR_NOT_SUPPORTED.
    virtual OpenWBEM::CIMValue
    invokeMethod(const OpenWBEM::ProviderEnvironmentIFCRef& env, const OpenWBEM::String& ns,
                 const OpenWBEM::CIMObjectPath& path, const OpenWBEM::String& methodName,
                 const OpenWBEM::CIMParamValueArray& in, OpenWBEM::CIMParamValueArray& out);

    void cleanup();

    // Sets the key property FileName of `instance` to the record's name.
    void FileNameToCIMInstance(const OpenWBEM::String& ns, const FileNameRecord& record,
                               const OpenWBEM::CIMClass& cimClass, OpenWBEM::CIMInstance& instance);

    // Sets the key property FileName of `instance` to `name`.
    static void FileNameToCIMInstance(const OpenWBEM::String& name,
                                      OpenWBEM::CIMInstance& instance);

    // Replaces the keys of `path` by the one key FileName.
    void FileNameToCIMObjectPath(const FileNameRecord& record, OpenWBEM::CIMObjectPath& path);

    // Fills `record` with the name the path's FileName key gives, as the listing without a
    // patch name has it: CIM_ERR_INVALID_PARAMETER for a path without a string value of that
    // key, CIM_ERR_NOT_FOUND when the listing lacks the name.
    void getFileNameWithCIMObjectPath(const OpenWBEM::CIMObjectPath& path, FileNameRecord& record);
};

// The one instance, registered with the master provider.
extern FileNameProvider gFileNameProvider;

#endif
