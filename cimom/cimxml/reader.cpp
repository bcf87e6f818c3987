#include "cimxml/reader.h"

#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMDataType.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMValue.hpp"
#include "OW_String.hpp"

#include <cstring>
#include <strings.h>

namespace cimom::xmlread
{

using OpenWBEM::CIMObjectPath;
using OpenWBEM::CIMValue;
using OpenWBEM::String;

[[noreturn]] void invalid(const std::string& detail)
{
    throw ProtocolError(kHttpBadRequest, kErrNotValid, detail);
}

bool is(const pugi::xml_node& node, const char* name)
{
    return std::strcmp(node.name(), name) == 0;
}

std::string attr(const pugi::xml_node& node, const char* name)
{
    const pugi::xml_attribute a = node.attribute(name);
    if (!a)
    {
        invalid(std::string(node.name()) + " without " + name);
    }
    return a.value();
}

static String ow(const std::string& s)
{
    return String(s.c_str(), s.size());
}

std::vector<pugi::xml_node> elements(const pugi::xml_node& parent)
{
    std::vector<pugi::xml_node> out;
    for (pugi::xml_node child : parent.children())
    {
        if (child.type() == pugi::node_element)
        {
            out.push_back(child);
        }
    }
    return out;
}

pugi::xml_node onlyElement(const pugi::xml_node& parent, const char* name)
{
    const std::vector<pugi::xml_node> children = elements(parent);
    if (children.size() != 1 || !is(children[0], name))
    {
        invalid(std::string(parent.name()) + " must hold exactly one " + name);
    }
    return children[0];
}

// The character data of a leaf element, CDATA sections included.
static std::string textOf(const pugi::xml_node& node)
{
    std::string text;
    for (pugi::xml_node child : node.children())
    {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
        {
            text += child.value();
        }
        else if (child.type() == pugi::node_element)
        {
            invalid(std::string(node.name()) + " may hold only text");
        }
    }
    return text;
}

std::string localNamespacePath(const pugi::xml_node& node)
{
    std::string ns;
    for (const pugi::xml_node& part : elements(node))
    {
        if (!is(part, "NAMESPACE"))
        {
            invalid("LOCALNAMESPACEPATH may hold only NAMESPACE");
        }
        if (!ns.empty())
        {
            ns += '/';
        }
        ns += attr(part, "NAME");
    }
    if (ns.empty())
    {
        invalid("empty LOCALNAMESPACEPATH");
    }
    return ns;
}

// NAMESPACEPATH: HOST, LOCALNAMESPACEPATH.
static void namespacePath(const pugi::xml_node& node, CIMObjectPath& path)
{
    const std::vector<pugi::xml_node> parts = elements(node);
    if (parts.size() != 2 || !is(parts[0], "HOST") || !is(parts[1], "LOCALNAMESPACEPATH"))
    {
        invalid("NAMESPACEPATH must hold HOST and LOCALNAMESPACEPATH");
    }
    path.setHost(ow(textOf(parts[0])));
    path.setNameSpace(ow(localNamespacePath(parts[1])));
}

// A key value typed as far as its VALUETYPE (and TYPE, where sent) tells; text that does not
// read as that type stays a string, for the class definition to judge.
static CIMValue keyValue(const pugi::xml_node& node)
{
    const std::string text = textOf(node);
    const std::string valueType = node.attribute("VALUETYPE").as_string("string");
    const std::string type = node.attribute("TYPE").as_string();
    try
    {
        if (!type.empty())
        {
            CIMValue typed = CIMValue::createSimpleValue(ow(type), ow(text));
            if (typed)
            {
                return typed;
            }
        }
        if (strcasecmp(valueType.c_str(), "boolean") == 0)
        {
            return CIMValue(OpenWBEM::Bool(ow(text).toBool()));
        }
        if (strcasecmp(valueType.c_str(), "numeric") == 0)
        {
            String number = ow(text);
            number.trim();
            if (number.indexOf('.') != String::npos || number.indexOf('e') != String::npos ||
                number.indexOf('E') != String::npos)
            {
                return CIMValue(number.toReal64());
            }
            if (number.startsWith('-'))
            {
                return CIMValue(number.toInt64());
            }
            return CIMValue(number.toUInt64());
        }
    }
    catch (const OpenWBEM::Exception&)
    {
        // Falls through: the text is kept as it was sent.
    }
    return CIMValue(ow(text));
}

static CIMObjectPath valueReference(const pugi::xml_node& node, int level);

// INSTANCENAME: CLASSNAME attribute, then KEYBINDING*, or a single unnamed KEYVALUE or
// VALUE.REFERENCE (the name is left empty for the class definition to fill in).
static CIMObjectPath instanceName(const pugi::xml_node& node, int level)
{
    CIMObjectPath path(ow(attr(node, "CLASSNAME")));
    OpenWBEM::CIMPropertyArray keys;
    for (const pugi::xml_node& child : elements(node))
    {
        if (is(child, "KEYBINDING"))
        {
            const std::vector<pugi::xml_node> bound = elements(child);
            if (bound.size() != 1)
            {
                invalid("KEYBINDING must hold one KEYVALUE or VALUE.REFERENCE");
            }
            const pugi::xml_node& value = bound[0];
            const String name = ow(attr(child, "NAME"));
            if (is(value, "KEYVALUE"))
            {
                keys.push_back(OpenWBEM::CIMProperty(name, keyValue(value)));
            }
            else if (is(value, "VALUE.REFERENCE"))
            {
                keys.push_back(
                    OpenWBEM::CIMProperty(name, CIMValue(valueReference(value, level + 1))));
            }
            else
            {
                invalid("KEYBINDING must hold one KEYVALUE or VALUE.REFERENCE");
            }
        }
        else if ((is(child, "KEYVALUE") || is(child, "VALUE.REFERENCE")) &&
                 elements(node).size() == 1)
        {
            const CIMValue v = is(child, "KEYVALUE") ? keyValue(child)
                                                     : CIMValue(valueReference(child, level + 1));
            keys.push_back(OpenWBEM::CIMProperty(String(""), v));
        }
        else
        {
            invalid(std::string("INSTANCENAME may not hold ") + child.name());
        }
    }
    path.setKeys(keys);
    return path;
}

CIMObjectPath classOrInstancePath(const pugi::xml_node& node, int level)
{
    const std::vector<pugi::xml_node> parts = elements(node);
    if (is(node, "CLASSNAME"))
    {
        return CIMObjectPath(ow(attr(node, "NAME")));
    }
    if (is(node, "INSTANCENAME"))
    {
        return instanceName(node, level);
    }
    if (parts.size() != 2)
    {
        invalid(std::string(node.name()) + " must hold a namespace path and a name");
    }
    CIMObjectPath path;
    if (is(node, "CLASSPATH") || is(node, "LOCALCLASSPATH"))
    {
        if (!is(parts[1], "CLASSNAME"))
        {
            invalid(std::string(node.name()) + " without CLASSNAME");
        }
        path = CIMObjectPath(ow(attr(parts[1], "NAME")));
    }
    else if (is(node, "INSTANCEPATH") || is(node, "LOCALINSTANCEPATH"))
    {
        if (!is(parts[1], "INSTANCENAME"))
        {
            invalid(std::string(node.name()) + " without INSTANCENAME");
        }
        path = instanceName(parts[1], level);
    }
    else
    {
        invalid(std::string("unexpected ") + node.name());
    }
    const bool local = std::strncmp(node.name(), "LOCAL", 5) == 0;
    if (local)
    {
        if (!is(parts[0], "LOCALNAMESPACEPATH"))
        {
            invalid(std::string(node.name()) + " without LOCALNAMESPACEPATH");
        }
        path.setNameSpace(ow(localNamespacePath(parts[0])));
    }
    else
    {
        if (!is(parts[0], "NAMESPACEPATH"))
        {
            invalid(std::string(node.name()) + " without NAMESPACEPATH");
        }
        namespacePath(parts[0], path);
    }
    return path;
}

static CIMObjectPath valueReference(const pugi::xml_node& node, int level)
{
    if (level > kMaxReferenceNestingLevels)
    {
        invalid("object paths nested too deeply");
    }
    const std::vector<pugi::xml_node> children = elements(node);
    if (children.size() != 1)
    {
        invalid("VALUE.REFERENCE must hold exactly one path");
    }
    return classOrInstancePath(children[0], level);
}

static CIMValue valueArray(const pugi::xml_node& node, bool& hasNull)
{
    OpenWBEM::StringArray items;
    for (const pugi::xml_node& item : elements(node))
    {
        if (is(item, "VALUE"))
        {
            items.push_back(ow(textOf(item)));
        }
        else if (is(item, "VALUE.NULL"))
        {
            hasNull = true;
        }
        else
        {
            invalid("VALUE.ARRAY may hold only VALUE");
        }
    }
    return CIMValue(items);
}

static CIMValue referenceArray(const pugi::xml_node& node, bool& hasNull)
{
    OpenWBEM::CIMObjectPathArray items;
    for (const pugi::xml_node& item : elements(node))
    {
        if (is(item, "VALUE.REFERENCE"))
        {
            items.push_back(valueReference(item, 1));
        }
        else if (is(item, "VALUE.NULL"))
        {
            hasNull = true;
        }
        else
        {
            invalid("VALUE.REFARRAY may hold only VALUE.REFERENCE");
        }
    }
    return CIMValue(items);
}

// PROPERTY, PROPERTY.ARRAY, PROPERTY.REFERENCE: values stay text until fitted to the class.
static OpenWBEM::CIMProperty property(const pugi::xml_node& node)
{
    OpenWBEM::CIMProperty prop(ow(attr(node, "NAME")));
    for (const pugi::xml_node& child : elements(node))
    {
        bool hasNull = false;
        if (is(child, "QUALIFIER"))
        {
            continue; // the class definition decides about qualifiers
        }
        if (is(node, "PROPERTY") && is(child, "VALUE"))
        {
            prop.setValue(CIMValue(ow(textOf(child))));
        }
        else if (is(node, "PROPERTY.ARRAY") && is(child, "VALUE.ARRAY"))
        {
            prop.setValue(valueArray(child, hasNull));
        }
        else if (is(node, "PROPERTY.REFERENCE") && is(child, "VALUE.REFERENCE"))
        {
            prop.setValue(CIMValue(valueReference(child, 1)));
        }
        else
        {
            invalid(std::string(node.name()) + " may not hold " + child.name());
        }
        if (hasNull)
        {
            invalid("null array elements are not supported");
        }
    }
    return prop;
}

static OpenWBEM::CIMInstance instance(const pugi::xml_node& node)
{
    OpenWBEM::CIMInstance inst(ow(attr(node, "CLASSNAME")));
    for (const pugi::xml_node& child : elements(node))
    {
        if (is(child, "PROPERTY") || is(child, "PROPERTY.ARRAY") || is(child, "PROPERTY.REFERENCE"))
        {
            inst.setProperty(property(child));
        }
        else if (!is(child, "QUALIFIER"))
        {
            invalid(std::string("INSTANCE may not hold ") + child.name());
        }
    }
    return inst;
}

WireValue wireValue(const pugi::xml_node& param)
{
    WireValue out;
    const std::vector<pugi::xml_node> children = elements(param);
    if (children.empty())
    {
        return out;
    }
    if (children.size() > 1)
    {
        invalid(std::string(param.name()) + " holds more than one value");
    }
    const pugi::xml_node& node = children[0];
    bool hasNull = false;
    if (is(node, "VALUE"))
    {
        out.kind = WireValue::Kind::Value;
        out.value = CIMValue(ow(textOf(node)));
    }
    else if (is(node, "VALUE.ARRAY") || is(node, "VALUE.REFARRAY"))
    {
        out.kind = WireValue::Kind::Value;
        out.value =
            is(node, "VALUE.ARRAY") ? valueArray(node, hasNull) : referenceArray(node, hasNull);
    }
    else if (is(node, "VALUE.REFERENCE"))
    {
        out.kind = WireValue::Kind::Value;
        out.value = CIMValue(valueReference(node, 1));
    }
    else if (is(node, "CLASSNAME"))
    {
        out.kind = WireValue::Kind::ClassName;
        out.className = attr(node, "NAME");
    }
    else if (is(node, "INSTANCENAME"))
    {
        out.kind = WireValue::Kind::InstanceName;
        out.path = instanceName(node, 1);
    }
    else if (is(node, "INSTANCE"))
    {
        out.kind = WireValue::Kind::Instance;
        out.instance = instance(node);
    }
    else if (is(node, "VALUE.NAMEDINSTANCE"))
    {
        const std::vector<pugi::xml_node> parts = elements(node);
        if (parts.size() != 2 || !is(parts[0], "INSTANCENAME") || !is(parts[1], "INSTANCE"))
        {
            invalid("VALUE.NAMEDINSTANCE must hold INSTANCENAME and INSTANCE");
        }
        out.kind = WireValue::Kind::NamedInstance;
        out.path = instanceName(parts[0], 1);
        out.instance = instance(parts[1]);
    }
    else
    {
        out.kind = WireValue::Kind::Unsupported;
        out.element = node.name();
    }
    if (hasNull)
    {
        out.kind = WireValue::Kind::Unsupported;
        out.element = std::string(node.name()) + " with VALUE.NULL";
    }
    return out;
}

} // namespace cimom::xmlread
