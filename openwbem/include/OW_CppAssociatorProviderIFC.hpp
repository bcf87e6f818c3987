// Interface of a provider that serves association classes: it is an instance provider of the
// association instances and also answers the four traversal requests from a given object.
// Thread-safety: calls may arrive concurrently; each implementation guards its own state.
#ifndef OW_CPPASSOCIATORPROVIDERIFC_HPP_INCLUDE_GUARD_
#define OW_CPPASSOCIATORPROVIDERIFC_HPP_INCLUDE_GUARD_
#include "OW_config.h"

#ifndef OW_DISABLE_ASSOCIATION_TRAVERSAL

#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_AssociatorProviderInfo.hpp"
#include "OW_ResultHandlerIFC.hpp"
#include "OW_WBEMFlags.hpp"
#include "OW_CIMFwd.hpp"
#include "OW_Reference.hpp"
#include "OW_SharedLibraryReference.hpp"

namespace OpenWBEM
{

// Empty assocClass, resultClass, role or resultRole strings place no restriction.
class CppAssociatorProviderIFC : public virtual CppInstanceProviderIFC
{
public:
    virtual ~CppAssociatorProviderIFC();

    virtual void getAssociatorProviderInfo(AssociatorProviderInfo&) {}

    // The objects associated with objectName.
    virtual void associators(const ProviderEnvironmentIFCRef& env,
                             CIMInstanceResultHandlerIFC& result, const String& ns,
                             const CIMObjectPath& objectName, const String& assocClass,
                             const String& resultClass, const String& role,
                             const String& resultRole,
                             WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                             WBEMFlags::EIncludeClassOriginFlag includeClassOrigin,
                             const StringArray* propertyList) = 0;

    virtual void associatorNames(const ProviderEnvironmentIFCRef& env,
                                 CIMObjectPathResultHandlerIFC& result, const String& ns,
                                 const CIMObjectPath& objectName, const String& assocClass,
                                 const String& resultClass, const String& role,
                                 const String& resultRole) = 0;

    // The association instances that refer to objectName.
    virtual void references(const ProviderEnvironmentIFCRef& env,
                            CIMInstanceResultHandlerIFC& result, const String& ns,
                            const CIMObjectPath& objectName, const String& resultClass,
                            const String& role, WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                            WBEMFlags::EIncludeClassOriginFlag includeClassOrigin,
                            const StringArray* propertyList) = 0;

    virtual void referenceNames(const ProviderEnvironmentIFCRef& env,
                                CIMObjectPathResultHandlerIFC& result, const String& ns,
                                const CIMObjectPath& objectName, const String& resultClass,
                                const String& role) = 0;

    virtual CppAssociatorProviderIFC* getAssociatorProvider() { return this; }
};

// Spelled "> >" so the header stays valid C++98.
// clang-format off
typedef SharedLibraryReference<Reference<CppAssociatorProviderIFC> > CppAssociatorProviderIFCRef;
// clang-format on

} // end namespace OpenWBEM

#endif // OW_DISABLE_ASSOCIATION_TRAVERSAL

#endif
