// Parsing the cache listing and the actions on one available update.
#include "Avaliable.h"

#include "common/Common.h"
#include "installed/Component.h"

using namespace OpenWBEM;

Array<AvaliableUpdate> gAvaliableList;

namespace
{

RecordListMutex sAvaliableListMutex = SWU_RECORD_LIST_MUTEX_INITIALIZER;

struct StatusEntry
{
    const char* category;
    UInt8 status;
};

// Compared in this order, exactly.
const StatusEntry kStatusTable[] = {
    {"Obsolete", 0}, {"Applied", 1}, {"Schedule", 2}, {"Available", 3}, {"Invalid", 4},
};

// The exit codes of the warnings and optional-component commands that are answers, not errors.
const int kHighestAnswerExitCode = 1;

// The update's own "<option><name> <version>" command line.
String NameVersionCommand(const char* option, const AvaliableUpdate& update)
{
    return ::NameVersionCommand(option, update.getName(), update.getVersion());
}

} // namespace

AvaliableUpdate::AvaliableUpdate() : m_rebootRequired(false), m_status(kAvaliableStatusUnknown) {}

String AvaliableUpdate::getPatchName() const
{
    return m_name + "-" + m_version;
}

String AvaliableUpdate::Apply() const
{
    String command = NameVersionCommand(kSoftinvApply, *this);
    command += " ";
    // Already shell-quoted name by name.
    command += GetOptionalComponentList();
    SpawnBackgroundThread(command);
    return String();
}

String AvaliableUpdate::Warnings() const
{
    String command = NameVersionCommand(kSoftinvWarnings, *this);
    command += " ";
    String warnings;
    int exitCode = Execute(command, warnings);
    if (exitCode > kHighestAnswerExitCode)
    {
        ThrowSoftInvError(exitCode);
    }
    return warnings;
}

bool AvaliableUpdate::HasOptionalComponents() const
{
    SetOptionalComponentContext(m_name, m_version);
    int exitCode = Execute(NameVersionCommand(kSoftinvHasComponents, *this));
    if (exitCode > kHighestAnswerExitCode)
    {
        ThrowSoftInvError(exitCode);
    }
    return exitCode == 0;
}

String AvaliableUpdate::Schedule(const String& start, const String& end) const
{
    String command = NameVersionCommand(kSoftinvSched, *this);
    command += " \"";
    command += start;
    command += "\" \"";
    command += end;
    command += "\"";
    String answer;
    int exitCode = Execute(command, answer);
    if (exitCode != 0)
    {
        ThrowSoftInvError(exitCode);
    }
    return answer;
}

UInt8 AvaliableStatusOf(const String& category)
{
    for (size_t i = 0; i < sizeof(kStatusTable) / sizeof(kStatusTable[0]); ++i)
    {
        if (category.equals(kStatusTable[i].category))
        {
            return kStatusTable[i].status;
        }
    }
    return kAvaliableStatusUnknown;
}

AvaliableListLock::AvaliableListLock() : m_lock(sAvaliableListMutex) {}

int RunAvaliableListing(Array<String>& lines)
{
    return Execute(String(kSoftinvCache), lines);
}

void RefillAvaliableList()
{
    Array<String> lines;
    int exitCode = RunAvaliableListing(lines);
    FillAvaliableList(exitCode, lines);
}

void FillAvaliableList(int exitCode, const Array<String>& lines)
{
    gAvaliableList.clear();

    if (exitCode != 0)
    {
        ThrowSoftInvError(exitCode);
    }

    gAvaliableList.reserve(lines.size());
    // The line number is the record's InstanceID; counted wide enough never to repeat.
    for (UInt64 lineNumber = 0; lineNumber < lines.size(); ++lineNumber)
    {
        AvaliableUpdate record;
        record.setInstanceID(String(lineNumber));
        record.setName(GetNextToken(lines[lineNumber].c_str(), "Name", kSoftinvCache));
        record.setVersion(GetNextToken(0, "Version", kSoftinvCache));
        record.setShortDescription(GetNextToken(0, "Short Description", kSoftinvCache));
        record.setSize(GetNextToken(0, "Size", kSoftinvCache));
        record.setRebootRequired(
            GetNextToken(0, "Reboot Required", kSoftinvCache).equals(kAvaliableRebootWord));
        record.setStatus(AvaliableStatusOf(GetNextToken(0, "Category", kSoftinvCache)));
        gAvaliableList.append(record);
    }
}

void AppendAvaliablePlaceholder()
{
    AvaliableUpdate placeholder;
    placeholder.setInstanceID(kAvaliablePlaceholderInstanceID);
    placeholder.setName(kAvaliablePlaceholderName);
    gAvaliableList.append(placeholder);
}
