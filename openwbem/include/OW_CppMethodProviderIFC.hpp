// Interface of a provider that executes the extrinsic methods of its classes.
// Thread-safety: calls may arrive concurrently; each implementation guards its own state.
#ifndef OW_CPPMETHODPROVIDERIFC_HPP_INCLUDE_GUARD_
#define OW_CPPMETHODPROVIDERIFC_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_CppProviderBaseIFC.hpp"
#include "OW_MethodProviderInfo.hpp"
#include "OW_CIMFwd.hpp"
#include "OW_Reference.hpp"
#include "OW_SharedLibraryReference.hpp"

namespace OpenWBEM
{

class CppMethodProviderIFC : public virtual CppProviderBaseIFC
{
public:
    virtual ~CppMethodProviderIFC();

    virtual void getMethodProviderInfo(MethodProviderInfo&) {}

    // Runs methodName on the object at path (an instance or a class); out receives the output
    // parameters, the return value is the method's result.
    virtual CIMValue invokeMethod(const ProviderEnvironmentIFCRef& env, const String& ns,
                                  const CIMObjectPath& path, const String& methodName,
                                  const CIMParamValueArray& in, CIMParamValueArray& out) = 0;

    virtual CppMethodProviderIFC* getMethodProvider() { return this; }
};

// Spelled "> >" so the header stays valid C++98.
// clang-format off
typedef SharedLibraryReference<Reference<CppMethodProviderIFC> > CppMethodProviderIFCRef;
// clang-format on

} // end namespace OpenWBEM

#endif
