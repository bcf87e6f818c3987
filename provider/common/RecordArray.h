// OpenWBEM::Array<T> for the provider's own records. The array copies its std::vector on the
// first write to a shared copy through COWReferenceClone, which OpenWBEM's reference finds by
// argument-dependent lookup only: for a vector of OpenWBEM types in namespace OpenWBEM, for a
// vector of our records (global namespace) here. Every header that declares a record kept in
// an Array includes this one.
#ifndef SWU_COMMON_RECORDARRAY_H
#define SWU_COMMON_RECORDARRAY_H

#include <vector>

template <class Record>
inline std::vector<Record>* COWReferenceClone(std::vector<Record>* records)
{
    return new std::vector<Record>(*records);
}

#endif
