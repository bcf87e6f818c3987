// The installed software packages as the tool's inventory listing reports them: one record per
// package, the process-wide list the last listing filled, the classification words the listing
// uses, and the configured name of the element-manager cartridge package.
// Thread-safety: gInventoryList and gEMCartridgeName are shared by every request for the two
// inventory classes; read or write them only while holding an InventoryListLock.
#ifndef SWU_INSTALLED_INVENTORY_H
#define SWU_INSTALLED_INVENTORY_H

#include "OW_config.h"
#include "OW_String.hpp"
#include "OW_Array.hpp"
#include "common/RecordArray.h"
#include "OW_Types.hpp"

#include "RecordListLock.h"

// The CIMOM configuration item naming the cartridge package, and its value when unset.
const char kEMCartridgeNameConfigItem[] = "vk.em_filename";
const char kEMCartridgeNameDefault[] = "zvq77EMcartridge";

class InventoryObject
{
public:
    InventoryObject();

    const OpenWBEM::String& getInstanceID() const { return m_instanceID; }
    const OpenWBEM::String& getName() const { return m_name; }
    OpenWBEM::UInt16 getClassification() const { return m_classification; }
    const OpenWBEM::String& getVersion() const { return m_version; }
    const OpenWBEM::String& getDate() const { return m_date; }

    void setInstanceID(const OpenWBEM::String& instanceID) { m_instanceID = instanceID; }
    void setName(const OpenWBEM::String& name) { m_name = name; }
    void setClassification(OpenWBEM::UInt16 classification) { m_classification = classification; }
    void setVersion(const OpenWBEM::String& version) { m_version = version; }
    void setDate(const OpenWBEM::String& date) { m_date = date; }

private:
    OpenWBEM::String m_instanceID;
    OpenWBEM::String m_name;
    OpenWBEM::UInt16 m_classification;
    OpenWBEM::String m_version;
    OpenWBEM::String m_date;
};

// The records of the last inventory listing; entry N came from line N, so its InstanceID is N.
extern OpenWBEM::Array<InventoryObject> gInventoryList;

// The name of the package that is the element-manager cartridge, set by initialize.
extern OpenWBEM::String gEMCartridgeName;

// Holds the guard of gInventoryList and gEMCartridgeName for its lifetime (not recursive).
class InventoryListLock
{
public:
    InventoryListLock();

private:
    RecordListLock m_lock;
};

// The number the CIM_SoftwareIdentity Classifications value map gives the listing's word (whole,
// exact, case-sensitive); 0 for a word it does not know.
OpenWBEM::UInt16 ClassificationFromWord(const OpenWBEM::String& word);

// Runs the inventory listing into `lines` and returns its exit code. Takes no lock, so requests
// that refresh the list at the same time run the tool side by side instead of in turn.
int RunInventoryListing(OpenWBEM::Array<OpenWBEM::String>& lines);

// Empties gInventoryList and appends one record per line of a listing run. A non-zero exit code
// is thrown as the tool's error; a line short of fields is thrown as a parse failure, the records
// of the lines before it staying in the list. The caller holds an InventoryListLock.
void FillInventoryList(int exitCode, const OpenWBEM::Array<OpenWBEM::String>& lines);

// Both of the above in one go, the tool running under the caller's InventoryListLock.
void RefillInventoryList();

#endif
