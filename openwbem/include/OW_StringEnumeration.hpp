// The enumeration of strings (namespace and class names), complete.
// Thread-safety: see Enumeration.
#ifndef OW_STRINGENUMERATION_HPP_INCLUDE_GUARD_
#define OW_STRINGENUMERATION_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_CIMFwd.hpp"
#include "OW_Enumeration.hpp"
#include "OW_String.hpp"

#endif
