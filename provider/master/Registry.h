// The registry of sub-providers: one slot per sub-provider object, in the order the objects
// are constructed. The master routes every request to a slot and calls the sub-provider through
// the OpenWBEM interfaces it implements; a slot without a sub-provider refuses its classes.
// Thread-safety: filled at library load and read-only afterwards (tests swap slots only while
// no request runs).
#ifndef SWU_MASTER_REGISTRY_H
#define SWU_MASTER_REGISTRY_H

#include "OW_config.h"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_CppMethodProviderIFC.hpp"
#include "OW_CppAssociatorProviderIFC.hpp"

// Slots in construction order, named after the sub-provider globals.
enum SubProviderSlot
{
    SLOT_APPLIED_UPDATE_PROVIDER,   // gAppliedUpdateProvider, HistoryUpdateProvider
    SLOT_PENDING_UPDATE_PROVIDER,   // gPendingUpdateProvider, ScheduledUpdateProvider
    SLOT_AVALIABLE_UPDATE_PROVIDER, // gAvaliableUpdateProvider, AvaliableUpdateProvider
    SLOT_ACTIVE_UPDATE_PROVIDER,    // gActiveUpdateProvider, ActiveUpdateProvider
    SLOT_INVENTORY_PROVIDER,        // gInventoryProvider, InventoryProvider
    SLOT_FILE_NAME_PROVIDER,        // gFileNameProvider, FileNameProvider
    SLOT_FILE_LIST,                 // gFileList, FileListMapProvider
    SLOT_COMPONENT_PROVIDER,        // gComponentProvider, ComponentProvider
    SUB_PROVIDER_SLOT_COUNT
};

// How the master reaches one sub-provider. Null members mean "not served": a slot whose
// sub-provider is not part of the build has all four null.
struct SubProviderEntry
{
    OpenWBEM::CppInstanceProviderIFC* instanceProvider;
    OpenWBEM::CppMethodProviderIFC* methodProvider;
    OpenWBEM::CppAssociatorProviderIFC* associatorProvider;
    // cleanup is a plain member of each sub-provider, outside the OpenWBEM interfaces.
    void (*cleanup)();
};

extern SubProviderEntry gSubProviderRegistry[SUB_PROVIDER_SLOT_COUNT];

// The cleanup hook of a sub-provider global: CallCleanup<HistoryUpdateProvider,
// &gAppliedUpdateProvider>.
template <class Provider, Provider* instance> void CallCleanup()
{
    instance->cleanup();
}

#endif
