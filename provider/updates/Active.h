// The updates the tool is applying right now: the list that runs the apply listing and keeps its
// rows column by column, the manager that iterates it and finds one update by InstanceID, and
// the record of one active update with its description and its cancellation (a roll-back).
// Thread-safety: objects live inside one request on one thread and are never shared.
#ifndef SWU_UPDATES_ACTIVE_H
#define SWU_UPDATES_ACTIVE_H

#include "OW_config.h"
#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMDateTime.hpp"
#include "OW_String.hpp"

#include <cstddef>

class ActiveUpdate_ObjectList
{
public:
    ActiveUpdate_ObjectList();

    // Empties every column and puts the cursor before the first row.
    void Initialize();

    // Runs the apply listing and parses every output line into one row. Always true: a
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
    OpenWBEM::StringArray m_applyDates;
    OpenWBEM::Array<OpenWBEM::Bool> m_rebootFlags;
    OpenWBEM::StringArray m_statuses;
    OpenWBEM::StringArray m_sizes;
};

class ActiveUpdate
{
public:
    ActiveUpdate();
    // A copy of the list's current row.
    explicit ActiveUpdate(const ActiveUpdate_ObjectList& list);

    bool getInstanceID(OpenWBEM::String& value) const;
    bool getName(OpenWBEM::String& value) const;
    bool getVersion(OpenWBEM::String& value) const;
    bool getShortDescription(OpenWBEM::String& value) const;
    bool getLocation(OpenWBEM::String& value) const;
    bool getApplyDate(OpenWBEM::CIMDateTime& value) const;
    bool getRebootRequired(bool& value) const;
    bool getStatus(OpenWBEM::String& value) const;
    bool getSize(OpenWBEM::String& value) const;

    // The tool's long description of the update; false (and nothing thrown) when the tool
    // exits with a non-zero code.
    bool getUpdateDescription(OpenWBEM::String& description);

    // Rolls the update back; returns the empty string. A non-zero exit code is thrown as the
    // tool's error.
    OpenWBEM::String Cancel();

private:
    OpenWBEM::String m_instanceID;
    OpenWBEM::String m_name;
    OpenWBEM::String m_version;
    OpenWBEM::String m_shortDescription;
    OpenWBEM::String m_location;
    OpenWBEM::String m_applyDate;
    bool m_rebootRequired;
    OpenWBEM::String m_status;
    OpenWBEM::String m_size;
};

class ActiveUpdate_ObjectInstanceManager
{
public:
    void init();

    // Enumeration: startIteration, then hasNext/getNext until hasNext is false, endIteration.
    void startIteration();
    bool hasNext();
    void getNext(ActiveUpdate& record);
    void endIteration();

    // Runs the listing again and fills `record` from the first row whose InstanceID equals
    // `instanceID` exactly; CIM_ERR_NOT_FOUND without message text when no row does.
    void getOneObject(const OpenWBEM::String& instanceID, ActiveUpdate& record) const;

    // Fills `record` from the list's current row.
    void getOneObject(const ActiveUpdate_ObjectList& list, ActiveUpdate& record) const;

private:
    ActiveUpdate_ObjectList m_list;
};

#endif
