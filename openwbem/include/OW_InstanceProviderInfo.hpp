// Registration data of an instance provider: the classes whose instances it serves.
// Thread-safety: see ProviderInfoBase.
#ifndef OW_INSTANCEPROVIDERINFO_HPP_INCLUDE_GUARD_
#define OW_INSTANCEPROVIDERINFO_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_ProviderInfoBase.hpp"

namespace OpenWBEM
{

typedef ProviderInfoBase<InstClassInfo> InstanceProviderInfo;

} // end namespace OpenWBEM

#endif
