// The out-of-line part of Array's index checking.
#include "OW_Array.hpp"

#include <string>

namespace OpenWBEM
{

void throwArrayOutOfBoundsException(size_t size, size_t index)
{
    const std::string msg = "Array Index out of bounds. size = " + std::to_string(size) +
                            ", index = " + std::to_string(index);
    OW_THROW(OutOfBoundsException, msg.c_str());
}

} // end namespace OpenWBEM
