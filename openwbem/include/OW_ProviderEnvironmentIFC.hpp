// What the CIMOM lends a provider for the duration of a call: its logger, its configuration,
// the requesting user and handles back into the CIMOM. Implemented by the CIMOM (and by test
// doubles); providers only call it.
// Thread-safety: const accessors may run concurrently where the implementation allows it.
#ifndef OW_PROVIDERENVIRONMENTIFC_HPP_INCLUDE_GUARD_
#define OW_PROVIDERENVIRONMENTIFC_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_String.hpp"
#include "OW_IntrusiveReference.hpp"
#include "OW_Logger.hpp"
#include "OW_CIMOMHandleIFC.hpp"
#include "OW_RepositoryIFC.hpp"

namespace OpenWBEM
{

class OperationContext;

class ProviderEnvironmentIFC : public IntrusiveCountableBase
{
public:
    virtual ~ProviderEnvironmentIFC();

    virtual CIMOMHandleIFCRef getCIMOMHandle() const = 0;
    virtual CIMOMHandleIFCRef getRepositoryCIMOMHandle() const = 0;
    virtual RepositoryIFCRef getRepository() const = 0;
    virtual LoggerRef getLogger() const = 0;
    // Returns defRetVal when the item is not configured.
    virtual String getConfigItem(const String& name, const String& defRetVal = "") const = 0;
    virtual String getUserName() const = 0;
    virtual OperationContext& getOperationContext() = 0;
};

typedef IntrusiveReference<ProviderEnvironmentIFC> ProviderEnvironmentIFCRef;

} // end namespace OpenWBEM

#endif
