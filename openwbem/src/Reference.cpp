// Raising the null-reference exceptions for Reference, IntrusiveReference and the CIM objects.
#include "OW_Reference.hpp"
#include "OW_IntrusiveReference.hpp"
#include "NullExceptions.hpp"

namespace OpenWBEM
{

void ReferenceHelpers::throwNULLException()
{
    OW_THROW(NULLReferenceException, NULL_REFERENCE_MESSAGE);
}

void throwNULLCOWReference(const char* file, int line)
{
    throw NULLCOWReferenceException(file, line, NULL_COW_REFERENCE_MESSAGE);
}

} // end namespace OpenWBEM
