#include "cimxml/request.h"

#include "cimxml/reader.h"

#include "OW_String.hpp"

#include <pugixml.hpp>

#include <cctype>
#include <cstring>
#include <strings.h>

namespace cimom
{

namespace
{

using namespace xmlread;

// Entities, DTDs and processing instructions are left out; the document type node is kept
// only so that its presence can be refused. Whitespace-only text is kept where it is a
// value's whole content (a string of one blank is a value).
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol |
                                   pugi::parse_wconv_attribute | pugi::parse_ws_pcdata_single |
                                   pugi::parse_doctype;

// "2.0", "2.3.1": a major version of 2; "1.0".."1.4" for the protocol.
bool majorVersionIs(const std::string& version, char major)
{
    return version.size() >= 3 && version[0] == major && version[1] == '.' &&
           std::isdigit(static_cast<unsigned char>(version[2]));
}

std::string trimmed(const std::string& text)
{
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
    {
        return "";
    }
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

std::string strippedNamespace(std::string ns)
{
    while (!ns.empty() && ns.front() == '/')
    {
        ns.erase(0, 1);
    }
    while (!ns.empty() && ns.back() == '/')
    {
        ns.pop_back();
    }
    return ns;
}

pugi::xml_node parseDocument(pugi::xml_document& doc, const std::string& body)
{
    const pugi::xml_parse_result parsed =
        doc.load_buffer(body.data(), body.size(), kParseOptions, pugi::encoding_utf8);
    if (!parsed)
    {
        throw ProtocolError(kHttpBadRequest, kErrNotWellFormed,
                            std::string("XML error at offset ") + std::to_string(parsed.offset) +
                                ": " + parsed.description());
    }
    pugi::xml_node root;
    for (pugi::xml_node node : doc.children())
    {
        if (node.type() == pugi::node_doctype)
        {
            invalid("document type declarations are refused");
        }
        if (node.type() == pugi::node_element)
        {
            if (root)
            {
                throw ProtocolError(kHttpBadRequest, kErrNotWellFormed,
                                    "more than one root element");
            }
            root = node;
        }
        else if ((node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) &&
                 !trimmed(node.value()).empty())
        {
            throw ProtocolError(kHttpBadRequest, kErrNotWellFormed, "text outside the root");
        }
    }
    if (!root || !is(root, "CIM"))
    {
        invalid("the root element must be CIM");
    }
    return root;
}

void checkHeaders(const CimRequest& request, const CimCall& call)
{
    const std::optional<std::string> method = percentDecode(trimmed(request.cimMethod));
    if (!method || strcasecmp(method->c_str(), call.method.c_str()) != 0)
    {
        throw ProtocolError(kHttpBadRequest, kErrHeaderMismatch,
                            "CIMMethod header \"" + request.cimMethod + "\" does not name " +
                                call.method);
    }
    const std::optional<std::string> object = percentDecode(trimmed(request.cimObject));
    bool matches = false;
    if (object)
    {
        matches = call.intrinsic
                      ? strcasecmp(strippedNamespace(*object).c_str(), call.nameSpace.c_str()) == 0
                      : objectHeaderMatches(*object, call.target);
    }
    if (!matches)
    {
        throw ProtocolError(kHttpBadRequest, kErrHeaderMismatch,
                            "CIMObject header \"" + request.cimObject +
                                "\" does not name the object of the request");
    }
}

// CIM and MESSAGE with versions this server speaks, holding one simple request: its
// IMETHODCALL or METHODCALL element.
pugi::xml_node callElement(const pugi::xml_node& cim, CimCall& call)
{
    if (!majorVersionIs(attr(cim, "CIMVERSION"), '2'))
    {
        throw ProtocolError(kHttpNotImplemented, kErrUnsupportedCimVersion,
                            "CIMVERSION " + attr(cim, "CIMVERSION"));
    }
    if (!majorVersionIs(attr(cim, "DTDVERSION"), '2'))
    {
        throw ProtocolError(kHttpNotImplemented, kErrUnsupportedDtdVersion,
                            "DTDVERSION " + attr(cim, "DTDVERSION"));
    }
    const pugi::xml_node message = onlyElement(cim, "MESSAGE");
    call.messageId = attr(message, "ID");
    if (!majorVersionIs(attr(message, "PROTOCOLVERSION"), '1'))
    {
        throw ProtocolError(kHttpNotImplemented, kErrUnsupportedProtocolVersion,
                            "PROTOCOLVERSION " + attr(message, "PROTOCOLVERSION"));
    }
    const std::vector<pugi::xml_node> kinds = elements(message);
    if (kinds.size() == 1 && is(kinds[0], "MULTIREQ"))
    {
        throw ProtocolError(kHttpNotImplemented, kErrMultipleRequests,
                            "multiple requests in one message");
    }
    pugi::xml_node callNode;
    for (const pugi::xml_node& child : elements(onlyElement(message, "SIMPLEREQ")))
    {
        if (is(child, "CORRELATOR"))
        {
            continue;
        }
        if (callNode || !(is(child, "IMETHODCALL") || is(child, "METHODCALL")))
        {
            invalid("SIMPLEREQ must hold one IMETHODCALL or METHODCALL");
        }
        callNode = child;
    }
    if (!callNode)
    {
        invalid("SIMPLEREQ must hold one IMETHODCALL or METHODCALL");
    }
    return callNode;
}

// The method name, its target (namespace, or class or instance path) and its parameters.
void readCall(const pugi::xml_node& callNode, CimCall& call)
{
    call.intrinsic = is(callNode, "IMETHODCALL");
    call.method = attr(callNode, "NAME");
    const std::vector<pugi::xml_node> parts = elements(callNode);
    if (parts.empty())
    {
        invalid(std::string(callNode.name()) + " without a target path");
    }
    const pugi::xml_node& target = parts[0];
    if (call.intrinsic && is(target, "LOCALNAMESPACEPATH"))
    {
        call.nameSpace = strippedNamespace(localNamespacePath(target));
    }
    else if (!call.intrinsic && (is(target, "LOCALCLASSPATH") || is(target, "LOCALINSTANCEPATH")))
    {
        call.target = classOrInstancePath(target, 1);
        call.nameSpace = strippedNamespace(call.target.getNameSpace().c_str());
    }
    else
    {
        invalid(std::string(callNode.name()) + " must start with its target path");
    }
    const char* const paramElement = call.intrinsic ? "IPARAMVALUE" : "PARAMVALUE";
    for (size_t i = 1; i < parts.size(); ++i)
    {
        if (is(parts[i], paramElement))
        {
            WireParam param;
            param.name = attr(parts[i], "NAME");
            param.paramType = parts[i].attribute("PARAMTYPE").as_string();
            param.value = wireValue(parts[i]);
            call.params.push_back(std::move(param));
        }
        else if (!is(parts[i], "RESPONSEDESTINATION"))
        {
            invalid(std::string(callNode.name()) + " may not hold " + parts[i].name());
        }
    }
}

} // namespace

ProtocolError::ProtocolError(int httpStatus, std::string cimError, const std::string& detail)
    : std::runtime_error(detail), httpStatus_(httpStatus), cimError_(std::move(cimError))
{
}

CimCall decodeRequest(const CimRequest& request)
{
    if (strcasecmp(trimmed(request.cimOperation).c_str(), "MethodCall") != 0)
    {
        throw ProtocolError(kHttpBadRequest, kErrUnsupportedOperation,
                            "CIMOperation header is \"" + request.cimOperation +
                                "\", not MethodCall");
    }
    pugi::xml_document doc;
    CimCall call;
    readCall(callElement(parseDocument(doc, request.body), call), call);
    checkHeaders(request, call);
    return call;
}

} // namespace cimom
