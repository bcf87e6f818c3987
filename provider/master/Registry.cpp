// The class-name table and the sub-provider objects, defined together so that they are
// constructed in this order at library load (and destroyed in reverse order at unload).
//
// A sub-provider joins the library here: include its header, define its global below the
// class-name table at its place in the slot order, and fill its slot, e.g.
//     HistoryUpdateProvider gAppliedUpdateProvider;
//     { &gAppliedUpdateProvider, &gAppliedUpdateProvider, 0,
//       &CallCleanup<HistoryUpdateProvider, &gAppliedUpdateProvider> },
// (the association provider fills instanceProvider and associatorProvider, no methodProvider).
#include "ClassNames.h"
#include "Registry.h"
#include "available/AvaliableProvider.h"
#include "available/FileListProvider.h"
#include "available/FileNameProvider.h"
#include "installed/ComponentProvider.h"
#include "installed/HistoryProvider.h"
#include "installed/InventoryProvider.h"
#include "updates/ActiveProvider.h"
#include "updates/ScheduledProvider.h"

using namespace OpenWBEM;

const String gAppliedUpdatesClass("ZVQ_HistorySoftwareUpdate");
const String gPendingUpdatesClass("ZVQ_ScheduledSoftwareUpdate");
const String gAvaliableUpdatesClass("ZVQ_AvailableSoftwareUpdate");
const String gActiveUpdatesClass("ZVQ_ActiveSoftwareUpdate");
const String gInventoryClass("ZVQ_SoftwareIdentity");
const String gComponentClass("ZVQ_SoftwareUpdateComponent");
const String gFileNameClass("ZVQ_AvailableSoftwareFileName");
const String gFileListClass("ZVQ_AvailableSoftwareFileList");
const String gEMVersionClass("ZVQ_ElementManagerCartridgeVersionInfo");

// Sub-provider objects, in slot order.
HistoryUpdateProvider gAppliedUpdateProvider;
ScheduledUpdateProvider gPendingUpdateProvider;
AvaliableUpdateProvider gAvaliableUpdateProvider;
ActiveUpdateProvider gActiveUpdateProvider;
InventoryProvider gInventoryProvider;
FileNameProvider gFileNameProvider;
FileListMapProvider gFileList;
ComponentProvider gComponentProvider;

SubProviderEntry gSubProviderRegistry[SUB_PROVIDER_SLOT_COUNT] = {
    // SLOT_APPLIED_UPDATE_PROVIDER
    {&gAppliedUpdateProvider, &gAppliedUpdateProvider, 0,
     &CallCleanup<HistoryUpdateProvider, &gAppliedUpdateProvider>},
    // SLOT_PENDING_UPDATE_PROVIDER
    {&gPendingUpdateProvider, &gPendingUpdateProvider, 0,
     &CallCleanup<ScheduledUpdateProvider, &gPendingUpdateProvider>},
    // SLOT_AVALIABLE_UPDATE_PROVIDER
    {&gAvaliableUpdateProvider, &gAvaliableUpdateProvider, 0,
     &CallCleanup<AvaliableUpdateProvider, &gAvaliableUpdateProvider>},
    // SLOT_ACTIVE_UPDATE_PROVIDER
    {&gActiveUpdateProvider, &gActiveUpdateProvider, 0,
     &CallCleanup<ActiveUpdateProvider, &gActiveUpdateProvider>},
    // SLOT_INVENTORY_PROVIDER
    {&gInventoryProvider, &gInventoryProvider, 0,
     &CallCleanup<InventoryProvider, &gInventoryProvider>},
    // SLOT_FILE_NAME_PROVIDER
    {&gFileNameProvider, &gFileNameProvider, 0, &CallCleanup<FileNameProvider, &gFileNameProvider>},
    // SLOT_FILE_LIST
    {&gFileList, 0, &gFileList, &CallCleanup<FileListMapProvider, &gFileList>},
    // SLOT_COMPONENT_PROVIDER
    {&gComponentProvider, &gComponentProvider, 0,
     &CallCleanup<ComponentProvider, &gComponentProvider>},
};
