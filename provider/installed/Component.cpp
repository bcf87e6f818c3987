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

// Written only under the context lock; a listing compares it to tell whether its context is
// still the current one when it comes back with its records.
UInt64 sContextGeneration = 0;

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
    ++sContextGeneration;
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

namespace
{

// The listing command for the current context, or the refusal (the list emptied) without one.
// The caller holds the context lock.
String ComponentListingCommand()
{
    if (gPatchName.empty() || gPatchVersion.empty())
    {
        gComponentList.clear();
        ThrowCimFailed(kMissingContextMessage);
    }
    return NameVersionCommand(kSoftinvComponents, gPatchName, gPatchVersion);
}

void RunListingCommand(const String& command, ComponentListingRun& run)
{
    run.exitCode = Execute(command, run.lines);
    // Printed whatever the debug switch: operators watch this line on the CIMOM's console.
    std::printf("Exit code: %d\n", run.exitCode);
    std::fflush(stdout);
}

} // namespace

ComponentListingRun RunComponentListing()
{
    ComponentListingRun run;
    String command;
    {
        ComponentContextLock lock;
        command = ComponentListingCommand();
        run.contextGeneration = sContextGeneration;
    }
    RunListingCommand(command, run);
    return run;
}

Array<Component> FillComponentList(const ComponentListingRun& run)
{
    // A listing of a context that has been switched since belongs before the switch, which has
    // emptied the list already: its records go to the caller only.
    Array<Component> detached;
    Array<Component>& records =
        run.contextGeneration == sContextGeneration ? gComponentList : detached;
    records.clear();
    if (run.exitCode != 0)
    {
        ThrowSoftInvError(run.exitCode);
    }

    records.reserve(run.lines.size());
    // The line number is the record's InstanceID; counted wide enough never to repeat.
    for (UInt64 lineNumber = 0; lineNumber < run.lines.size(); ++lineNumber)
    {
        Component record;
        record.setInstanceID(String(lineNumber));
        record.setName(GetNextToken(run.lines[lineNumber].c_str(), "Name", kSoftinvComponents));
        records.append(record);
    }
    return records;
}

void RefillComponentList()
{
    ComponentListingRun run;
    run.contextGeneration = sContextGeneration;
    RunListingCommand(ComponentListingCommand(), run);
    FillComponentList(run);
}
