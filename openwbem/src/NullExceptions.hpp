// The exceptions the library raises when an empty reference or a null CIM object is used:
// library-internal types, so callers outside catch them as Exception.
// Thread-safety: types and stateless functions only.
#ifndef OW_SRC_NULLEXCEPTIONS_HPP_INCLUDE_GUARD_
#define OW_SRC_NULLEXCEPTIONS_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Exception.hpp"

namespace OpenWBEM
{

OW_DECLARE_EXCEPTION(NULLReference);
OW_DECLARE_EXCEPTION(NULLCOWReference);

inline constexpr const char* NULL_REFERENCE_MESSAGE = "NULL Reference dereferenced";
inline constexpr const char* NULL_COW_REFERENCE_MESSAGE = "NULL COWReference dereferenced";

// For the accessors of a null CIM object (a null CIMValue, a CIMProperty built from one, ...):
// throws NULLCOWReferenceException carrying the caller's position and the standard message.
[[noreturn]] void throwNULLCOWReference(const char* file, int line);

} // end namespace OpenWBEM

#endif
