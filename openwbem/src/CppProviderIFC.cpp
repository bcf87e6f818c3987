// Library side of the C++ provider interfaces: destructors, access-time bookkeeping and the
// default instance enumeration built from enumInstanceNames and getInstance.
#include "OW_config.h"
#include "OW_CppProviderBaseIFC.hpp"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_CppMethodProviderIFC.hpp"
#include "OW_CppAssociatorProviderIFC.hpp"
#include "OW_SharedLibraryReference.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMClass.hpp"

namespace OpenWBEM
{

namespace
{

// Turns each instance name the provider reports into the full instance, fetched from the
// same provider with the flags of the original request, and passes it on.
class InstanceFetchingHandler : public CIMObjectPathResultHandlerIFC
{
public:
    InstanceFetchingHandler(CppInstanceProviderIFC& provider, const ProviderEnvironmentIFCRef& env,
                            const String& ns, CIMInstanceResultHandlerIFC& result,
                            WBEMFlags::ELocalOnlyFlag localOnly,
                            WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                            WBEMFlags::EIncludeClassOriginFlag includeClassOrigin,
                            const StringArray* propertyList, const CIMClass& cimClass)
        : m_provider(provider), m_env(env), m_ns(ns), m_result(result), m_localOnly(localOnly),
          m_includeQualifiers(includeQualifiers), m_includeClassOrigin(includeClassOrigin),
          m_propertyList(propertyList), m_cimClass(cimClass)
    {
    }

protected:
    void doHandle(const CIMObjectPath& instanceName) override
    {
        m_result.handle(m_provider.getInstance(m_env, m_ns, instanceName, m_localOnly,
                                               m_includeQualifiers, m_includeClassOrigin,
                                               m_propertyList, m_cimClass));
    }

private:
    CppInstanceProviderIFC& m_provider;
    const ProviderEnvironmentIFCRef& m_env;
    const String& m_ns;
    CIMInstanceResultHandlerIFC& m_result;
    WBEMFlags::ELocalOnlyFlag m_localOnly;
    WBEMFlags::EIncludeQualifiersFlag m_includeQualifiers;
    WBEMFlags::EIncludeClassOriginFlag m_includeClassOrigin;
    const StringArray* m_propertyList;
    const CIMClass& m_cimClass;
};

} // namespace

SharedLibrary::~SharedLibrary() {}

CppProviderBaseIFC::~CppProviderBaseIFC() {}

void CppProviderBaseIFC::updateAccessTime()
{
    m_dt.setToCurrent();
}

CppInstanceProviderIFC::~CppInstanceProviderIFC() {}

void CppInstanceProviderIFC::enumInstances(
    const ProviderEnvironmentIFCRef& env, const String& ns, const String& className,
    CIMInstanceResultHandlerIFC& result, WBEMFlags::ELocalOnlyFlag localOnly,
    WBEMFlags::EDeepFlag /*deep*/, WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
    WBEMFlags::EIncludeClassOriginFlag includeClassOrigin, const StringArray* propertyList,
    const CIMClass& /*requestedClass*/, const CIMClass& cimClass)
{
    InstanceFetchingHandler fetcher(*this, env, ns, result, localOnly, includeQualifiers,
                                    includeClassOrigin, propertyList, cimClass);
    enumInstanceNames(env, ns, className, fetcher, cimClass);
}

CppMethodProviderIFC::~CppMethodProviderIFC() {}

#ifndef OW_DISABLE_ASSOCIATION_TRAVERSAL
CppAssociatorProviderIFC::~CppAssociatorProviderIFC() {}
#endif

} // end namespace OpenWBEM
