// Thrown by the strict ("...T()") getters of the CIM object classes when
// a value that must be present is null (the message names its holder).
// Thread-safety: each exception is an independent value.
#ifndef OW_NULLVALUEEXCEPTION_HPP_INCLUDE_GUARD_
#define OW_NULLVALUEEXCEPTION_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Exception.hpp"

namespace OpenWBEM
{

OW_DECLARE_EXCEPTION(NULLValue);

} // end namespace OpenWBEM

#endif
