// The names of the CIM classes this library serves, compared with every incoming class name.
// Thread-safety: constant after library load; read from any thread.
#ifndef SWU_MASTER_CLASSNAMES_H
#define SWU_MASTER_CLASSNAMES_H

#include "OW_config.h"
#include "OW_String.hpp"

extern const OpenWBEM::String gAppliedUpdatesClass;   // ZVQ_HistorySoftwareUpdate
extern const OpenWBEM::String gPendingUpdatesClass;   // ZVQ_ScheduledSoftwareUpdate
extern const OpenWBEM::String gAvaliableUpdatesClass; // ZVQ_AvailableSoftwareUpdate
extern const OpenWBEM::String gActiveUpdatesClass;    // ZVQ_ActiveSoftwareUpdate
extern const OpenWBEM::String gInventoryClass;        // ZVQ_SoftwareIdentity
extern const OpenWBEM::String gComponentClass;        // ZVQ_SoftwareUpdateComponent
extern const OpenWBEM::String gFileNameClass;         // ZVQ_AvailableSoftwareFileName
extern const OpenWBEM::String gFileListClass;         // ZVQ_AvailableSoftwareFileList
extern const OpenWBEM::String gEMVersionClass;        // ZVQ_ElementManagerCartridgeVersionInfo

// The association class, as the association operations compare it.
const char kFileListAssociationClass[] = "ZVQ_AvailableSoftwareFileList";

#endif
