#include "cimxml/response.h"

#include "cim/typing.h"

#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMClass.hpp"
#include "OW_CIMDateTime.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_Char16.hpp"
#include "OW_String.hpp"

#include <cstdio>
#include <cstdlib>
#include <strings.h>
#include <utility>

namespace cimom
{

namespace
{

using OpenWBEM::CIMDataType;
using OpenWBEM::CIMValue;

std::string shortestReal(double value, int minDigits, int maxDigits, bool isFloat)
{
    char text[40];
    for (int digits = minDigits; digits <= maxDigits; ++digits)
    {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        const double back = std::strtod(text, nullptr);
        if (isFloat ? static_cast<float>(back) == static_cast<float>(value) : back == value)
        {
            break;
        }
    }
    return text;
}

template <class A> std::vector<CIMValue> toValues(const A& items)
{
    std::vector<CIMValue> out;
    for (const auto& item : items)
    {
        out.push_back(CIMValue(item));
    }
    return out;
}

std::vector<CIMValue> arrayElements(const CIMValue& v)
{
    switch (v.getType())
    {
    case CIMDataType::UINT8:
        return toValues(v.toUInt8Array());
    case CIMDataType::SINT8:
        return toValues(v.toInt8Array());
    case CIMDataType::UINT16:
        return toValues(v.toUInt16Array());
    case CIMDataType::SINT16:
        return toValues(v.toInt16Array());
    case CIMDataType::UINT32:
        return toValues(v.toUInt32Array());
    case CIMDataType::SINT32:
        return toValues(v.toInt32Array());
    case CIMDataType::UINT64:
        return toValues(v.toUInt64Array());
    case CIMDataType::SINT64:
        return toValues(v.toInt64Array());
    case CIMDataType::REAL32:
        return toValues(v.toReal32Array());
    case CIMDataType::REAL64:
        return toValues(v.toReal64Array());
    case CIMDataType::BOOLEAN:
        return toValues(v.toBoolArray());
    case CIMDataType::CHAR16:
        return toValues(v.toChar16Array());
    case CIMDataType::DATETIME:
        return toValues(v.toCIMDateTimeArray());
    case CIMDataType::REFERENCE:
        return toValues(v.toCIMObjectPathArray());
    case CIMDataType::EMBEDDEDINSTANCE:
        return toValues(v.toCIMInstanceArray());
    case CIMDataType::EMBEDDEDCLASS:
        return toValues(v.toCIMClassArray());
    default:
        return toValues(v.toStringArray());
    }
}

const char* keyValueType(const CIMValue& v)
{
    if (v && v.getType() == CIMDataType::BOOLEAN)
    {
        return "boolean";
    }
    return v && v.isNumericType() ? "numeric" : "string";
}

std::vector<std::string> namespaceParts(const std::string& nameSpace)
{
    std::vector<std::string> parts;
    size_t begin = 0;
    while (begin <= nameSpace.size())
    {
        const size_t slash = nameSpace.find('/', begin);
        const size_t end = slash == std::string::npos ? nameSpace.size() : slash;
        if (end > begin)
        {
            parts.push_back(nameSpace.substr(begin, end - begin));
        }
        begin = end + 1;
    }
    return parts;
}

std::string str(const OpenWBEM::String& s)
{
    return std::string(s.c_str(), s.length());
}

std::string_view view(const OpenWBEM::String& s)
{
    return std::string_view(s.c_str(), s.length());
}

// Bytes that xmlEscape hands back unchanged in both text and attribute positions.
bool passesUnescaped(unsigned char c)
{
    return c >= 0x20 && c < 0x80 && c != '<' && c != '>' && c != '&' && c != '"' && c != '\'';
}

// Paths made without a host name this server; the reply must not tell a remote client that
// an object lives on its own "localhost".
bool isThisHost(const std::string& host)
{
    return host.empty() || strcasecmp(host.c_str(), "localhost") == 0 || host == "127.0.0.1";
}

const char kPrologueStart[] =
    "<?xml version=\"1.0\" ?><CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"";
const char kPrologueEnd[] = "\" PROTOCOLVERSION=\"1.0\"><SIMPLERSP>";
const char kEpilogue[] = "</SIMPLERSP></MESSAGE></CIM>\r\n";

std::string prologue(const std::string& messageId)
{
    return kPrologueStart + xmlEscape(messageId, true) + kPrologueEnd;
}

const char kReturnValueStart[] = "<IRETURNVALUE>";
const char kReturnValueEnd[] = "</IRETURNVALUE>";
const char kIntrinsicEnd[] = "</IMETHODRESPONSE>";

// Everything of an intrinsic response before its body (or before its end, without one).
std::string intrinsicHead(const std::string& messageId, const std::string& method)
{
    std::string head = prologue(messageId);
    head += "<IMETHODRESPONSE NAME=\"";
    appendXmlEscaped(head, method, true);
    head += "\">";
    return head;
}

} // namespace

void appendXmlEscaped(std::string& out, std::string_view text, bool attribute)
{
    for (const char c : text)
    {
        if (!passesUnescaped(static_cast<unsigned char>(c)))
        {
            out += xmlEscape(text, attribute);
            return;
        }
    }
    out.append(text);
}

CimXmlWriter::CimXmlWriter(std::string& out, const Repository* repository, std::string host)
    : out_(out), repository_(repository), host_(std::move(host))
{
}

void CimXmlWriter::scalarText(const CIMValue& scalar)
{
    switch (scalar.getType())
    {
    case CIMDataType::REAL32:
        text(shortestReal(scalar.toReal32(), 6, 9, true));
        break;
    case CIMDataType::REAL64:
        text(shortestReal(scalar.toReal64(), 15, 17, false));
        break;
    case CIMDataType::EMBEDDEDINSTANCE:
    {
        std::string inner;
        CimXmlWriter(inner, repository_, host_).instance(scalar.toCIMInstance());
        text(inner);
        break;
    }
    default:
        text(view(scalar.toString()));
    }
}

void CimXmlWriter::value(const CIMValue& v)
{
    if (!v)
    {
        return;
    }
    if (v.getType() == CIMDataType::REFERENCE)
    {
        if (v.isArray())
        {
            out_ += "<VALUE.REFARRAY>";
        }
        for (const CIMValue& item : v.isArray() ? arrayElements(v) : std::vector<CIMValue>{v})
        {
            out_ += "<VALUE.REFERENCE>";
            referencePath(item.toCIMObjectPath());
            out_ += "</VALUE.REFERENCE>";
        }
        if (v.isArray())
        {
            out_ += "</VALUE.REFARRAY>";
        }
        return;
    }
    if (!v.isArray())
    {
        out_ += "<VALUE>";
        scalarText(v);
        out_ += "</VALUE>";
        return;
    }
    out_ += "<VALUE.ARRAY>";
    for (const CIMValue& item : arrayElements(v))
    {
        out_ += "<VALUE>";
        scalarText(item);
        out_ += "</VALUE>";
    }
    out_ += "</VALUE.ARRAY>";
}

void CimXmlWriter::localNamespace(const std::string& nameSpace)
{
    out_ += "<LOCALNAMESPACEPATH>";
    for (const std::string& part : namespaceParts(nameSpace))
    {
        out_ += "<NAMESPACE NAME=\"";
        attr(part);
        out_ += "\"/>";
    }
    out_ += "</LOCALNAMESPACEPATH>";
}

void CimXmlWriter::keyBinding(const OpenWBEM::CIMProperty& key)
{
    out_ += "<KEYBINDING NAME=\"";
    attr(view(key.getName()));
    out_ += "\">";
    const CIMValue v = key.getValue();
    if (v && v.getType() == CIMDataType::REFERENCE && !v.isArray())
    {
        out_ += "<VALUE.REFERENCE>";
        referencePath(v.toCIMObjectPath());
        out_ += "</VALUE.REFERENCE>";
    }
    else
    {
        out_ += "<KEYVALUE VALUETYPE=\"";
        out_ += keyValueType(v);
        out_ += "\">";
        if (v)
        {
            scalarText(v);
        }
        out_ += "</KEYVALUE>";
    }
    out_ += "</KEYBINDING>";
}

void CimXmlWriter::instanceName(const OpenWBEM::CIMObjectPath& path)
{
    out_ += "<INSTANCENAME CLASSNAME=\"";
    attr(view(path.getClassName()));
    out_ += "\">";
    for (const OpenWBEM::CIMProperty& key : path.getKeys())
    {
        keyBinding(key);
    }
    out_ += "</INSTANCENAME>";
}

void CimXmlWriter::referencePath(const OpenWBEM::CIMObjectPath& path)
{
    const std::string host = isThisHost(str(path.getHost())) ? "" : str(path.getHost());
    const std::string nameSpace = str(path.getNameSpace());
    const bool isInstance = !path.getKeys().empty();
    const char* element = nullptr;
    if (!host.empty())
    {
        element = isInstance ? "INSTANCEPATH" : "CLASSPATH";
    }
    else if (!nameSpace.empty())
    {
        element = isInstance ? "LOCALINSTANCEPATH" : "LOCALCLASSPATH";
    }
    if (element != nullptr)
    {
        out_ += std::string("<") + element + ">";
        if (!host.empty())
        {
            out_ += "<NAMESPACEPATH><HOST>";
            text(host);
            out_ += "</HOST>";
        }
        localNamespace(nameSpace);
        if (!host.empty())
        {
            out_ += "</NAMESPACEPATH>";
        }
    }
    if (isInstance)
    {
        instanceName(path);
    }
    else
    {
        out_ += "<CLASSNAME NAME=\"";
        attr(str(path.getClassName()));
        out_ += "\"/>";
    }
    if (element != nullptr)
    {
        out_ += std::string("</") + element + ">";
    }
}

void CimXmlWriter::fullPath(const OpenWBEM::CIMObjectPath& path, const std::string& nameSpace)
{
    OpenWBEM::CIMObjectPath full(path);
    if (full.getNameSpace().empty())
    {
        full.setNameSpace(owString(nameSpace));
    }
    if (isThisHost(str(full.getHost())))
    {
        full.setHost(owString(host_));
    }
    referencePath(full);
}

void CimXmlWriter::instance(const OpenWBEM::CIMInstance& inst)
{
    const std::string className = str(inst.getClassName());
    const ClassDecl* cls = repository_ != nullptr ? repository_->find(className) : nullptr;
    out_ += "<INSTANCE CLASSNAME=\"";
    attr(className);
    out_ += "\">";
    for (const OpenWBEM::CIMProperty& prop : inst.getProperties())
    {
        const std::string name = str(prop.getName());
        const CIMValue v = prop.getValue();
        const PropertyDecl* declared = cls != nullptr ? cls->property(name) : nullptr;
        std::string origin = str(prop.getOriginClass());
        if (origin.empty() && declared != nullptr)
        {
            origin = declared->classOrigin;
        }
        // The value says what it is; a null value goes by the property's or class's type.
        CIMDataType::Type type = CIMDataType::STRING;
        bool isArray = false;
        std::string refClass;
        const OpenWBEM::CIMDataType dataType = prop.getDataType();
        if (v)
        {
            type = v.getType();
            isArray = v.isArray();
        }
        else if (dataType && dataType.getType() != CIMDataType::CIMNULL &&
                 dataType.getType() != CIMDataType::INVALID)
        {
            type = dataType.getType();
            isArray = dataType.isArrayType();
        }
        else if (declared != nullptr)
        {
            type = declared->type.type;
            isArray = declared->type.isArray;
        }
        if (dataType && dataType.isReferenceType())
        {
            refClass = str(dataType.getRefClassName());
        }
        if (refClass.empty() && declared != nullptr)
        {
            refClass = declared->type.referenceClass;
        }
        const bool embedded = type == CIMDataType::EMBEDDEDINSTANCE;
        const char* element = type == CIMDataType::REFERENCE && !isArray ? "PROPERTY.REFERENCE"
                              : isArray                                  ? "PROPERTY.ARRAY"
                                                                         : "PROPERTY";
        out_ += '<';
        out_ += element;
        out_ += " NAME=\"";
        attr(name);
        out_ += "\" ";
        if (type == CIMDataType::REFERENCE && !isArray)
        {
            if (!refClass.empty())
            {
                out_ += "REFERENCECLASS=\"";
                attr(refClass);
                out_ += "\" ";
            }
        }
        else
        {
            out_ += "TYPE=\"";
            out_ += embedded ? "string" : cimTypeName(type);
            out_ += "\" ";
        }
        if (!origin.empty())
        {
            out_ += "CLASSORIGIN=\"";
            attr(origin);
            out_ += "\" ";
        }
        if (embedded)
        {
            out_ += "EmbeddedObject=\"instance\" ";
        }
        out_ += ">";
        value(v);
        out_ += "</";
        out_ += element;
        out_ += '>';
    }
    out_ += "</INSTANCE>";
}

void CimXmlWriter::paramValue(const std::string& name, const CIMValue& v, const TypeDecl* declared)
{
    out_ += "<PARAMVALUE NAME=\"";
    attr(name);
    out_ += "\"";
    const char* type = nullptr;
    if (v)
    {
        type = v.getType() == CIMDataType::EMBEDDEDINSTANCE ? "string" : cimTypeName(v.getType());
    }
    else if (declared != nullptr)
    {
        type = cimTypeName(declared->type);
    }
    if (type != nullptr)
    {
        out_ += " PARAMTYPE=\"";
        out_ += type;
        out_ += "\"";
    }
    if (v && v.getType() == CIMDataType::EMBEDDEDINSTANCE)
    {
        out_ += " EmbeddedObject=\"instance\"";
    }
    out_ += ">";
    value(v);
    out_ += "</PARAMVALUE>";
}

std::string intrinsicResponse(const std::string& messageId, const std::string& method,
                              const std::optional<std::string>& body)
{
    std::string out = intrinsicHead(messageId, method);
    if (body)
    {
        out.reserve(out.size() + sizeof kReturnValueStart + body->size() + sizeof kReturnValueEnd +
                    sizeof kIntrinsicEnd + sizeof kEpilogue);
        out += kReturnValueStart;
        out += *body;
        out += kReturnValueEnd;
    }
    out += kIntrinsicEnd;
    out += kEpilogue;
    return out;
}

std::string intrinsicResponse(const std::string& messageId, const std::string& method,
                              std::optional<std::string>&& body)
{
    if (!body)
    {
        return intrinsicResponse(messageId, method, std::as_const(body));
    }
    std::string head = intrinsicHead(messageId, method);
    head += kReturnValueStart;
    std::string& out = *body;
    const size_t tailSize =
        (sizeof kReturnValueEnd - 1) + (sizeof kIntrinsicEnd - 1) + (sizeof kEpilogue - 1);
    if (out.capacity() - out.size() < head.size() + tailSize)
    {
        return intrinsicResponse(messageId, method, std::as_const(body));
    }
    // Shifts the body within its buffer: no new allocation, no second copy alive.
    out.insert(0, head);
    out += kReturnValueEnd;
    out += kIntrinsicEnd;
    out += kEpilogue;
    return std::move(out);
}

std::string extrinsicResponse(const std::string& messageId, const std::string& method,
                              const std::string& body)
{
    std::string out = prologue(messageId);
    out += "<METHODRESPONSE NAME=\"" + xmlEscape(method, true) + "\">" + body + "</METHODRESPONSE>";
    out += kEpilogue;
    return out;
}

std::string errorResponse(const std::string& messageId, const std::string& method, bool intrinsic,
                          int code, const std::string& description)
{
    const char* element = intrinsic ? "IMETHODRESPONSE" : "METHODRESPONSE";
    std::string out = prologue(messageId);
    out += "\r\n<" + std::string(element) + " NAME=\"" + xmlEscape(method, true) + "\">\r\n";
    out += "<ERROR CODE=\"" + std::to_string(code) + "\" DESCRIPTION=\"" +
           xmlEscape(description, true) + "\"></ERROR>\r\n";
    out += "</" + std::string(element) + ">\r\n</SIMPLERSP>\r\n</MESSAGE></CIM>\r\n";
    return out;
}

} // namespace cimom
