// The command texts of the softinv tool, the one program that owns all update and inventory
// data. Every command line the provider runs starts with one of these texts: the tool's path
// and an option. The path is fixed when the library is built (only Softinv.cpp sees it), so a
// second copy of the library can point at another tool without any run-time configuration.
// Thread-safety: constants only.
#ifndef SWU_COMMON_SOFTINV_H
#define SWU_COMMON_SOFTINV_H

extern const char kSoftinvPath[]; // the tool itself

// Error texts and the in-progress mark.
extern const char kSoftinvErrors[];        // " --errors ", the exit code follows directly
extern const char kSoftinvSetInProgress[]; // " --setinprogress"

// Listings, one record per line, fields separated by tabs.
extern const char kSoftinvInventory[];  // " "
extern const char kSoftinvSched[];      // " --sched "; with name, version and dates: schedule
extern const char kSoftinvApply[];      // " --apply "; with name, version, components: apply
extern const char kSoftinvHist[];       // " --hist"
extern const char kSoftinvComponents[]; // " --components " name " " version
extern const char kSoftinvCache[];      // " --cache "
extern const char kSoftinvFiles[];      // " --files ", then nothing or name "-" version

// Texts about one update or about the tool's state.
extern const char kSoftinvDescription[];   // " -l " name "-" version
extern const char kSoftinvStatus[];        // " --status "
extern const char kSoftinvWarnings[];      // " --warnings " name " " version " "
extern const char kSoftinvHasComponents[]; // " --hascomponents " name " " version

// Changes to the schedule and to what is installed.
extern const char kSoftinvModifySched[]; // " --msched " name " " version [dates]
extern const char kSoftinvRollBack[];    // " --rback " name " " version

// Fetching updates into the tool's cache.
extern const char kSoftinvFtp[];   // " --ftp "
extern const char kSoftinvHttp[];  // " --http "
extern const char kSoftinvSamba[]; // " --samba "
extern const char kSoftinvUsb[];   // " --usb "
extern const char kSoftinvHd[];    // " --hd "
extern const char kSoftinvEm[];    // " --em "

#endif
