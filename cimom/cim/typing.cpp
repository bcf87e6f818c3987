#include "cim/typing.h"

#include "OW_Array.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMQualifier.hpp"
#include "OW_CIMValueCast.hpp"

namespace cimom
{

namespace
{

using OpenWBEM::CIMDataType;
using OpenWBEM::CIMValue;

} // namespace

void throwCim(OpenWBEM::CIMException::ErrNoType code, const std::string& detail)
{
    throw OpenWBEM::CIMException(__FILE__, __LINE__, code, detail.c_str());
}

OpenWBEM::String owString(const std::string& text)
{
    return OpenWBEM::String(text.c_str(), text.size());
}

OpenWBEM::CIMDataType toDataType(const TypeDecl& type)
{
    if (type.type == CIMDataType::REFERENCE && !type.isArray)
    {
        return CIMDataType(owString(type.referenceClass));
    }
    if (type.isArray)
    {
        return CIMDataType(type.type, type.arraySize);
    }
    return CIMDataType(type.type);
}

const char* cimTypeName(CIMDataType::Type type)
{
    switch (type)
    {
    case CIMDataType::UINT8:
        return "uint8";
    case CIMDataType::SINT8:
        return "sint8";
    case CIMDataType::UINT16:
        return "uint16";
    case CIMDataType::SINT16:
        return "sint16";
    case CIMDataType::UINT32:
        return "uint32";
    case CIMDataType::SINT32:
        return "sint32";
    case CIMDataType::UINT64:
        return "uint64";
    case CIMDataType::SINT64:
        return "sint64";
    case CIMDataType::REAL32:
        return "real32";
    case CIMDataType::REAL64:
        return "real64";
    case CIMDataType::BOOLEAN:
        return "boolean";
    case CIMDataType::DATETIME:
        return "datetime";
    case CIMDataType::CHAR16:
        return "char16";
    case CIMDataType::REFERENCE:
        return "reference";
    default:
        return "string";
    }
}

std::string castFailure(const OpenWBEM::Exception& e)
{
    std::string text = e.getMessage();
    // "Cannot convert <type> value "<text>" to <type>: <reason>"
    if (text.rfind("Cannot convert ", 0) == 0)
    {
        const size_t quoteEnd = text.find("\" to ");
        const size_t colon = quoteEnd == std::string::npos ? quoteEnd : text.find(": ", quoteEnd);
        if (colon != std::string::npos)
        {
            text = text.substr(colon + 2);
        }
    }
    // "general error (<reason>)": a CIM exception's status text around its message.
    const size_t open = text.find(" (");
    if (open != std::string::npos && !text.empty() && text.back() == ')' &&
        text.find_first_not_of("abcdefghijklmnopqrstuvwxyz ") == open + 1)
    {
        text = text.substr(open + 2, text.size() - open - 3);
    }
    return text;
}

CIMValue castToDeclared(const CIMValue& value, const TypeDecl& type)
{
    if (!value)
    {
        return value;
    }
    CIMValue source = value;
    if (value.getType() == CIMDataType::STRING && type.type != CIMDataType::STRING)
    {
        if (value.isArray())
        {
            OpenWBEM::StringArray items = value.toStringArray();
            for (OpenWBEM::String& item : items)
            {
                item.trim();
            }
            source = CIMValue(items);
        }
        else
        {
            source = CIMValue(value.toString().trim());
        }
    }
    return OpenWBEM::CIMValueCast::castValueToDataType(source, toDataType(type));
}

OpenWBEM::CIMObjectPath castKeys(const OpenWBEM::CIMObjectPath& path, const ClassDecl& cls)
{
    OpenWBEM::CIMObjectPath out(path);
    out.setClassName(owString(cls.name));
    const std::vector<const PropertyDecl*> classKeys = cls.keys();
    OpenWBEM::CIMPropertyArray keys = path.getKeys();
    for (OpenWBEM::CIMProperty& key : keys)
    {
        const std::string name = key.getName().c_str();
        const PropertyDecl* declared =
            name.empty() && classKeys.size() == 1 ? classKeys[0] : cls.property(name);
        if (declared == nullptr || !key.getValue())
        {
            continue;
        }
        try
        {
            key = OpenWBEM::CIMProperty(owString(declared->name),
                                        castToDeclared(key.getValue(), declared->type));
        }
        catch (const OpenWBEM::Exception& e)
        {
            throwCim(OpenWBEM::CIMException::INVALID_PARAMETER, castFailure(e));
        }
    }
    out.setKeys(keys);
    return out;
}

OpenWBEM::CIMInstance fitInstance(const OpenWBEM::CIMInstance& instance, const ClassDecl& cls,
                                  bool addDefaults)
{
    OpenWBEM::CIMInstance out(owString(cls.name));
    OpenWBEM::CIMPropertyArray props;
    for (const PropertyDecl& declared : cls.properties)
    {
        const OpenWBEM::CIMProperty given = instance.getProperty(owString(declared.name));
        if (!given && !addDefaults)
        {
            continue;
        }
        CIMValue value(OpenWBEM::CIMNULL);
        try
        {
            value = given ? castToDeclared(given.getValue(), declared.type) : declared.defaultValue;
        }
        catch (const OpenWBEM::Exception& e)
        {
            throwCim(OpenWBEM::CIMException::INVALID_PARAMETER, castFailure(e));
        }
        OpenWBEM::CIMProperty prop(owString(declared.name), toDataType(declared.type));
        if (value)
        {
            prop.setValue(value);
        }
        prop.setOriginClass(owString(declared.classOrigin));
        if (declared.isKey())
        {
            prop.setQualifier(OpenWBEM::CIMQualifier::createKeyQualifier());
        }
        props.push_back(prop);
    }
    out.setProperties(props);
    return out;
}

OpenWBEM::CIMObjectPath instancePath(const std::string& nameSpace,
                                     const OpenWBEM::CIMInstance& instance, const ClassDecl* cls)
{
    OpenWBEM::CIMObjectPath path(owString(nameSpace), instance);
    if (!path.getKeys().empty() || cls == nullptr)
    {
        return path;
    }
    OpenWBEM::CIMPropertyArray keys;
    for (const PropertyDecl* key : cls->keys())
    {
        const OpenWBEM::CIMProperty prop = instance.getProperty(owString(key->name));
        if (prop && prop.getValue())
        {
            keys.push_back(OpenWBEM::CIMProperty(owString(key->name), prop.getValue()));
        }
    }
    path.setKeys(keys);
    return path;
}

} // namespace cimom
