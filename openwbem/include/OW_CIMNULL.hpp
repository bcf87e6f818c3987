// The tag that asks any CIM object class for its null state.
// Thread-safety: types only.
#ifndef OW_CIMNULL_HPP_INCLUDE_GUARD_
#define OW_CIMNULL_HPP_INCLUDE_GUARD_
#include "OW_config.h"

namespace OpenWBEM
{

enum CIMNULL_t
{
    CIMNULL
};

} // end namespace OpenWBEM

#endif
