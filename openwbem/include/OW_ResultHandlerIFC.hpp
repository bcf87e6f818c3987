// The sink a provider hands its results to, one object at a time, so large answers can be
// streamed to the client instead of being collected first. Callers use handle(); concrete
// handlers implement doHandle().
// Thread-safety: a handler belongs to one request; it is not shared between threads.
#ifndef OW_RESULTHANDLERIFC_HPP_INCLUDE_GUARD_
#define OW_RESULTHANDLERIFC_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_CIMFwd.hpp"

namespace OpenWBEM
{

template <typename T> class ResultHandlerIFC
{
public:
    void handle(const T& x) { doHandle(x); }

    virtual ~ResultHandlerIFC() {}

protected:
    virtual void doHandle(const T& x) = 0;
};

typedef ResultHandlerIFC<CIMClass> CIMClassResultHandlerIFC;
typedef ResultHandlerIFC<CIMInstance> CIMInstanceResultHandlerIFC;
typedef ResultHandlerIFC<CIMObjectPath> CIMObjectPathResultHandlerIFC;
typedef ResultHandlerIFC<String> StringResultHandlerIFC;
typedef ResultHandlerIFC<CIMQualifierType> CIMQualifierTypeResultHandlerIFC;

} // end namespace OpenWBEM

#endif
