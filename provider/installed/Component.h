// The optional components of one available update and the client's choice among them: the
// component record, the process-wide list the last components listing filled, and the chosen
// names the apply command ends with. The update is the one gPatchName/gPatchVersion name
// (declared in common/Common.h), set by the optional-component check of an available update.
// Thread-safety: gComponentList, gPatchName and gPatchVersion form one context guarded by
// ComponentContextLock; see there.
#ifndef SWU_INSTALLED_COMPONENT_H
#define SWU_INSTALLED_COMPONENT_H

#include "OW_config.h"
#include "OW_String.hpp"
#include "OW_Array.hpp"
#include "common/RecordArray.h"
#include "OW_Types.hpp"

#include "RecordListLock.h"

class Component
{
public:
    // A component nobody chose is not installed: Install starts false.
    Component();

    const OpenWBEM::String& getInstanceID() const { return m_instanceID; }
    const OpenWBEM::String& getName() const { return m_name; }
    const OpenWBEM::String& getVersion() const { return m_version; }
    const OpenWBEM::String& getShortDescription() const { return m_shortDescription; }
    bool getInstall() const { return m_install; }

    void setInstanceID(const OpenWBEM::String& instanceID) { m_instanceID = instanceID; }
    void setName(const OpenWBEM::String& name) { m_name = name; }
    void setInstall(bool install) { m_install = install; }

private:
    OpenWBEM::String m_instanceID;
    OpenWBEM::String m_name;
    // The listing has no columns for these; they stay empty.
    OpenWBEM::String m_version;
    OpenWBEM::String m_shortDescription;
    bool m_install;
};

// The components of the update gPatchName/gPatchVersion name, as the last listing gave them,
// with the Install choices made since; entry N came from line N, so its InstanceID is N.
extern OpenWBEM::Array<Component> gComponentList;

// The guard of the whole optional-component context: gComponentList, gPatchName and
// gPatchVersion. Any code that reads or writes one of the three, here or in the available-update
// actions, holds a ComponentContextLock while it does, so a components listing, a client's
// Install choice, a new optional-component check and an apply command never see each other
// half done. The optional-component check needs no more than SetOptionalComponentContext, and
// the apply command no more than GetOptionalComponentList; both take the lock themselves. The
// lock is not recursive, so neither may be called while holding one. A components listing reads
// the context under the lock, runs the tool without it and refills the list under it again; a
// check that switched the context meanwhile wins, as if the listing had ended before it.
class ComponentContextLock
{
public:
    ComponentContextLock();

private:
    RecordListLock m_lock;
};

// The optional-component check's part of the context, in one step: empties gComponentList and
// names the update whose components are listed from now on. Takes the lock.
void SetOptionalComponentContext(const OpenWBEM::String& patchName,
                                 const OpenWBEM::String& patchVersion);

// The names of the components whose Install flag is set, in list order, separated by single
// blanks (the empty text when none is chosen). Each name is shell-quoted when it holds anything
// but ordinary characters, so the result goes into the apply command line as it is. Takes the
// lock.
OpenWBEM::String GetOptionalComponentList();

// One run of the components listing and the context it was started for.
struct ComponentListingRun
{
    int exitCode;
    OpenWBEM::Array<OpenWBEM::String> lines;
    // Which context the run listed: bumped by every SetOptionalComponentContext.
    OpenWBEM::UInt64 contextGeneration;
};

// Lists the components of gPatchName/gPatchVersion as they are now. Takes the lock only to read
// the context: without one it empties gComponentList and throws the refusal "Missing Name and/or
// Version", and no command runs. Prints "Exit code: <n>" on standard output for every run.
ComponentListingRun RunComponentListing();

// Empties gComponentList and appends one record per line of the run, named by its first field,
// and returns the records. A non-zero exit code is thrown as the tool's error, an empty line as
// a parse failure (earlier records stay). When the context has been switched since the run
// started, the list stays as the switch left it and only the returned records are built (the
// same errors thrown). The caller holds a ComponentContextLock.
OpenWBEM::Array<Component> FillComponentList(const ComponentListingRun& run);

// Empties gComponentList, then lists and fills as the two above, with the tool running under the
// caller's ComponentContextLock.
void RefillComponentList();

#endif
