// The handle through which a provider may call back into the CIMOM. Only the type is
// provided here: providers of this system never call back, they merely pass the handle type
// through the provider environment.
// Thread-safety: types only.
#ifndef OW_CIMOMHANDLEIFC_HPP_INCLUDE_GUARD_
#define OW_CIMOMHANDLEIFC_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Types.hpp"
#include "OW_CIMFwd.hpp"
#include "OW_Array.hpp"
#include "OW_Reference.hpp"
#include "OW_WBEMFlags.hpp"
#include "OW_ResultHandlerIFC.hpp"
#include "OW_StringEnumeration.hpp"

namespace OpenWBEM
{

class CIMOMHandleIFC
{
public:
    virtual ~CIMOMHandleIFC();
};

typedef Reference<CIMOMHandleIFC> CIMOMHandleIFCRef;

} // end namespace OpenWBEM

#endif
