// The applied updates as the tool's history listing reports them: one record per applied
// update, the process-wide list the last listing filled, and the roll-back of one update.
// Thread-safety: gHistoryList is shared by every request for the history class; read or write
// it only while holding a HistoryListLock. Records are plain values, safe to copy out and use
// without the lock.
#ifndef SWU_INSTALLED_HISTORY_H
#define SWU_INSTALLED_HISTORY_H

#include "OW_config.h"
#include "OW_String.hpp"
#include "OW_Array.hpp"
#include "common/RecordArray.h"

#include "RecordListLock.h"

// The word in the history listing's last column that marks an update that can be rolled back.
const char kHistoryRemovableWord[] = "Removable";

class HistoryUpdate
{
public:
    HistoryUpdate();

    const OpenWBEM::String& getInstanceID() const { return m_instanceID; }
    const OpenWBEM::String& getDate() const { return m_date; }
    const OpenWBEM::String& getCategory() const { return m_category; }
    const OpenWBEM::String& getName() const { return m_name; }
    const OpenWBEM::String& getVersion() const { return m_version; }
    const OpenWBEM::String& getDescription() const { return m_description; }
    bool getRemovable() const { return m_removable; }

    void setInstanceID(const OpenWBEM::String& instanceID) { m_instanceID = instanceID; }
    void setDate(const OpenWBEM::String& date) { m_date = date; }
    void setCategory(const OpenWBEM::String& category) { m_category = category; }
    void setName(const OpenWBEM::String& name) { m_name = name; }
    void setVersion(const OpenWBEM::String& version) { m_version = version; }
    void setDescription(const OpenWBEM::String& description) { m_description = description; }
    void setRemovable(bool removable) { m_removable = removable; }

    // Starts rolling this update back on a background task and returns true at once; a failure
    // to start is thrown (CIM_ERR_FAILED), never returned.
    bool Remove() const;

private:
    OpenWBEM::String m_instanceID;
    OpenWBEM::String m_date;
    OpenWBEM::String m_category;
    OpenWBEM::String m_name;
    OpenWBEM::String m_version;
    OpenWBEM::String m_description;
    bool m_removable;
};

// The records of the last history listing; entry N came from line N, so its InstanceID is N.
extern OpenWBEM::Array<HistoryUpdate> gHistoryList;

// Holds the guard of gHistoryList for its lifetime (not recursive).
class HistoryListLock
{
public:
    HistoryListLock();

private:
    RecordListLock m_lock;
};

// Runs the history listing into `lines` and returns its exit code. Takes no lock, so requests
// that refresh the list at the same time run the tool side by side instead of in turn.
int RunHistoryListing(OpenWBEM::Array<OpenWBEM::String>& lines);

// Empties gHistoryList and appends one record per line of a listing run. A non-zero exit code
// is thrown as the tool's error; a line short of fields is thrown as a parse failure, the
// records of the lines before it staying in the list. The caller holds a HistoryListLock.
void FillHistoryList(int exitCode, const OpenWBEM::Array<OpenWBEM::String>& lines);

// Both of the above in one go, the tool running under the caller's HistoryListLock.
void RefillHistoryList();

#endif
