// The standard CIM qualifiers with their types, defaults and flavours, so that provider MOF
// needs no qualifier declarations of its own.
#include "mof/qualifiers.h"

#include "mof/lexer.h"

#include "OW_Bool.hpp"

namespace cimom
{

namespace
{

using OpenWBEM::CIMDataType;

enum Flavour : unsigned
{
    kEnableOverride = 0,
    kDisableOverride = 1u << 0,
    kRestricted = 1u << 1,
    kTranslatable = 1u << 2,
};

struct StandardQualifier
{
    const char* name;
    CIMDataType::Type type;
    bool isArray;
    unsigned flavours;
    int booleanDefault; // -1: no default value (null); otherwise the boolean default
};

// The standard qualifiers of the CIM meta model, as their declarations give them. Boolean
// ones default to false unless noted; IN and Read default to true.
const StandardQualifier kStandardQualifiers[] = {
    {"Abstract", CIMDataType::BOOLEAN, false, kRestricted, 0},
    {"Aggregate", CIMDataType::BOOLEAN, false, kDisableOverride, 0},
    {"Aggregation", CIMDataType::BOOLEAN, false, kDisableOverride, 0},
    {"ArrayType", CIMDataType::STRING, false, kDisableOverride, -1},
    {"Association", CIMDataType::BOOLEAN, false, kDisableOverride, 0},
    {"BitMap", CIMDataType::STRING, true, kEnableOverride, -1},
    {"BitValues", CIMDataType::STRING, true, kTranslatable, -1},
    {"ClassConstraint", CIMDataType::STRING, true, kEnableOverride, -1},
    {"Composition", CIMDataType::BOOLEAN, false, kDisableOverride, 0},
    {"Correlatable", CIMDataType::STRING, true, kEnableOverride, -1},
    {"Counter", CIMDataType::BOOLEAN, false, kEnableOverride, 0},
    {"Deprecated", CIMDataType::STRING, true, kRestricted, -1},
    {"Description", CIMDataType::STRING, false, kTranslatable, -1},
    {"DisplayDescription", CIMDataType::STRING, false, kTranslatable, -1},
    {"DisplayName", CIMDataType::STRING, false, kTranslatable, -1},
    {"DN", CIMDataType::BOOLEAN, false, kDisableOverride, 0},
    {"EmbeddedInstance", CIMDataType::STRING, false, kEnableOverride, -1},
    {"EmbeddedObject", CIMDataType::BOOLEAN, false, kDisableOverride, 0},
    {"Exception", CIMDataType::BOOLEAN, false, kDisableOverride, 0},
    {"Expensive", CIMDataType::BOOLEAN, false, kEnableOverride, 0},
    {"Experimental", CIMDataType::BOOLEAN, false, kRestricted, 0},
    {"Gauge", CIMDataType::BOOLEAN, false, kEnableOverride, 0},
    {"IN", CIMDataType::BOOLEAN, false, kDisableOverride, 1},
    {"Indication", CIMDataType::BOOLEAN, false, kDisableOverride, 0},
    {"IsPUnit", CIMDataType::BOOLEAN, false, kEnableOverride, 0},
    {"Key", CIMDataType::BOOLEAN, false, kDisableOverride, 0},
    {"MappingStrings", CIMDataType::STRING, true, kEnableOverride, -1},
    {"Max", CIMDataType::UINT32, false, kEnableOverride, -1},
    {"MaxLen", CIMDataType::UINT32, false, kEnableOverride, -1},
    {"MaxValue", CIMDataType::SINT64, false, kEnableOverride, -1},
    {"MethodConstraint", CIMDataType::STRING, true, kEnableOverride, -1},
    {"Min", CIMDataType::UINT32, false, kEnableOverride, -1},
    {"MinLen", CIMDataType::UINT32, false, kEnableOverride, -1},
    {"MinValue", CIMDataType::SINT64, false, kEnableOverride, -1},
    {"ModelCorrespondence", CIMDataType::STRING, true, kEnableOverride, -1},
    {"Nonlocal", CIMDataType::STRING, false, kEnableOverride, -1},
    {"NonlocalType", CIMDataType::STRING, false, kEnableOverride, -1},
    {"NullValue", CIMDataType::STRING, false, kDisableOverride, -1},
    {"OctetString", CIMDataType::BOOLEAN, false, kDisableOverride, 0},
    {"OUT", CIMDataType::BOOLEAN, false, kDisableOverride, 0},
    {"Override", CIMDataType::STRING, false, kRestricted, -1},
    {"Propagated", CIMDataType::STRING, false, kDisableOverride, -1},
    {"PropertyConstraint", CIMDataType::STRING, true, kEnableOverride, -1},
    {"PropertyUsage", CIMDataType::STRING, false, kEnableOverride, -1},
    {"Provider", CIMDataType::STRING, false, kEnableOverride, -1},
    {"PUnit", CIMDataType::STRING, false, kEnableOverride, -1},
    {"Read", CIMDataType::BOOLEAN, false, kEnableOverride, 1},
    {"Required", CIMDataType::BOOLEAN, false, kDisableOverride, 0},
    {"Revision", CIMDataType::STRING, false, kTranslatable, -1},
    {"Schema", CIMDataType::STRING, false, kDisableOverride, -1},
    {"Source", CIMDataType::STRING, false, kEnableOverride, -1},
    {"SourceType", CIMDataType::STRING, false, kEnableOverride, -1},
    {"Static", CIMDataType::BOOLEAN, false, kDisableOverride, 0},
    {"Terminal", CIMDataType::BOOLEAN, false, kEnableOverride, 0},
    {"UMLPackagePath", CIMDataType::STRING, false, kEnableOverride, -1},
    {"Units", CIMDataType::STRING, false, kTranslatable, -1},
    {"ValueMap", CIMDataType::STRING, true, kEnableOverride, -1},
    {"Values", CIMDataType::STRING, true, kTranslatable, -1},
    {"Version", CIMDataType::STRING, false, kRestricted | kTranslatable, -1},
    {"Weak", CIMDataType::BOOLEAN, false, kDisableOverride, 0},
    {"Write", CIMDataType::BOOLEAN, false, kEnableOverride, 0},
};

} // namespace

QualifierTypes::QualifierTypes()
{
    for (const StandardQualifier& q : kStandardQualifiers)
    {
        QualifierType t;
        t.name = q.name;
        t.type.type = q.type;
        t.type.isArray = q.isArray;
        if (q.booleanDefault >= 0)
        {
            t.defaultValue = OpenWBEM::CIMValue(OpenWBEM::Bool(q.booleanDefault != 0));
        }
        t.overridable = (q.flavours & kDisableOverride) == 0;
        t.toSubclass = (q.flavours & kRestricted) == 0;
        t.translatable = (q.flavours & kTranslatable) != 0;
        declare(t);
    }
}

QualifierTypes QualifierTypes::none()
{
    QualifierTypes empty;
    empty.byLowerName_.clear();
    return empty;
}

const QualifierType* QualifierTypes::find(const std::string& name) const
{
    const auto it = byLowerName_.find(mof::lowerAscii(name));
    return it == byLowerName_.end() ? nullptr : &it->second;
}

void QualifierTypes::declare(const QualifierType& type)
{
    byLowerName_[mof::lowerAscii(type.name)] = type;
}

} // namespace cimom
