// Parsing the inventory listing and mapping its classification words.
#include "Inventory.h"

#include "common/Common.h"

using namespace OpenWBEM;

Array<InventoryObject> gInventoryList;
String gEMCartridgeName;

namespace
{

RecordListMutex sInventoryListMutex = SWU_RECORD_LIST_MUTEX_INITIALIZER;

struct ClassificationEntry
{
    const char* word;
    UInt16 number;
};

// The listing's words and their numbers in the CIM_SoftwareIdentity Classifications value map.
const ClassificationEntry kClassifications[] = {
    {"Other", 1},
    {"Driver", 2},
    {"Configuration Software", 3},
    {"Application Software", 4},
    {"Instrumentation", 5},
    {"Firmware/BIOS", 6},
    {"Diagnostic Software", 7},
    {"Operating System", 8},
    {"Middleware", 9},
    {"Firmware", 10},
    {"BIOS/FCode", 11},
};

const UInt16 kClassificationUnknown = 0;

} // namespace

InventoryObject::InventoryObject() : m_classification(kClassificationUnknown) {}

InventoryListLock::InventoryListLock() : m_lock(sInventoryListMutex) {}

UInt16 ClassificationFromWord(const String& word)
{
    for (size_t i = 0; i < sizeof(kClassifications) / sizeof(kClassifications[0]); ++i)
    {
        if (word.equals(kClassifications[i].word))
        {
            return kClassifications[i].number;
        }
    }
    return kClassificationUnknown;
}

int RunInventoryListing(Array<String>& lines)
{
    return Execute(String(kSoftinvInventory), lines);
}

void RefillInventoryList()
{
    Array<String> lines;
    int exitCode = RunInventoryListing(lines);
    FillInventoryList(exitCode, lines);
}

void FillInventoryList(int exitCode, const Array<String>& lines)
{
    gInventoryList.clear();

    if (exitCode != 0)
    {
        ThrowSoftInvError(exitCode);
    }

    gInventoryList.reserve(lines.size());
    // The line number is the record's InstanceID; counted wide enough never to repeat.
    for (UInt64 lineNumber = 0; lineNumber < lines.size(); ++lineNumber)
    {
        InventoryObject record;
        record.setInstanceID(String(lineNumber));
        record.setName(GetNextToken(lines[lineNumber].c_str(), "Name", kSoftinvInventory));
        record.setVersion(GetNextToken(0, "Version", kSoftinvInventory));
        record.setClassification(
            ClassificationFromWord(GetNextToken(0, "Classification", kSoftinvInventory)));
        record.setDate(GetNextToken(0, "Date", kSoftinvInventory));
        gInventoryList.append(record);
    }
}
