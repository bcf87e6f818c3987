// Root of the named CIM elements (classes, instances, properties, qualifiers): CIM names are
// compared without regard to case.
// Thread-safety: interface only; see the derived classes.
#ifndef OW_CIMELEMENT_HPP_INCLUDE_GUARD_
#define OW_CIMELEMENT_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_CIMBase.hpp"
#include "OW_CIMFwd.hpp"

namespace OpenWBEM
{

class CIMElement : public CIMBase
{
public:
    virtual ~CIMElement();

    virtual String getName() const = 0;
    virtual void setName(const String& name) = 0;

    // Compares the names only, ignoring case. It is not const, exactly like the interface
    // providers were written against, so const elements cannot be compared this way.
    bool operator==(const CIMElement& arg);
};

} // end namespace OpenWBEM

#endif
