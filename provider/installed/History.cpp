// Parsing the history listing and rolling one applied update back.
#include "History.h"

#include "common/Common.h"

#include "OW_Types.hpp"

using namespace OpenWBEM;

Array<HistoryUpdate> gHistoryList;

namespace
{

RecordListMutex sHistoryListMutex = SWU_RECORD_LIST_MUTEX_INITIALIZER;

} // namespace

HistoryUpdate::HistoryUpdate() : m_removable(false) {}

bool HistoryUpdate::Remove() const
{
    SpawnBackgroundThread(NameVersionCommand(kSoftinvRollBack, m_name, m_version));
    return true;
}

HistoryListLock::HistoryListLock() : m_lock(sHistoryListMutex) {}

int RunHistoryListing(Array<String>& lines)
{
    return Execute(String(kSoftinvHist), lines);
}

void RefillHistoryList()
{
    Array<String> lines;
    int exitCode = RunHistoryListing(lines);
    FillHistoryList(exitCode, lines);
}

void FillHistoryList(int exitCode, const Array<String>& lines)
{
    gHistoryList.clear();

    if (exitCode != 0)
    {
        ThrowSoftInvError(exitCode);
    }

    // The line number is the record's InstanceID; counted wide enough never to repeat.
    for (UInt64 lineNumber = 0; lineNumber < lines.size(); ++lineNumber)
    {
        HistoryUpdate record;
        record.setInstanceID(String(lineNumber));
        record.setName(GetNextToken(lines[lineNumber].c_str(), "Name", kSoftinvHist));
        record.setVersion(GetNextToken(0, "Version", kSoftinvHist));
        record.setDescription(GetNextToken(0, "Description", kSoftinvHist));
        record.setCategory(GetNextToken(0, "Category", kSoftinvHist));
        record.setDate(GetNextToken(0, "Date", kSoftinvHist));
        record.setRemovable(
            GetNextToken(0, "Removable", kSoftinvHist).equals(kHistoryRemovableWord));
        gHistoryList.append(record);
    }
}
