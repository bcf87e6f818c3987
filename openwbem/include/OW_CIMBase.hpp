// Common root of the CIM object classes: every one of them can be reset to its null state and
// rendered as text and as MOF.
// Thread-safety: interface only; see the derived classes.
#ifndef OW_CIMBASE_HPP_INCLUDE_GUARD_
#define OW_CIMBASE_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_CIMFwd.hpp"

namespace OpenWBEM
{

class CIMBase
{
public:
    virtual ~CIMBase();

    virtual void setNull() = 0;
    virtual String toString() const = 0;
    virtual String toMOF() const = 0;
};

} // end namespace OpenWBEM

#endif
