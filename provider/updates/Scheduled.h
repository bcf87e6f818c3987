// The updates the tool holds on its schedule: the list that runs the schedule listing and keeps
// its rows column by column, the manager that iterates it and finds one update by InstanceID,
// and the record of one scheduled update with its actions (description, new dates, removal).
// Also the pieces the active-update list shares with it: InstanceID, reboot flag, description.
// Thread-safety: objects live inside one request on one thread and are never shared; parses on
// different threads do not disturb each other.
#ifndef SWU_UPDATES_SCHEDULED_H
#define SWU_UPDATES_SCHEDULED_H

#include "OW_config.h"
#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMDateTime.hpp"
#include "OW_String.hpp"

#include <cstddef>

// The cursor value of a list whose iteration has not reached its first row.
const size_t kBeforeFirstRow = static_cast<size_t>(-1);

// The Reboot Required field text that means a reboot is needed; any other text means none.
const char kRebootRequiredText[] = "reboot";

// The InstanceID of an update: its name, one space, its version.
OpenWBEM::String UpdateInstanceID(const OpenWBEM::String& name, const OpenWBEM::String& version);

// True only for the exact field text "reboot".
bool IsRebootRequired(const OpenWBEM::String& field);

// Runs the long-description command of the update into `description`; true on exit code 0.
bool ReadUpdateDescription(const OpenWBEM::String& name, const OpenWBEM::String& version,
                           OpenWBEM::String& description);

// The stored date text as a CIM datetime; the library's exception if it is no date it reads.
OpenWBEM::CIMDateTime DateTextToCIMDateTime(const OpenWBEM::String& text);

class ScheduledUpdate_ObjectList
{
public:
    ScheduledUpdate_ObjectList();

    // Empties every column and puts the cursor before the first row.
    void Initialize();

    // Runs the schedule listing and parses every output line into one row. Always true: a
    // non-zero exit code or a line with a missing field is thrown as a CIM exception.
    bool getObjectList();

    void begin();
    // Steps to the next row; true while that row exists.
    bool hasObject();
    void next();
    void end();

    // The current row.
    OpenWBEM::String getInstanceID() const;
    OpenWBEM::String getName() const;
    OpenWBEM::String getVersion() const;
    OpenWBEM::String getShortDescription() const;
    OpenWBEM::String getLocation() const;
    OpenWBEM::String getDownloadDate() const;
    OpenWBEM::String getApplyDate() const;
    bool getRebootRequired() const;
    OpenWBEM::String getStatus() const;
    OpenWBEM::String getSize() const;

private:
    // Not limited to a small integer: a list holds any number of rows.
    size_t m_cursor;
    OpenWBEM::StringArray m_names;
    OpenWBEM::StringArray m_versions;
    OpenWBEM::StringArray m_shortDescriptions;
    OpenWBEM::StringArray m_locations;
    OpenWBEM::StringArray m_downloadDates;
    OpenWBEM::StringArray m_applyDates;
    OpenWBEM::Array<OpenWBEM::Bool> m_rebootFlags;
    OpenWBEM::StringArray m_statuses;
    OpenWBEM::StringArray m_sizes;
};

class ScheduledUpdate
{
public:
    ScheduledUpdate();
    // A copy of the list's current row.
    explicit ScheduledUpdate(const ScheduledUpdate_ObjectList& list);

    bool getInstanceID(OpenWBEM::String& value) const;
    bool getName(OpenWBEM::String& value) const;
    bool getVersion(OpenWBEM::String& value) const;
    bool getShortDescription(OpenWBEM::String& value) const;
    bool getLocation(OpenWBEM::String& value) const;
    bool getDownloadDate(OpenWBEM::CIMDateTime& value) const;
    bool getApplyDate(OpenWBEM::CIMDateTime& value) const;
    bool getRebootRequired(bool& value) const;
    bool getStatus(OpenWBEM::String& value) const;
    bool getSize(OpenWBEM::String& value) const;

    // The tool's long description of the update; false (and nothing thrown) when the tool
    // exits with a non-zero code.
    bool getUpdateDescription(OpenWBEM::String& description);

    // Gives the update the two new schedule texts; returns the empty string. A non-zero exit
    // code is thrown as the tool's error.
    OpenWBEM::String modify(const OpenWBEM::String& first, const OpenWBEM::String& second);

    // Takes the update off the schedule; returns the empty string or throws like modify.
    OpenWBEM::String remove();

private:
    OpenWBEM::String m_instanceID;
    OpenWBEM::String m_name;
    OpenWBEM::String m_version;
    OpenWBEM::String m_shortDescription;
    OpenWBEM::String m_location;
    OpenWBEM::String m_downloadDate;
    OpenWBEM::String m_applyDate;
    bool m_rebootRequired;
    OpenWBEM::String m_status;
    OpenWBEM::String m_size;
};

class ScheduledUpdate_ObjectInstanceManager
{
public:
    void init();

    // Enumeration: startIteration, then hasNext/getNext until hasNext is false, endIteration.
    void startIteration();
    bool hasNext();
    void getNext(ScheduledUpdate& record);
    void endIteration();

    // Runs the listing again and fills `record` from the first row whose InstanceID equals
    // `instanceID` exactly; CIM_ERR_NOT_FOUND without message text when no row does.
    void getOneObject(const OpenWBEM::String& instanceID, ScheduledUpdate& record) const;

    // Fills `record` from the list's current row.
    void getOneObject(const ScheduledUpdate_ObjectList& list, ScheduledUpdate& record) const;

private:
    ScheduledUpdate_ObjectList m_list;
};

#endif
