// Per-request context the CIMOM keeps while one operation runs (user, session data). Only
// construction is provided here; providers of this system read nothing from it.
// Thread-safety: one context per request; not shared between threads.
#ifndef OW_OPERATIONCONTEXT_HPP_INCLUDE_GUARD_
#define OW_OPERATIONCONTEXT_HPP_INCLUDE_GUARD_
#include "OW_config.h"

namespace OpenWBEM
{

class OperationContext
{
public:
    OperationContext();
    ~OperationContext();

private:
    // A context stands for one running request; copying it would split that identity.
    OperationContext(const OperationContext&);
    OperationContext& operator=(const OperationContext&);
};

} // end namespace OpenWBEM

#endif
