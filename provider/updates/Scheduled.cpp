// The schedule listing, its rows and the actions on one scheduled update.
#include "Scheduled.h"
#include "common/Common.h"

#include "OW_CIMException.hpp"
#include "OW_DateTime.hpp"

using namespace OpenWBEM;

String UpdateInstanceID(const String& name, const String& version)
{
    String id(name);
    id += " ";
    id += version;
    return id;
}

bool IsRebootRequired(const String& field)
{
    return field.equals(kRebootRequiredText);
}

bool ReadUpdateDescription(const String& name, const String& version, String& description)
{
    // Each part is quoted on its own; the shell joins them back into one word around the "-".
    String command(kSoftinvDescription);
    command += ShellQuote(name);
    command += "-";
    command += ShellQuote(version);
    return Execute(command, description) == 0;
}

CIMDateTime DateTextToCIMDateTime(const String& text)
{
    return CIMDateTime(DateTime(text));
}

// ---------------------------------------------------------------------------------------------

ScheduledUpdate_ObjectList::ScheduledUpdate_ObjectList() : m_cursor(kBeforeFirstRow) {}

void ScheduledUpdate_ObjectList::Initialize()
{
    m_cursor = kBeforeFirstRow;
    m_names.clear();
    m_versions.clear();
    m_shortDescriptions.clear();
    m_locations.clear();
    m_downloadDates.clear();
    m_applyDates.clear();
    m_rebootFlags.clear();
    m_statuses.clear();
    m_sizes.clear();
}

bool ScheduledUpdate_ObjectList::getObjectList()
{
    Initialize();

    Array<String> lines;
    int exitCode = Execute(String(kSoftinvSched), lines);
    if (exitCode != 0)
    {
        ThrowSoftInvError(exitCode);
    }

    const char* source = kSoftinvSched;
    for (size_t i = 0; i < lines.size(); ++i)
    {
        // The tokenizer reads the text in place, so the line is held until its last field.
        const String line(lines[i]);
        String name = GetNextToken(line.c_str(), "Name", source);
        String version = GetNextToken(0, "Version", source);
        String shortDescription = GetNextToken(0, "Short Description", source);
        String location = GetNextToken(0, "Location", source);
        String downloadDate = GetNextToken(0, "Download Date", source);
        String applyDate = GetNextToken(0, "Apply Date", source);
        bool rebootRequired = IsRebootRequired(GetNextToken(0, "Reboot Required", source));
        String size = GetNextToken(0, "Size", source);
        String status = GetNextToken(0, "Status", source);

        m_names.push_back(name);
        m_versions.push_back(version);
        m_shortDescriptions.push_back(shortDescription);
        m_locations.push_back(location);
        m_downloadDates.push_back(downloadDate);
        m_applyDates.push_back(applyDate);
        m_rebootFlags.push_back(rebootRequired);
        m_statuses.push_back(status);
        m_sizes.push_back(size);
    }
    return true;
}

void ScheduledUpdate_ObjectList::begin()
{
    m_cursor = kBeforeFirstRow;
}

bool ScheduledUpdate_ObjectList::hasObject()
{
    // Past the last row the cursor stays there, so asking again keeps answering false.
    if (m_cursor == kBeforeFirstRow || m_cursor < m_names.size())
    {
        ++m_cursor;
    }
    return m_cursor < m_names.size();
}

void ScheduledUpdate_ObjectList::next() {}

void ScheduledUpdate_ObjectList::end() {}

String ScheduledUpdate_ObjectList::getInstanceID() const
{
    return UpdateInstanceID(getName(), getVersion());
}

String ScheduledUpdate_ObjectList::getName() const
{
    return m_names[m_cursor];
}

String ScheduledUpdate_ObjectList::getVersion() const
{
    return m_versions[m_cursor];
}

String ScheduledUpdate_ObjectList::getShortDescription() const
{
    return m_shortDescriptions[m_cursor];
}

String ScheduledUpdate_ObjectList::getLocation() const
{
    return m_locations[m_cursor];
}

String ScheduledUpdate_ObjectList::getDownloadDate() const
{
    return m_downloadDates[m_cursor];
}

String ScheduledUpdate_ObjectList::getApplyDate() const
{
    return m_applyDates[m_cursor];
}

bool ScheduledUpdate_ObjectList::getRebootRequired() const
{
    return m_rebootFlags[m_cursor];
}

String ScheduledUpdate_ObjectList::getStatus() const
{
    return m_statuses[m_cursor];
}

String ScheduledUpdate_ObjectList::getSize() const
{
    return m_sizes[m_cursor];
}

// ---------------------------------------------------------------------------------------------

ScheduledUpdate::ScheduledUpdate() : m_rebootRequired(false) {}

ScheduledUpdate::ScheduledUpdate(const ScheduledUpdate_ObjectList& list)
    : m_instanceID(list.getInstanceID()), m_name(list.getName()), m_version(list.getVersion()),
      m_shortDescription(list.getShortDescription()), m_location(list.getLocation()),
      m_downloadDate(list.getDownloadDate()), m_applyDate(list.getApplyDate()),
      m_rebootRequired(list.getRebootRequired()), m_status(list.getStatus()), m_size(list.getSize())
{
}

bool ScheduledUpdate::getInstanceID(String& value) const
{
    value = m_instanceID;
    return true;
}

bool ScheduledUpdate::getName(String& value) const
{
    value = m_name;
    return true;
}

bool ScheduledUpdate::getVersion(String& value) const
{
    value = m_version;
    return true;
}

bool ScheduledUpdate::getShortDescription(String& value) const
{
    value = m_shortDescription;
    return true;
}

bool ScheduledUpdate::getLocation(String& value) const
{
    value = m_location;
    return true;
}

bool ScheduledUpdate::getDownloadDate(CIMDateTime& value) const
{
    value = DateTextToCIMDateTime(m_downloadDate);
    return true;
}

bool ScheduledUpdate::getApplyDate(CIMDateTime& value) const
{
    value = DateTextToCIMDateTime(m_applyDate);
    return true;
}

bool ScheduledUpdate::getRebootRequired(bool& value) const
{
    value = m_rebootRequired;
    return true;
}

bool ScheduledUpdate::getStatus(String& value) const
{
    value = m_status;
    return true;
}

bool ScheduledUpdate::getSize(String& value) const
{
    value = m_size;
    return true;
}

bool ScheduledUpdate::getUpdateDescription(String& description)
{
    return ReadUpdateDescription(m_name, m_version, description);
}

String ScheduledUpdate::modify(const String& first, const String& second)
{
    // The two texts are dates this provider formatted itself (letters, digits, blanks and
    // colons), so the double quotes the tool expects around them are all they need.
    String command = NameVersionCommand(kSoftinvModifySched, m_name, m_version);
    command += " \"";
    command += first;
    command += "\" \"";
    command += second;
    command += "\"";
    int exitCode = Execute(command);
    if (exitCode != 0)
    {
        ThrowSoftInvError(exitCode);
    }
    return String();
}

String ScheduledUpdate::remove()
{
    int exitCode = Execute(NameVersionCommand(kSoftinvModifySched, m_name, m_version));
    if (exitCode != 0)
    {
        ThrowSoftInvError(exitCode);
    }
    return String();
}

// ---------------------------------------------------------------------------------------------

void ScheduledUpdate_ObjectInstanceManager::init() {}

void ScheduledUpdate_ObjectInstanceManager::startIteration()
{
    m_list.getObjectList();
    m_list.begin();
}

bool ScheduledUpdate_ObjectInstanceManager::hasNext()
{
    return m_list.hasObject();
}

void ScheduledUpdate_ObjectInstanceManager::getNext(ScheduledUpdate& record)
{
    getOneObject(m_list, record);
}

void ScheduledUpdate_ObjectInstanceManager::endIteration()
{
    m_list.end();
}

void ScheduledUpdate_ObjectInstanceManager::getOneObject(const String& instanceID,
                                                         ScheduledUpdate& record) const
{
    ScheduledUpdate_ObjectList list;
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

void ScheduledUpdate_ObjectInstanceManager::getOneObject(const ScheduledUpdate_ObjectList& list,
                                                         ScheduledUpdate& record) const
{
    record = ScheduledUpdate(list);
}
