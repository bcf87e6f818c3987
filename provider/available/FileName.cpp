// Running the file listing and walking the names it gave.
#include "FileName.h"

#include "common/Common.h"

#include "OW_CIMException.hpp"

using namespace OpenWBEM;

namespace
{

// The cursor value of a list whose iteration has not reached its first name.
const size_t kBeforeFirstName = static_cast<size_t>(-1);

} // namespace

FileName_ObjectList::FileName_ObjectList() : m_cursor(kBeforeFirstName) {}

FileName_ObjectList::FileName_ObjectList(String patchName) : m_cursor(kBeforeFirstName)
{
    setPatchName(patchName);
}

void FileName_ObjectList::setPatchName(String patchName)
{
    m_patchName = patchName;
}

void FileName_ObjectList::Initialize()
{
    m_names.clear();
    m_cursor = kBeforeFirstName;
}

bool FileName_ObjectList::getObjectList()
{
    return getObjectList(m_patchName);
}

bool FileName_ObjectList::getObjectList(String patchName)
{
    Initialize();
    setPatchName(patchName);

    // An empty patch name adds nothing: the literal already ends with the blank.
    String command(kSoftinvFiles);
    command += ShellQuote(patchName);
    String output;
    int exitCode = Execute(command, output);
    if (exitCode != 0)
    {
        ThrowSoftInvError(exitCode);
    }

    if (output.length() == 0)
    {
        output = kDefaultFileNames;
        OutputDebug("no file name, use default: %s", output.c_str());
    }
    m_names = output.tokenize(kFileNameSeparators);
    return true;
}

void FileName_ObjectList::begin()
{
    m_cursor = kBeforeFirstName;
}

bool FileName_ObjectList::hasObject()
{
    // Past the last name the cursor stays there, so asking again keeps answering false.
    if (m_cursor == kBeforeFirstName || m_cursor < m_names.size())
    {
        ++m_cursor;
    }
    return m_cursor < m_names.size();
}

void FileName_ObjectList::next() {}

void FileName_ObjectList::end() {}

String FileName_ObjectList::getName() const
{
    return m_names[m_cursor];
}

// ---------------------------------------------------------------------------------------------

FileNameRecord::FileNameRecord() {}

FileNameRecord::FileNameRecord(const FileName_ObjectList& list) : m_name(list.getName()) {}

bool FileNameRecord::getName(String& name) const
{
    name = m_name;
    return true;
}

// ---------------------------------------------------------------------------------------------

void FileNameManager::init() {}

void FileNameManager::startIteration()
{
    m_list.getObjectList();
    m_list.begin();
}

bool FileNameManager::hasNext()
{
    return m_list.hasObject();
}

void FileNameManager::getNext(FileNameRecord& record)
{
    getOneObject(m_list, record);
}

void FileNameManager::endIteration()
{
    m_list.end();
}

void FileNameManager::getOneObject(const String& name, FileNameRecord& record) const
{
    FileName_ObjectList list;
    list.getObjectList();
    list.begin();
    while (list.hasObject())
    {
        if (list.getName().equals(name))
        {
            getOneObject(list, record);
            return;
        }
    }
    OW_THROWCIM(CIMException::NOT_FOUND);
}

void FileNameManager::getOneObject(const FileName_ObjectList& list, FileNameRecord& record) const
{
    record = FileNameRecord(list);
}
