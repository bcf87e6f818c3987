// Fixed-width scalar names of the OpenWBEM API. 64-bit integers are `long` on LP64, exactly
// as the real configure step maps them, because overload resolution depends on it.
// Thread-safety: types only.
#ifndef OW_TYPES_HPP_INCLUDE_GUARD_
#define OW_TYPES_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include <sys/types.h>

namespace OpenWBEM
{

typedef unsigned char UInt8;
typedef signed char Int8;
typedef unsigned short UInt16;
typedef short Int16;
typedef unsigned int UInt32;
typedef int Int32;
#if OW_SIZEOF_LONG_INT == 8
typedef unsigned long UInt64;
typedef long Int64;
#else
typedef unsigned long long UInt64;
typedef long long Int64;
#endif
typedef float Real32;
typedef double Real64;

} // end namespace OpenWBEM

#endif
