// The file names that make up available updates, as the tool's file listing reports them: the
// list that runs the listing for one patch name (or none) and keeps the names with a cursor, the
// manager that iterates it and finds one name, and the record of one file name.
// Thread-safety: objects live inside one request on one thread and are never shared.
#ifndef SWU_AVAILABLE_FILENAME_H
#define SWU_AVAILABLE_FILENAME_H

#include "OW_config.h"
#include "OW_Array.hpp"
#include "OW_String.hpp"

#include <cstddef>

// What an empty file listing stands for: the two names "Filename1" and "Testname".
const char kDefaultFileNames[] = "Filename1     Testname";

// The characters that separate file names in the listing.
const char kFileNameSeparators[] = " \n\r\t\v";

class FileName_ObjectList
{
public:
    // Empty patch name, no names, cursor before the first name.
    FileName_ObjectList();
    explicit FileName_ObjectList(OpenWBEM::String patchName);

    void setPatchName(OpenWBEM::String patchName);

    // Empties the names and puts the cursor before the first; the patch name stays.
    void Initialize();

    // getObjectList with the stored patch name.
    bool getObjectList();

    // Lists the files of `patchName` (all the tool offers when it is empty) into the names.
    // Always true: a non-zero exit code is thrown as the tool's error. An empty listing gives
    // the default names.
    bool getObjectList(OpenWBEM::String patchName);

    void begin();
    // Steps to the next name; true while that name exists.
    bool hasObject();
    void next();
    void end();

    // The name at the cursor.
    OpenWBEM::String getName() const;

private:
    // Not limited to a small integer: a listing holds any number of names.
    size_t m_cursor;
    OpenWBEM::String m_patchName;
    OpenWBEM::StringArray m_names;
};

class FileNameRecord
{
public:
    FileNameRecord();
    // A copy of the list's current name.
    explicit FileNameRecord(const FileName_ObjectList& list);

    // Copies the name; always true.
    bool getName(OpenWBEM::String& name) const;

private:
    OpenWBEM::String m_name;
};

class FileNameManager
{
public:
    void init();

    // Enumeration: startIteration, then hasNext/getNext until hasNext is false, endIteration.
    void startIteration();
    bool hasNext();
    void getNext(FileNameRecord& record);
    void endIteration();

    // Runs the listing (without a patch name) again and fills `record` with the first name
    // equal to `name`, exactly; CIM_ERR_NOT_FOUND without message text when none is.
    void getOneObject(const OpenWBEM::String& name, FileNameRecord& record) const;

    // Fills `record` from the list's current name.
    void getOneObject(const FileName_ObjectList& list, FileNameRecord& record) const;

private:
    FileName_ObjectList m_list;
};

#endif
