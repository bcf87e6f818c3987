// The components listing, the component context and the chosen names.
#include "Component.h"

#include "common/Common.h"

#include "OW_Types.hpp"

#include <cstdio>

using namespace OpenWBEM;

Array<Component> gComponentList;

namespace
{

RecordListMutex sComponentContextMutex = SWU_RECORD_LIST_MUTEX_INITIALIZER;

const char kMissingContextMessage[] = "Missing Name and/or Version";

} // namespace

Component::Component() : m_install(false) {}

ComponentContextLock::ComponentContextLock() : m_lock(sComponentContextMutex) {}

void SetOptionalComponentContext(const String& patchName, const String& patchVersion)
{
    ComponentContextLock lock;
    gComponentList.clear();
    gPatchName = patchName;
    gPatchVersion = patchVersion;
}

String GetOptionalComponentList()
{
    ComponentContextLock lock;
    String names;
    for (size_t i = 0; i < gComponentList.size(); ++i)
    {
        if (gComponentList[i].getInstall())
        {
            if (!names.empty())
            {
                names += " ";
            }
            names += ShellQuote(gComponentList[i].getName());
        }
    }
    return names;
}

void RefillComponentList()
{
    gComponentList.clear();
    if (gPatchName.empty() || gPatchVersion.empty())
    {
        ThrowCimFailed(kMissingContextMessage);
    }

    String command(kSoftinvComponents);
    command += ShellQuote(gPatchName);
    command += " ";
    command += ShellQuote(gPatchVersion);
    Array<String> lines;
    int exitCode = Execute(command, lines);
    // Printed whatever the debug switch: operators watch this line on the CIMOM's console.
    std::printf("Exit code: %d\n", exitCode);
    std::fflush(stdout);
    if (exitCode != 0)
    {
        ThrowSoftInvError(exitCode);
    }

    // The line number is the record's InstanceID; counted wide enough never to repeat.
    for (UInt64 lineNumber = 0; lineNumber < lines.size(); ++lineNumber)
    {
        Component record;
        record.setInstanceID(String(lineNumber));
        record.setName(GetNextToken(lines[lineNumber].c_str(), "Name", kSoftinvComponents));
        gComponentList.append(record);
    }
}
