// The parameters of intrinsic calls: lookup by name, defaults, and the kind of value each
// parameter must carry.
#include "cim/service.h"

#include "cim/typing.h"

#include "OW_CIMObjectPath.hpp"

#include <strings.h>

namespace cimom
{

using OpenWBEM::CIMException;

IntrinsicParams::IntrinsicParams(const std::vector<WireParam>& params,
                                 const std::vector<const char*>& known)
{
    for (const WireParam& p : params)
    {
        const char* canonical = nullptr;
        for (const char* name : known)
        {
            if (strcasecmp(p.name.c_str(), name) == 0)
            {
                canonical = name;
            }
        }
        if (canonical == nullptr)
        {
            throwCim(CIMException::INVALID_PARAMETER, "Unknown parameter: " + p.name);
        }
        if (find(canonical) != nullptr)
        {
            throwCim(CIMException::INVALID_PARAMETER, "Duplicate parameter: " + p.name);
        }
        params_.emplace_back(canonical, &p.value);
    }
}

const WireValue* IntrinsicParams::find(const char* name) const
{
    for (const auto& entry : params_)
    {
        if (entry.first == name)
        {
            return entry.second;
        }
    }
    return nullptr;
}

const WireValue& IntrinsicParams::require(const char* name) const
{
    const WireValue* v = find(name);
    if (v == nullptr || v->kind == WireValue::Kind::Null)
    {
        throwCim(CIMException::INVALID_PARAMETER,
                 std::string("Parameter ") + name + " was not specified.");
    }
    return *v;
}

bool IntrinsicParams::flag(const char* name, bool defaultValue) const
{
    const WireValue* v = find(name);
    if (v == nullptr || v->kind == WireValue::Kind::Null)
    {
        return defaultValue;
    }
    if (v->kind == WireValue::Kind::Value && v->value.getType() == OpenWBEM::CIMDataType::STRING &&
        !v->value.isArray())
    {
        OpenWBEM::String text = v->value.toString();
        text.trim();
        if (text.equalsIgnoreCase("true") || text.equalsIgnoreCase("false"))
        {
            return text.equalsIgnoreCase("true");
        }
    }
    throwCim(CIMException::INVALID_PARAMETER,
             std::string("Parameter ") + name + " must be TRUE or FALSE");
}

std::string IntrinsicParams::className(const char* name, bool required) const
{
    const WireValue* v = required ? &require(name) : find(name);
    if (v == nullptr || v->kind == WireValue::Kind::Null)
    {
        return std::string();
    }
    if (v->kind == WireValue::Kind::ClassName)
    {
        return v->className;
    }
    if (v->kind == WireValue::Kind::Value && v->value.getType() == OpenWBEM::CIMDataType::STRING &&
        !v->value.isArray())
    {
        return v->value.toString().c_str();
    }
    throwCim(CIMException::INVALID_PARAMETER,
             std::string("Parameter ") + name + " must be a class name");
}

OpenWBEM::CIMObjectPath IntrinsicParams::instanceName(const char* name) const
{
    const WireValue& v = require(name);
    if (v.kind == WireValue::Kind::InstanceName)
    {
        return v.path;
    }
    throwCim(CIMException::INVALID_PARAMETER,
             std::string("Parameter ") + name + " must be an instance name");
}

OpenWBEM::CIMObjectPath IntrinsicParams::objectName(const char* name) const
{
    const WireValue& v = require(name);
    if (v.kind == WireValue::Kind::ClassName)
    {
        return OpenWBEM::CIMObjectPath(owString(v.className));
    }
    return instanceName(name);
}

const OpenWBEM::CIMInstance& IntrinsicParams::instance(const char* name) const
{
    const WireValue& v = require(name);
    if (v.kind != WireValue::Kind::Instance)
    {
        throwCim(CIMException::INVALID_PARAMETER,
                 std::string("Parameter ") + name + " must be an instance");
    }
    return v.instance;
}

const WireValue& IntrinsicParams::namedInstance(const char* name) const
{
    const WireValue& v = require(name);
    if (v.kind != WireValue::Kind::NamedInstance)
    {
        throwCim(CIMException::INVALID_PARAMETER,
                 std::string("Parameter ") + name + " must be a named instance");
    }
    return v;
}

std::string IntrinsicParams::text(const char* name) const
{
    const WireValue* v = find(name);
    if (v == nullptr || v->kind == WireValue::Kind::Null)
    {
        return std::string();
    }
    if (v->kind == WireValue::Kind::Value && v->value.getType() == OpenWBEM::CIMDataType::STRING &&
        !v->value.isArray())
    {
        return v->value.toString().c_str();
    }
    throwCim(CIMException::INVALID_PARAMETER,
             std::string("Parameter ") + name + " must be a string");
}

std::optional<OpenWBEM::StringArray> IntrinsicParams::propertyList() const
{
    const WireValue* v = find("PropertyList");
    if (v == nullptr || v->kind == WireValue::Kind::Null)
    {
        return std::nullopt;
    }
    if (v->kind == WireValue::Kind::Value && v->value.getType() == OpenWBEM::CIMDataType::STRING)
    {
        if (v->value.isArray())
        {
            return v->value.toStringArray();
        }
        OpenWBEM::StringArray single;
        single.push_back(v->value.toString());
        return single;
    }
    throwCim(CIMException::INVALID_PARAMETER, "Parameter PropertyList must be a string array");
}

} // namespace cimom
