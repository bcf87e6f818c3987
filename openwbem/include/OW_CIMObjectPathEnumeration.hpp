// The enumeration of object paths, complete: include this where paths are read back from an
// enumeration rather than only passed around by name.
// Thread-safety: see Enumeration.
#ifndef OW_CIMOBJECTPATHENUMERATION_HPP_INCLUDE_GUARD_
#define OW_CIMOBJECTPATHENUMERATION_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_CIMFwd.hpp"
#include "OW_Enumeration.hpp"
#include "OW_CIMObjectPath.hpp"

#endif
