// The shared header of the provider's common services: running the tool, splitting its
// output, diagnostics, errors, background tasks and the tool's command texts, plus the
// InstanceID lookups in process-wide record lists and the key-property helper.
// Thread-safety: see the individual headers; the lookups read a list their caller guards, and
// gPatchName/gPatchVersion are guarded by the code that owns the optional-component context.
#ifndef SWU_COMMON_COMMON_H
#define SWU_COMMON_COMMON_H

#include "OW_config.h"
#include "OW_String.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMValue.hpp"

#include "Background.h"
#include "Diagnostics.h"
#include "Errors.h"
#include "Execute.h"
#include "ShellQuote.h"
#include "Softinv.h"
#include "Tokenizer.h"

// Name and version of the available update whose optional components are being chosen.
extern OpenWBEM::String gPatchName;
extern OpenWBEM::String gPatchVersion;

// A property with the given name and value that carries the Key qualifier.
OpenWBEM::CIMProperty ProvPropCreateKey(const OpenWBEM::String& name,
                                        const OpenWBEM::CIMValue& value);

// Position (from 0) of the first record whose getInstanceID() equals `instanceID` exactly.
// The list type needs size() and operator[]; records need getInstanceID() returning the text.
// No match: CIM_ERR_NOT_FOUND without message text.
template <class RecordList>
int GetIndexFromInstanceID(OpenWBEM::String instanceID, RecordList& list)
{
    for (size_t i = 0; i < list.size(); ++i)
    {
        if (instanceID.equals(list[i].getInstanceID()))
        {
            return static_cast<int>(i);
        }
    }
    using OpenWBEM::CIMException;
    OW_THROWCIM(CIMException::NOT_FOUND);
}

// Position of the record the path's InstanceID key names, as GetIndexFromInstanceID finds it.
// A path without that key, or with a null key value, is logged at error level and refused with
// CIM_ERR_INVALID_PARAMETER without message text.
template <class RecordList>
int GetIndexFromObjectPath(const OpenWBEM::CIMObjectPath& path, RecordList& list)
{
    using OpenWBEM::CIMException;
    OpenWBEM::CIMProperty key = path.getKey("InstanceID");
    if (!key)
    {
        LogError("Missing InstanceID property");
        OW_THROWCIM(CIMException::INVALID_PARAMETER);
    }
    OpenWBEM::CIMValue value = key.getValue();
    if (!value)
    {
        LogError("Missing InstanceID value");
        OW_THROWCIM(CIMException::INVALID_PARAMETER);
    }
    return GetIndexFromInstanceID(value.toString(), list);
}

#endif
