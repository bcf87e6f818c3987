// Conversion of a CIM value to another CIM data type (text to number, number to text, ...),
// and the exception thrown whenever a value is not of, or cannot become, the wanted type.
// Thread-safety: stateless functions.
#ifndef OW_CIMVALUECAST_HPP_INCLUDE_GUARD_
#define OW_CIMVALUECAST_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Exception.hpp"
#include "OW_CIMFwd.hpp"

namespace OpenWBEM
{

OW_DECLARE_EXCEPTION(ValueCast);

namespace CIMValueCast
{

// Returns the value converted to the given type. A null value stays null; a value that
// already has the type is returned unchanged. Throws ValueCastException when the value cannot
// be represented in the type (wrong text, out of range, array versus scalar, ...).
CIMValue castValueToDataType(const CIMValue& value, const CIMDataType& dataType);

} // end namespace CIMValueCast

} // end namespace OpenWBEM

#endif
