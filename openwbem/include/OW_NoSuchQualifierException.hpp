// Thrown by the strict ("...T()") getters of the CIM object classes when
// a qualifier looked up by name is absent (the message is the name).
// Thread-safety: each exception is an independent value.
#ifndef OW_NOSUCHQUALIFIEREXCEPTION_HPP_INCLUDE_GUARD_
#define OW_NOSUCHQUALIFIEREXCEPTION_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Exception.hpp"

namespace OpenWBEM
{

OW_DECLARE_EXCEPTION(NoSuchQualifier);

} // end namespace OpenWBEM

#endif
