#include "cimxml.h"

#include <pugixml.hpp>

#include <cstdlib>
#include <sstream>

namespace swu::cimxml
{
namespace
{

using pugi::xml_node;

struct Envelope
{
    pugi::xml_document doc;
    xml_node call; // SIMPLEREQ's child
};

// The fixed frame of every request; the caller fills in the call element.
void frame(Envelope& e, const char* callElement, const std::string& name)
{
    xml_node decl = e.doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "utf-8";
    xml_node cim = e.doc.append_child("CIM");
    cim.append_attribute("CIMVERSION") = "2.0";
    cim.append_attribute("DTDVERSION") = "2.0";
    xml_node message = cim.append_child("MESSAGE");
    message.append_attribute("ID") = "1";
    message.append_attribute("PROTOCOLVERSION") = "1.0";
    e.call = message.append_child("SIMPLEREQ").append_child(callElement);
    e.call.append_attribute("NAME") = name.c_str();
}

void addNamespace(xml_node parent, const std::string& ns)
{
    xml_node path = parent.append_child("LOCALNAMESPACEPATH");
    std::size_t begin = 0;
    while (begin <= ns.size())
    {
        std::size_t end = ns.find('/', begin);
        if (end == std::string::npos)
        {
            end = ns.size();
        }
        if (end > begin)
        {
            path.append_child("NAMESPACE").append_attribute("NAME") =
                ns.substr(begin, end - begin).c_str();
        }
        begin = end + 1;
    }
}

void addInstanceName(xml_node parent, const InstanceName& name)
{
    xml_node node = parent.append_child("INSTANCENAME");
    node.append_attribute("CLASSNAME") = name.className.c_str();
    for (const KeyBinding& k : name.keys)
    {
        xml_node binding = node.append_child("KEYBINDING");
        binding.append_attribute("NAME") = k.name.c_str();
        xml_node value = binding.append_child("KEYVALUE");
        value.append_attribute("VALUETYPE") = k.valueType.c_str();
        value.text() = k.value.c_str();
    }
}

void addParam(xml_node call, const char* name, const char* child, const std::string& text)
{
    xml_node param = call.append_child("IPARAMVALUE");
    param.append_attribute("NAME") = name;
    xml_node value = param.append_child(child);
    if (std::string(child) == "CLASSNAME")
    {
        value.append_attribute("NAME") = text.c_str();
    }
    else
    {
        value.text() = text.c_str();
    }
}

void addPropertyList(xml_node call, const std::vector<std::string>* propertyList)
{
    if (propertyList == nullptr)
    {
        return;
    }
    xml_node param = call.append_child("IPARAMVALUE");
    param.append_attribute("NAME") = "PropertyList";
    xml_node array = param.append_child("VALUE.ARRAY");
    for (const std::string& p : *propertyList)
    {
        array.append_child("VALUE").text() = p.c_str();
    }
}

std::string serialize(const Envelope& e)
{
    std::ostringstream out;
    e.doc.save(out, "", pugi::format_raw);
    return out.str();
}

std::string objectHeader(const std::string& ns, const InstanceName& target)
{
    std::string text = ns + ":" + target.className;
    if (!target.keys.empty())
    {
        text += toText(target).substr(target.className.size());
    }
    return headerEncode(text);
}

[[noreturn]] void malformed(const std::string& what)
{
    throw TransportError(TransportError::Kind::Protocol,
                         "the server's answer is not a CIM-XML answer: " + what);
}

std::string pathText(xml_node reference);

std::string namespaceText(xml_node path)
{
    std::string ns;
    for (xml_node n : path.children("NAMESPACE"))
    {
        if (!ns.empty())
        {
            ns += '/';
        }
        ns += n.attribute("NAME").value();
    }
    return ns;
}

InstanceName readInstanceName(xml_node node)
{
    if (node.empty())
    {
        malformed("an instance name is missing");
    }
    InstanceName name;
    name.className = node.attribute("CLASSNAME").value();
    if (name.className.empty())
    {
        malformed("an instance name has no class name");
    }
    for (xml_node binding : node.children("KEYBINDING"))
    {
        KeyBinding k;
        k.name = binding.attribute("NAME").value();
        if (xml_node v = binding.child("KEYVALUE"))
        {
            k.value = v.text().get();
            const char* type = v.attribute("VALUETYPE").value();
            k.valueType = *type ? type : "string";
        }
        else if (xml_node r = binding.child("VALUE.REFERENCE"))
        {
            k.value = pathText(r);
            k.valueType = "reference";
        }
        name.keys.push_back(k);
    }
    return name;
}

// A reference as text, namespace first when the server gave one.
std::string pathText(xml_node reference)
{
    xml_node path = reference.first_child();
    std::string name = path.name();
    if (name == "INSTANCEPATH" || name == "LOCALINSTANCEPATH")
    {
        xml_node nsPath =
            path.child(name == "INSTANCEPATH" ? "NAMESPACEPATH" : "LOCALNAMESPACEPATH");
        xml_node local = nsPath.child("LOCALNAMESPACEPATH");
        std::string ns = namespaceText(local ? local : nsPath);
        std::string inst = toText(readInstanceName(path.child("INSTANCENAME")));
        return ns.empty() ? inst : ns + ":" + inst;
    }
    if (name == "INSTANCENAME")
    {
        return toText(readInstanceName(path));
    }
    if (name == "CLASSNAME")
    {
        return path.attribute("NAME").value();
    }
    return std::string();
}

Value readValue(xml_node holder, const char* type)
{
    Value v;
    v.type = type;
    if (xml_node array = holder.child("VALUE.ARRAY"))
    {
        v.isArray = true;
        v.null = false;
        for (xml_node item : array.children("VALUE"))
        {
            v.items.push_back(item.text().get());
        }
    }
    else if (xml_node ref = holder.child("VALUE.REFERENCE"))
    {
        v.null = false;
        v.type = "reference";
        v.text = pathText(ref);
    }
    else if (xml_node value = holder.child("VALUE"))
    {
        v.null = false;
        v.text = value.text().get();
    }
    return v;
}

Instance readInstance(xml_node node)
{
    if (node.empty())
    {
        malformed("an instance is missing");
    }
    Instance inst;
    inst.className = node.attribute("CLASSNAME").value();
    for (xml_node p : node.children())
    {
        std::string element = p.name();
        if (element == "PROPERTY" || element == "PROPERTY.ARRAY" || element == "PROPERTY.REFERENCE")
        {
            const char* type =
                element == "PROPERTY.REFERENCE" ? "reference" : p.attribute("TYPE").value();
            inst.properties.emplace_back(p.attribute("NAME").value(), readValue(p, type));
        }
    }
    return inst;
}

// Parses the body and returns the named response element, after raising the error it holds.
xml_node response(pugi::xml_document& doc, const std::string& body, const char* element,
                  const std::string& method)
{
    pugi::xml_parse_result parsed = doc.load_buffer(body.data(), body.size());
    if (!parsed)
    {
        malformed(std::string(parsed.description()) + " at byte " + std::to_string(parsed.offset));
    }
    xml_node message = doc.child("CIM").child("MESSAGE");
    if (!message)
    {
        malformed("no CIM MESSAGE element");
    }
    if (!message.child("SIMPLERSP"))
    {
        malformed("no SIMPLERSP element");
    }
    xml_node node = message.child("SIMPLERSP").child(element);
    if (!node)
    {
        malformed(std::string("no ") + element + " element");
    }
    if (method != node.attribute("NAME").value())
    {
        malformed(std::string("the answer is for ") + node.attribute("NAME").value() + ", not " +
                  method);
    }
    if (xml_node error = node.child("ERROR"))
    {
        const char* code = error.attribute("CODE").value();
        char* end = nullptr;
        long value = std::strtol(code, &end, 10);
        if (*code == '\0' || *end != '\0' || value <= 0 || value > 1000)
        {
            malformed(std::string("an ERROR element with the code \"") + code + "\"");
        }
        throw CimError(static_cast<int>(value), error.attribute("DESCRIPTION").value());
    }
    return node;
}

} // namespace

std::string headerEncode(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text)
    {
        if (c <= 0x20 || c >= 0x7f || c == '/' || c == ':' || c == '%')
        {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
        else
        {
            out += static_cast<char>(c);
        }
    }
    return out;
}

Request enumerateInstances(const std::string& ns, const std::string& className,
                           const std::vector<std::string>* propertyList)
{
    Envelope e;
    frame(e, "IMETHODCALL", "EnumerateInstances");
    addNamespace(e.call, ns);
    addParam(e.call, "ClassName", "CLASSNAME", className);
    addParam(e.call, "DeepInheritance", "VALUE", "true");
    addParam(e.call, "LocalOnly", "VALUE", "false");
    addPropertyList(e.call, propertyList);
    return {"EnumerateInstances", headerEncode(ns), serialize(e)};
}

Request getInstance(const std::string& ns, const InstanceName& name,
                    const std::vector<std::string>* propertyList)
{
    Envelope e;
    frame(e, "IMETHODCALL", "GetInstance");
    addNamespace(e.call, ns);
    xml_node param = e.call.append_child("IPARAMVALUE");
    param.append_attribute("NAME") = "InstanceName";
    addInstanceName(param, name);
    addParam(e.call, "LocalOnly", "VALUE", "false");
    addPropertyList(e.call, propertyList);
    return {"GetInstance", headerEncode(ns), serialize(e)};
}

Request modifyInstance(const std::string& ns, const InstanceName& name,
                       const std::vector<Parameter>& properties)
{
    Envelope e;
    frame(e, "IMETHODCALL", "ModifyInstance");
    addNamespace(e.call, ns);
    xml_node param = e.call.append_child("IPARAMVALUE");
    param.append_attribute("NAME") = "ModifiedInstance";
    xml_node named = param.append_child("VALUE.NAMEDINSTANCE");
    addInstanceName(named, name);
    xml_node inst = named.append_child("INSTANCE");
    inst.append_attribute("CLASSNAME") = name.className.c_str();
    // Providers find the instance to change by the key properties of the instance itself,
    // not by its name, so they travel in both.
    for (const KeyBinding& k : name.keys)
    {
        xml_node prop = inst.append_child("PROPERTY");
        prop.append_attribute("NAME") = k.name.c_str();
        prop.append_attribute("TYPE") = k.valueType == "numeric" ? "uint64" : k.valueType.c_str();
        prop.append_child("VALUE").text() = k.value.c_str();
    }
    for (const Parameter& p : properties)
    {
        xml_node prop = inst.append_child("PROPERTY");
        prop.append_attribute("NAME") = p.name.c_str();
        // The one writable property of these classes is a boolean; a server checks the type
        // against its class either way.
        prop.append_attribute("TYPE") = "boolean";
        prop.append_child("VALUE").text() = p.value.c_str();
    }
    return {"ModifyInstance", headerEncode(ns), serialize(e)};
}

Request associatorNames(const std::string& ns, const InstanceName& name,
                        const std::string& assocClass, const std::string& resultClass)
{
    Envelope e;
    frame(e, "IMETHODCALL", "AssociatorNames");
    addNamespace(e.call, ns);
    xml_node param = e.call.append_child("IPARAMVALUE");
    param.append_attribute("NAME") = "ObjectName";
    addInstanceName(param, name);
    addParam(e.call, "AssocClass", "CLASSNAME", assocClass);
    addParam(e.call, "ResultClass", "CLASSNAME", resultClass);
    return {"AssociatorNames", headerEncode(ns), serialize(e)};
}

Request invokeMethod(const std::string& ns, const InstanceName& target, const std::string& method,
                     const std::vector<Parameter>& parameters)
{
    Envelope e;
    frame(e, "METHODCALL", method);
    if (target.keys.empty())
    {
        xml_node path = e.call.append_child("LOCALCLASSPATH");
        addNamespace(path, ns);
        path.append_child("CLASSNAME").append_attribute("NAME") = target.className.c_str();
    }
    else
    {
        xml_node path = e.call.append_child("LOCALINSTANCEPATH");
        addNamespace(path, ns);
        addInstanceName(path, target);
    }
    for (const Parameter& p : parameters)
    {
        xml_node param = e.call.append_child("PARAMVALUE");
        param.append_attribute("NAME") = p.name.c_str();
        param.append_child("VALUE").text() = p.value.c_str();
    }
    return {method, objectHeader(ns, target), serialize(e)};
}

std::vector<Instance> parseInstances(const std::string& body, const std::string& method)
{
    pugi::xml_document doc;
    xml_node node = response(doc, body, "IMETHODRESPONSE", method);
    std::vector<Instance> out;
    for (xml_node named : node.child("IRETURNVALUE").children("VALUE.NAMEDINSTANCE"))
    {
        Instance inst = readInstance(named.child("INSTANCE"));
        inst.name = readInstanceName(named.child("INSTANCENAME"));
        out.push_back(std::move(inst));
    }
    return out;
}

Instance parseInstance(const std::string& body, const std::string& method)
{
    pugi::xml_document doc;
    xml_node node = response(doc, body, "IMETHODRESPONSE", method);
    return readInstance(node.child("IRETURNVALUE").child("INSTANCE"));
}

std::vector<InstanceName> parseInstanceNames(const std::string& body, const std::string& method)
{
    pugi::xml_document doc;
    xml_node node = response(doc, body, "IMETHODRESPONSE", method);
    std::vector<InstanceName> out;
    for (xml_node path : node.child("IRETURNVALUE").children("OBJECTPATH"))
    {
        xml_node inst = path.child("INSTANCEPATH");
        out.push_back(
            readInstanceName(inst ? inst.child("INSTANCENAME") : path.child("INSTANCENAME")));
    }
    for (xml_node name : node.child("IRETURNVALUE").children("INSTANCENAME"))
    {
        out.push_back(readInstanceName(name));
    }
    return out;
}

void parseEmpty(const std::string& body, const std::string& method)
{
    pugi::xml_document doc;
    response(doc, body, "IMETHODRESPONSE", method);
}

MethodResult parseMethodResponse(const std::string& body, const std::string& method)
{
    pugi::xml_document doc;
    xml_node node = response(doc, body, "METHODRESPONSE", method);
    MethodResult result;
    if (xml_node rv = node.child("RETURNVALUE"))
    {
        result.returnValue = readValue(rv, rv.attribute("PARAMTYPE").value());
    }
    for (xml_node p : node.children("PARAMVALUE"))
    {
        result.outParameters.emplace_back(p.attribute("NAME").value(),
                                          readValue(p, p.attribute("PARAMTYPE").value()));
    }
    return result;
}

} // namespace swu::cimxml
