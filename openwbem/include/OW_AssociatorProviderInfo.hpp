// Registration data of an associator provider: the association classes it serves.
// Thread-safety: see ProviderInfoBase.
#ifndef OW_ASSOCIATORPROVIDERINFO_HPP_INCLUDE_GUARD_
#define OW_ASSOCIATORPROVIDERINFO_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_ProviderInfoBase.hpp"

namespace OpenWBEM
{

typedef ProviderInfoBase<InstClassInfo> AssociatorProviderInfo;

} // end namespace OpenWBEM

#endif
