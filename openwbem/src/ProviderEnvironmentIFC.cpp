// Out-of-line anchors of the environment types a provider receives, so their virtual tables
// live in this library.
#include "OW_config.h"
#include "OW_ProviderEnvironmentIFC.hpp"
#include "OW_CIMOMHandleIFC.hpp"
#include "OW_RepositoryIFC.hpp"
#include "OW_OperationContext.hpp"

namespace OpenWBEM
{

ProviderEnvironmentIFC::~ProviderEnvironmentIFC() {}

CIMOMHandleIFC::~CIMOMHandleIFC() {}

RepositoryIFC::~RepositoryIFC() {}

OperationContext::OperationContext() {}

OperationContext::~OperationContext() {}

} // end namespace OpenWBEM
