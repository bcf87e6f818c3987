// The CIMOM's object store as seen from the provider environment. Only the type is provided
// here, so the environment's getRepository() can be declared and implemented.
// Thread-safety: types only.
#ifndef OW_REPOSITORYIFC_HPP_INCLUDE_GUARD_
#define OW_REPOSITORYIFC_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Types.hpp"
#include "OW_CIMFwd.hpp"
#include "OW_IntrusiveReference.hpp"
#include "OW_SharedLibraryReference.hpp"
#include "OW_WBEMFlags.hpp"
#include "OW_ResultHandlerIFC.hpp"

namespace OpenWBEM
{

class RepositoryIFC : public IntrusiveCountableBase
{
public:
    virtual ~RepositoryIFC();
};

typedef IntrusiveReference<RepositoryIFC> RepositoryIFCRef;

} // end namespace OpenWBEM

#endif
