// The apply listing, its rows and the cancellation of one active update.
#include "Active.h"
#include "Scheduled.h"
#include "common/Common.h"

#include "OW_CIMException.hpp"

using namespace OpenWBEM;

ActiveUpdate_ObjectList::ActiveUpdate_ObjectList() : m_cursor(kBeforeFirstRow) {}

void ActiveUpdate_ObjectList::Initialize()
{
    m_cursor = kBeforeFirstRow;
    m_names.clear();
    m_versions.clear();
    m_shortDescriptions.clear();
    m_locations.clear();
    m_applyDates.clear();
    m_rebootFlags.clear();
    m_statuses.clear();
    m_sizes.clear();
}

bool ActiveUpdate_ObjectList::getObjectList()
{
    Initialize();

    Array<String> lines;
    int exitCode = Execute(String(kSoftinvApply), lines);
    if (exitCode != 0)
    {
        ThrowSoftInvError(exitCode);
    }

    const char* source = kSoftinvApply;
    for (size_t i = 0; i < lines.size(); ++i)
    {
        // The tokenizer reads the text in place, so the line is held until its last field.
        const String line(lines[i]);
        String name = GetNextToken(line.c_str(), "Name", source);
        String version = GetNextToken(0, "Version", source);
        String shortDescription = GetNextToken(0, "Short Description", source);
        String location = GetNextToken(0, "Location", source);
        String applyDate = GetNextToken(0, "Apply Date", source);
        bool rebootRequired = IsRebootRequired(GetNextToken(0, "Reboot Required", source));
        String size = GetNextToken(0, "Size", source);
        String status = GetNextToken(0, "Status", source);

        m_names.push_back(name);
        m_versions.push_back(version);
        m_shortDescriptions.push_back(shortDescription);
        m_locations.push_back(location);
        m_applyDates.push_back(applyDate);
        m_rebootFlags.push_back(rebootRequired);
        m_statuses.push_back(status);
        m_sizes.push_back(size);
    }
    return true;
}

void ActiveUpdate_ObjectList::begin()
{
    m_cursor = kBeforeFirstRow;
}

bool ActiveUpdate_ObjectList::hasObject()
{
    // Past the last row the cursor stays there, so asking again keeps answering false.
    if (m_cursor == kBeforeFirstRow || m_cursor < m_names.size())
    {
        ++m_cursor;
    }
    return m_cursor < m_names.size();
}

void ActiveUpdate_ObjectList::next() {}

void ActiveUpdate_ObjectList::end() {}

String ActiveUpdate_ObjectList::getInstanceID() const
{
    return UpdateInstanceID(getName(), getVersion());
}

String ActiveUpdate_ObjectList::getName() const
{
    return m_names[m_cursor];
}

String ActiveUpdate_ObjectList::getVersion() const
{
    return m_versions[m_cursor];
}

String ActiveUpdate_ObjectList::getShortDescription() const
{
    return m_shortDescriptions[m_cursor];
}

String ActiveUpdate_ObjectList::getLocation() const
{
    return m_locations[m_cursor];
}

String ActiveUpdate_ObjectList::getApplyDate() const
{
    return m_applyDates[m_cursor];
}

bool ActiveUpdate_ObjectList::getRebootRequired() const
{
    return m_rebootFlags[m_cursor];
}

String ActiveUpdate_ObjectList::getStatus() const
{
    return m_statuses[m_cursor];
}

String ActiveUpdate_ObjectList::getSize() const
{
    return m_sizes[m_cursor];
}

// ---------------------------------------------------------------------------------------------

ActiveUpdate::ActiveUpdate() : m_rebootRequired(false) {}

ActiveUpdate::ActiveUpdate(const ActiveUpdate_ObjectList& list)
    : m_instanceID(list.getInstanceID()), m_name(list.getName()), m_version(list.getVersion()),
      m_shortDescription(list.getShortDescription()), m_location(list.getLocation()),
      m_applyDate(list.getApplyDate()), m_rebootRequired(list.getRebootRequired()),
      m_status(list.getStatus()), m_size(list.getSize())
{
}

bool ActiveUpdate::getInstanceID(String& value) const
{
    value = m_instanceID;
    return true;
}

bool ActiveUpdate::getName(String& value) const
{
    value = m_name;
    return true;
}

bool ActiveUpdate::getVersion(String& value) const
{
    value = m_version;
    return true;
}

bool ActiveUpdate::getShortDescription(String& value) const
{
    value = m_shortDescription;
    return true;
}

bool ActiveUpdate::getLocation(String& value) const
{
    value = m_location;
    return true;
}

bool ActiveUpdate::getApplyDate(CIMDateTime& value) const
{
    value = DateTextToCIMDateTime(m_applyDate);
    return true;
}

bool ActiveUpdate::getRebootRequired(bool& value) const
{
    value = m_rebootRequired;
    return true;
}

bool ActiveUpdate::getStatus(String& value) const
{
    value = m_status;
    return true;
}

bool ActiveUpdate::getSize(String& value) const
{
    value = m_size;
    return true;
}

bool ActiveUpdate::getUpdateDescription(String& description)
{
    return ReadUpdateDescription(m_name, m_version, description);
}

String ActiveUpdate::Cancel()
{
    int exitCode = Execute(NameVersionCommand(kSoftinvRollBack, m_name, m_version));
    if (exitCode != 0)
    {
        ThrowSoftInvError(exitCode);
    }
    return String();
}

// ---------------------------------------------------------------------------------------------

void ActiveUpdate_ObjectInstanceManager::init() {}

void ActiveUpdate_ObjectInstanceManager::startIteration()
{
    m_list.getObjectList();
    m_list.begin();
}

bool ActiveUpdate_ObjectInstanceManager::hasNext()
{
    return m_list.hasObject();
}

void ActiveUpdate_ObjectInstanceManager::getNext(ActiveUpdate& record)
{
    getOneObject(m_list, record);
}

void ActiveUpdate_ObjectInstanceManager::endIteration()
{
    m_list.end();
}

void ActiveUpdate_ObjectInstanceManager::getOneObject(const String& instanceID,
                                                      ActiveUpdate& record) const
{
    ActiveUpdate_ObjectList list;
    list.getObjectList();
    list.begin();
    while (list.hasObject())
    {
        if (list.getInstanceID().equals(instanceID))
        {
            getOneObject(list, record);
            return;
        }
    }
    OW_THROWCIM(CIMException::NOT_FOUND);
}

void ActiveUpdate_ObjectInstanceManager::getOneObject(const ActiveUpdate_ObjectList& list,
                                                      ActiveUpdate& record) const
{
    record = ActiveUpdate(list);
}
