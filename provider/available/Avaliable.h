// The updates the tool holds ready in its cache: the record of one available update with its
// four actions (apply, warnings, optional-component check, schedule), and the process-wide list
// the last cache listing filled, which lookups, methods and the update-to-file association read.
// Thread-safety: gAvaliableList is shared by every request for the available-update classes;
// read or write it only while holding an AvaliableListLock. Records are plain values: copy one
// out under the lock and run its actions without it.
#ifndef SWU_AVAILABLE_AVALIABLE_H
#define SWU_AVAILABLE_AVALIABLE_H

#include "OW_config.h"
#include "OW_Array.hpp"
#include "common/RecordArray.h"
#include "OW_String.hpp"
#include "OW_Types.hpp"

#include "installed/RecordListLock.h"

// The Reboot Required field text that means a reboot is needed.
const char kAvaliableRebootWord[] = "reboot";

// Status of an update whose Category field the status table does not know; also the status of
// the placeholder record.
const OpenWBEM::UInt8 kAvaliableStatusUnknown = 154;

// The placeholder record the list holds from initialisation to the first cache listing.
const char kAvaliablePlaceholderInstanceID[] = "1";
const char kAvaliablePlaceholderName[] = "Dummy";

class AvaliableUpdate
{
public:
    // Empty texts, no reboot, unknown status.
    AvaliableUpdate();

    const OpenWBEM::String& getInstanceID() const { return m_instanceID; }
    const OpenWBEM::String& getName() const { return m_name; }
    const OpenWBEM::String& getVersion() const { return m_version; }
    const OpenWBEM::String& getShortDescription() const { return m_shortDescription; }
    bool getRebootRequired() const { return m_rebootRequired; }
    const OpenWBEM::String& getSize() const { return m_size; }
    OpenWBEM::UInt8 getStatus() const { return m_status; }

    void setInstanceID(const OpenWBEM::String& instanceID) { m_instanceID = instanceID; }
    void setName(const OpenWBEM::String& name) { m_name = name; }
    void setVersion(const OpenWBEM::String& version) { m_version = version; }
    void setShortDescription(const OpenWBEM::String& text) { m_shortDescription = text; }
    void setRebootRequired(bool rebootRequired) { m_rebootRequired = rebootRequired; }
    void setSize(const OpenWBEM::String& size) { m_size = size; }
    void setStatus(OpenWBEM::UInt8 status) { m_status = status; }

    // The update's name, "-" and its version: how the tool's description and file listings
    // name one update.
    OpenWBEM::String getPatchName() const;

    // Starts applying the update, with the optional components chosen for it, on a background
    // task and returns the empty string at once; a failure to start is thrown.
    OpenWBEM::String Apply() const;

    // The tool's warnings for the update. Exit codes 0 and 1 are answers; above 1 the tool's
    // error is thrown.
    OpenWBEM::String Warnings() const;

    // Makes this update the one whose optional components are listed from now on, then asks
    // the tool whether it has any: true for exit code 0, false for 1; above 1 the tool's error
    // is thrown (the component context is already switched then).
    bool HasOptionalComponents() const;

    // Puts the update on the schedule between the two ctime-style times and returns the tool's
    // answer; a non-zero exit code is thrown as the tool's error.
    OpenWBEM::String Schedule(const OpenWBEM::String& start, const OpenWBEM::String& end) const;

private:
    OpenWBEM::String m_instanceID;
    OpenWBEM::String m_name;
    OpenWBEM::String m_version;
    OpenWBEM::String m_shortDescription;
    bool m_rebootRequired;
    OpenWBEM::String m_size;
    OpenWBEM::UInt8 m_status;
};

// The status of an update from the Category field of its cache line.
OpenWBEM::UInt8 AvaliableStatusOf(const OpenWBEM::String& category);

// The records of the last cache listing; entry N came from line N, so its InstanceID is N
// (before the first listing: the placeholder record alone).
extern OpenWBEM::Array<AvaliableUpdate> gAvaliableList;

// Holds the guard of gAvaliableList for its lifetime (not recursive).
class AvaliableListLock
{
public:
    AvaliableListLock();

private:
    RecordListLock m_lock;
};

// Runs the cache listing into `lines` and returns its exit code. Takes no lock, so requests that
// refresh the list at the same time run the tool side by side instead of in turn.
int RunAvaliableListing(OpenWBEM::Array<OpenWBEM::String>& lines);

// Empties gAvaliableList and appends one record per line of a listing run. A non-zero exit code
// is thrown as the tool's error; a line short of fields is thrown as a parse failure, the records
// of the lines before it staying in the list. The caller holds an AvaliableListLock.
void FillAvaliableList(int exitCode, const OpenWBEM::Array<OpenWBEM::String>& lines);

// Both of the above in one go, the tool running under the caller's AvaliableListLock.
void RefillAvaliableList();

// Appends the placeholder record (InstanceID "1", Name "Dummy", everything else empty). The
// caller holds an AvaliableListLock.
void AppendAvaliablePlaceholder();

#endif
