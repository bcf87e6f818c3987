// The process-wide optional-component context and the key-property helper.
#include "Common.h"

#include "OW_CIMQualifier.hpp"

using namespace OpenWBEM;

String gPatchName;
String gPatchVersion;

CIMProperty ProvPropCreateKey(const String& name, const CIMValue& value)
{
    CIMProperty property(name, value);
    property.addQualifier(CIMQualifier::createKeyQualifier());
    return property;
}
