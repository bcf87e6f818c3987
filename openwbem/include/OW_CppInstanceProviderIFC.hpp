// Interface of a provider that serves the instances of its classes: enumeration, retrieval
// and, unless instance manipulation is disabled, creation, modification and deletion.
// Thread-safety: calls may arrive concurrently; each implementation guards its own state.
#ifndef OW_CPPINSTANCEPROVIDERIFC_HPP_INCLUDE_GUARD_
#define OW_CPPINSTANCEPROVIDERIFC_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_CppProviderBaseIFC.hpp"
#include "OW_InstanceProviderInfo.hpp"
#include "OW_ResultHandlerIFC.hpp"
#include "OW_WBEMFlags.hpp"
#include "OW_CIMFwd.hpp"
#include "OW_Reference.hpp"
#include "OW_SharedLibraryReference.hpp"

namespace OpenWBEM
{

// A propertyList of 0 asks for all properties; a non-null empty list asks for none.
class CppInstanceProviderIFC : public virtual CppProviderBaseIFC
{
public:
    virtual ~CppInstanceProviderIFC();

    virtual void getInstanceProviderInfo(InstanceProviderInfo&) {}

    virtual void enumInstanceNames(const ProviderEnvironmentIFCRef& env, const String& ns,
                                   const String& className, CIMObjectPathResultHandlerIFC& result,
                                   const CIMClass& cimClass) = 0;

    // The default lists the names with enumInstanceNames and fetches each instance with
    // getInstance, passing the request's flags through; deep and requestedClass are unused.
    virtual void enumInstances(const ProviderEnvironmentIFCRef& env, const String& ns,
                               const String& className, CIMInstanceResultHandlerIFC& result,
                               WBEMFlags::ELocalOnlyFlag localOnly, WBEMFlags::EDeepFlag deep,
                               WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                               WBEMFlags::EIncludeClassOriginFlag includeClassOrigin,
                               const StringArray* propertyList, const CIMClass& requestedClass,
                               const CIMClass& cimClass);

    virtual CIMInstance getInstance(const ProviderEnvironmentIFCRef& env, const String& ns,
                                    const CIMObjectPath& instanceName,
                                    WBEMFlags::ELocalOnlyFlag localOnly,
                                    WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                                    WBEMFlags::EIncludeClassOriginFlag includeClassOrigin,
                                    const StringArray* propertyList, const CIMClass& cimClass) = 0;

#ifndef OW_DISABLE_INSTANCE_MANIPULATION
    virtual CIMObjectPath createInstance(const ProviderEnvironmentIFCRef& env, const String& ns,
                                         const CIMInstance& cimInstance) = 0;

    virtual void modifyInstance(const ProviderEnvironmentIFCRef& env, const String& ns,
                                const CIMInstance& modifiedInstance,
                                const CIMInstance& previousInstance,
                                WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                                const StringArray* propertyList, const CIMClass& theClass) = 0;

    virtual void deleteInstance(const ProviderEnvironmentIFCRef& env, const String& ns,
                                const CIMObjectPath& cop) = 0;
#endif

    virtual CppInstanceProviderIFC* getInstanceProvider()
    {
        return this;
    }
};

// Spelled "> >" so the header stays valid C++98.
// clang-format off
typedef SharedLibraryReference<Reference<CppInstanceProviderIFC> > CppInstanceProviderIFCRef;
// clang-format on

} // end namespace OpenWBEM

#endif
