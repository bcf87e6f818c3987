// Serves ZVQ_AvailableSoftwareUpdate: enumerations re-read the tool's cache, getInstance, the
// update methods and the association answer from the list the last enumeration left; the
// retrieval methods fetch updates into the cache in the background, GetProgress reports how a
// background operation goes. Instances cannot be created, modified or deleted.
// Thread-safety: operations may run on several CIMOM threads at once; the shared list is only
// touched under its lock, and every request works on record copies taken under it.
#ifndef SWU_AVAILABLE_AVALIABLEPROVIDER_H
#define SWU_AVAILABLE_AVALIABLEPROVIDER_H

#include "OW_config.h"
#include "OW_Bool.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_CppMethodProviderIFC.hpp"
#include "OW_Types.hpp"

#include "Avaliable.h"

// Return values of the retrieval methods for refused arguments (nothing is started then).
const char kInvalidParametersResult[] = "Invalid Parameters";
const char kInvalidIPAddressResult[] = "Invalid IP Address";

// Progress code and status texts GetProgress gives when the tool's report cannot be read.
const OpenWBEM::Int8 kProgressUnreadable = -1;
const OpenWBEM::Int8 kProgressHighestCode = 2;
const char kProgressParseFailedText[] = "Failed to parse Progress status string";
const char kProgressBadCodeText[] = "Invalid GetProgress Return Code";

// True when the text holds a single quote.
bool hasQuote(OpenWBEM::String text);
// True when the text holds one of ; ( ) [ ] * $ # |
bool hasSpecialChars(OpenWBEM::String text);
// True when the C library's inet_aton accepts the text.
bool isValidIPAddr(OpenWBEM::String text);

// A copy of the record the path's InstanceID names in the current list: CIM_ERR_INVALID_PARAMETER
// for a path without that key or with a null value, CIM_ERR_NOT_FOUND when no record matches.
AvaliableUpdate FindAvaliableUpdate(const OpenWBEM::CIMObjectPath& path);

// A copy of the current list.
OpenWBEM::Array<AvaliableUpdate> AvaliableListSnapshot();

class AvaliableUpdateProvider : public OpenWBEM::CppInstanceProviderIFC,
                                public OpenWBEM::CppMethodProviderIFC
{
public:
    virtual ~AvaliableUpdateProvider();

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

    // Puts the placeholder record into the list.
    virtual void initialize(const OpenWBEM::ProviderEnvironmentIFCRef& env);

    virtual OpenWBEM::CIMValue
    invokeMethod(const OpenWBEM::ProviderEnvironmentIFCRef& env, const OpenWBEM::String& ns,
                 const OpenWBEM::CIMObjectPath& path, const OpenWBEM::String& methodName,
                 const OpenWBEM::CIMParamValueArray& in, OpenWBEM::CIMParamValueArray& out);

    void cleanup();

    // Refills gAvaliableList from a new cache listing; failures are thrown, so the result is
    // always true.
    bool GetCachedList();

    // The instance of the current entry `index` (CIM_ERR_NOT_FOUND past the list).
    static OpenWBEM::CIMInstance GetInstance(int index, const OpenWBEM::StringArray* propertyList);

    // The instance of `update`. When the property list names UpdateDescription, the update's
    // long description is asked from the tool (once per naming); its failure is thrown.
    static OpenWBEM::CIMInstance BuildInstance(const AvaliableUpdate& update,
                                               const OpenWBEM::StringArray* propertyList);

    // Gives `path` the single key InstanceID of the current entry `index` (CIM_ERR_NOT_FOUND
    // past the list).
    void SetObjectPathKeys(OpenWBEM::CIMObjectPath& path, unsigned int index);

    // The retrievals: each checks its arguments, hands the fetch command to a background task
    // and returns the empty string, or returns kInvalidParametersResult/kInvalidIPAddressResult
    // without starting anything. A failure to start is thrown.
    OpenWBEM::String GetViaFtp(const OpenWBEM::String& address, const OpenWBEM::String& text1,
                               const OpenWBEM::String& text2, const OpenWBEM::String& text3);
    OpenWBEM::String GetViaHttp(const OpenWBEM::String& address, const OpenWBEM::String& text1,
                                const OpenWBEM::String& text2, const OpenWBEM::String& text3,
                                const OpenWBEM::Bool& flag);
    OpenWBEM::String GetViaSamba(const OpenWBEM::String& address, const OpenWBEM::String& text1,
                                 const OpenWBEM::String& text2, const OpenWBEM::String& text3);
    OpenWBEM::String GetViaUsb(const OpenWBEM::String& path);
    OpenWBEM::String GetViaHardDrive(const OpenWBEM::String& path);
    OpenWBEM::String GetViaElementManager();

    // Asks the tool how the background operation goes: its code (0 to 2) and text, or
    // kProgressUnreadable with one of the two texts above. A non-zero exit code of the status
    // command is thrown as the tool's error.
    OpenWBEM::Int8 GetProgress(OpenWBEM::String& status);
};

// The one instance, registered with the master provider.
extern AvaliableUpdateProvider gAvaliableUpdateProvider;

#endif
