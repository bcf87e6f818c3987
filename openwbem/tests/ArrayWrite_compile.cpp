// Compiled, not run: with OW_ARRAY_CLONE_BY_ADL a write to an Array of an element type for which
// no COWReferenceClone is found must not compile, as with the real headers; writes to arrays
// of OpenWBEM types and of types that bring their own clone must.
#include "OW_config.h"
#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_String.hpp"

#include <vector>

namespace records
{
struct Cloned
{
};
inline std::vector<Cloned>* COWReferenceClone(std::vector<Cloned>* v)
{
    return new std::vector<Cloned>(*v);
}
} // namespace records

// Apart from the records, so that no clone of theirs is within reach either.
namespace plain
{
struct Plain
{
};
} // namespace plain

int main()
{
    OpenWBEM::Array<OpenWBEM::String> strings;
    strings.push_back("a");
    OpenWBEM::Array<OpenWBEM::Bool> flags;
    flags.push_back(true);
    OpenWBEM::Array<records::Cloned> cloned;
    cloned.push_back(records::Cloned());
#if defined(REFUSE_BOOL)
    OpenWBEM::Array<bool> b;
    b.push_back(true);
#elif defined(REFUSE_PLAIN)
    OpenWBEM::Array<plain::Plain> p;
    p.clear();
#endif
    return static_cast<int>(strings.size() + flags.size() + cloned.size()) - 3;
}
