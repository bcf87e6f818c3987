// Test fixture: a provider library built for another OpenWBEM version, which the provider
// manager must refuse before creating anything.
// Thread-safety: not applicable; nothing here may ever run.
#include "OW_config.h"
#include "OW_CppProviderBaseIFC.hpp"

namespace
{

class NeverCreated : public OpenWBEM::CppProviderBaseIFC
{
};

} // namespace

extern "C" const char* getOWVersion()
{
    return "3.0.2";
}

extern "C" OpenWBEM::CppProviderBaseIFC* createProviderBadVersion()
{
    return new NeverCreated;
}
