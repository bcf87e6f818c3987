// Test fixture: a provider library with the right version but without the factory function
// createProvider<Id> the provider manager looks for.
// Thread-safety: not applicable.
#include "OW_config.h"

extern "C" const char* getOWVersion()
{
    return OW_VERSION;
}

// Named for another id: the manager must not pick it up.
extern "C" void* createProviderSomethingElse()
{
    return 0;
}
