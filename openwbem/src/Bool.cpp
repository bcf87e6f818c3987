// Bool's text form.
#include "OW_Bool.hpp"
#include "OW_String.hpp"

#include <ostream>

namespace OpenWBEM
{

String Bool::toString() const
{
    return String(m_val ? "true" : "false");
}

std::ostream& operator<<(std::ostream& ostrm, const Bool& arg)
{
    return ostrm << (arg ? "true" : "false");
}

} // end namespace OpenWBEM
