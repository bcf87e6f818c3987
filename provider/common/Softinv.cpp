// The tool's command texts, built around the tool path chosen at build time.
#include "Softinv.h"

#ifndef SWU_SOFTINV_PATH
#define SWU_SOFTINV_PATH "/vk/bin/softinv"
#endif

const char kSoftinvPath[] = SWU_SOFTINV_PATH;

const char kSoftinvErrors[] = SWU_SOFTINV_PATH " --errors ";
const char kSoftinvSetInProgress[] = SWU_SOFTINV_PATH " --setinprogress";

const char kSoftinvInventory[] = SWU_SOFTINV_PATH " ";
const char kSoftinvSched[] = SWU_SOFTINV_PATH " --sched ";
const char kSoftinvApply[] = SWU_SOFTINV_PATH " --apply ";
const char kSoftinvHist[] = SWU_SOFTINV_PATH " --hist";
const char kSoftinvComponents[] = SWU_SOFTINV_PATH " --components ";
const char kSoftinvCache[] = SWU_SOFTINV_PATH " --cache ";
const char kSoftinvFiles[] = SWU_SOFTINV_PATH " --files ";

const char kSoftinvDescription[] = SWU_SOFTINV_PATH " -l ";
const char kSoftinvStatus[] = SWU_SOFTINV_PATH " --status ";
const char kSoftinvWarnings[] = SWU_SOFTINV_PATH " --warnings ";
const char kSoftinvHasComponents[] = SWU_SOFTINV_PATH " --hascomponents ";

const char kSoftinvModifySched[] = SWU_SOFTINV_PATH " --msched ";
const char kSoftinvRollBack[] = SWU_SOFTINV_PATH " --rback ";

const char kSoftinvFtp[] = SWU_SOFTINV_PATH " --ftp ";
const char kSoftinvHttp[] = SWU_SOFTINV_PATH " --http ";
const char kSoftinvSamba[] = SWU_SOFTINV_PATH " --samba ";
const char kSoftinvUsb[] = SWU_SOFTINV_PATH " --usb ";
const char kSoftinvHd[] = SWU_SOFTINV_PATH " --hd ";
const char kSoftinvEm[] = SWU_SOFTINV_PATH " --em ";
