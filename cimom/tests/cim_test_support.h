// Helpers for the CIM-side tests: recorded exchanges read from disk, request documents built
// from fragments, and a parsed view of response documents.
// Thread-safety: plain functions and values; each test uses its own.
#pragma once

#include "service.h"

#include <pugixml.hpp>

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

namespace cimom::test
{

struct HttpMessage
{
    std::map<std::string, std::string> headers;
    std::string body;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        throw std::runtime_error("cannot read " + path);
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A recorded HTTP message; a chunked body is put back together.
inline HttpMessage readCapture(const std::string& path)
{
    const std::string text = readFile(path);
    const size_t end = text.find("\r\n\r\n");
    HttpMessage message;
    std::istringstream head(text.substr(0, end));
    std::string line;
    std::getline(head, line); // request or status line
    while (std::getline(head, line))
    {
        if (!line.empty() && line.back() == '\r')
        {
            line.pop_back();
        }
        const size_t colon = line.find(':');
        if (colon != std::string::npos)
        {
            message.headers[line.substr(0, colon)] = line.substr(colon + 2);
        }
    }
    std::string body = text.substr(end + 4);
    if (message.headers.count("Transfer-Encoding") != 0)
    {
        std::string joined;
        size_t pos = 0;
        for (;;)
        {
            const size_t lineEnd = body.find("\r\n", pos);
            const size_t size = std::stoul(body.substr(pos, lineEnd - pos), nullptr, 16);
            if (size == 0)
            {
                break;
            }
            joined += body.substr(lineEnd + 2, size);
            pos = lineEnd + 2 + size + 2;
        }
        body = joined;
    }
    message.body = body;
    return message;
}

inline CimRequest requestFrom(const HttpMessage& message, Role role = Role::Admin)
{
    CimRequest request;
    const auto header = [&](const char* name)
    {
        const auto found = message.headers.find(name);
        return found == message.headers.end() ? std::string() : found->second;
    };
    request.cimOperation = header("CIMOperation");
    request.cimMethod = header("CIMMethod");
    request.cimObject = header("CIMObject");
    request.body = message.body;
    request.caller.user = "owtest";
    request.caller.role = role;
    request.caller.address = "127.0.0.1";
    return request;
}

inline std::string document(const std::string& call)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" "
           "DTDVERSION=\"2.0\"><MESSAGE ID=\"77\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ>" +
           call + "</SIMPLEREQ></MESSAGE></CIM>";
}

inline std::string localNamespace()
{
    return "<LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/><NAMESPACE "
           "NAME=\"cimv2\"/></LOCALNAMESPACEPATH>";
}

// An intrinsic call in root/cimv2 with the headers that match it.
inline CimRequest intrinsic(const std::string& method, const std::string& params,
                            Role role = Role::Admin)
{
    CimRequest request;
    request.cimOperation = "MethodCall";
    request.cimMethod = method;
    request.cimObject = "root%2Fcimv2";
    request.body = document("<IMETHODCALL NAME=\"" + method + "\">" + localNamespace() + params +
                            "</IMETHODCALL>");
    request.caller = {"tester", role, "127.0.0.1"};
    return request;
}

inline std::string iparam(const std::string& name, const std::string& content)
{
    return "<IPARAMVALUE NAME=\"" + name + "\">" + content + "</IPARAMVALUE>";
}

inline std::string className(const std::string& name)
{
    return "<CLASSNAME NAME=\"" + name + "\"/>";
}

inline std::string value(const std::string& text)
{
    return "<VALUE>" + text + "</VALUE>";
}

inline std::string keyBinding(const std::string& name, const std::string& text,
                              const std::string& valueType = "string")
{
    return "<KEYBINDING NAME=\"" + name + "\"><KEYVALUE VALUETYPE=\"" + valueType + "\">" + text +
           "</KEYVALUE></KEYBINDING>";
}

inline std::string instanceName(const std::string& cls, const std::string& bindings)
{
    return "<INSTANCENAME CLASSNAME=\"" + cls + "\">" + bindings + "</INSTANCENAME>";
}

// An extrinsic call on `cls` (a class path when `bindings` is empty); `objectHeader` is the
// CIMObject header value.
inline CimRequest extrinsic(const std::string& method, const std::string& cls,
                            const std::string& bindings, const std::string& objectHeader,
                            const std::string& params, Role role = Role::Admin)
{
    const std::string target =
        bindings.empty()
            ? "<LOCALCLASSPATH>" + localNamespace() + className(cls) + "</LOCALCLASSPATH>"
            : "<LOCALINSTANCEPATH>" + localNamespace() + instanceName(cls, bindings) +
                  "</LOCALINSTANCEPATH>";
    CimRequest request;
    request.cimOperation = "MethodCall";
    request.cimMethod = method;
    request.cimObject = objectHeader;
    request.body =
        document("<METHODCALL NAME=\"" + method + "\">" + target + params + "</METHODCALL>");
    request.caller = {"tester", role, "127.0.0.1"};
    return request;
}

inline std::string param(const std::string& name, const std::string& content)
{
    return "<PARAMVALUE NAME=\"" + name + "\">" + content + "</PARAMVALUE>";
}

// A response document, parsed.
class Answer
{
public:
    explicit Answer(const CimResponse& response) : status(response.httpStatus)
    {
        doc_.load_string(response.body.c_str());
    }
    int status;

    pugi::xml_node response() const
    {
        const pugi::xml_node rsp = doc_.child("CIM").child("MESSAGE").child("SIMPLERSP");
        return rsp.child("IMETHODRESPONSE") ? rsp.child("IMETHODRESPONSE")
                                            : rsp.child("METHODRESPONSE");
    }
    // 0 when the answer is not an error.
    int errorCode() const { return response().child("ERROR").attribute("CODE").as_int(); }
    std::string description() const
    {
        return response().child("ERROR").attribute("DESCRIPTION").as_string();
    }
    pugi::xml_node result() const { return response().child("IRETURNVALUE"); }

private:
    pugi::xml_document doc_;
};

} // namespace cimom::test
