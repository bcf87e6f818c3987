// What swu knows of CIM: values, instance names, instances and the errors a server answers
// with. Only what the nine update classes need; values stay in their CIM-XML text form so
// nothing is lost between the wire and the JSON output.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace swu
{

struct KeyBinding
{
    std::string name;
    std::string value;
    // "string", "boolean" or "numeric" as in KEYVALUE VALUETYPE; "reference" for a
    // VALUE.REFERENCE key (its value is then the referenced path as text).
    std::string valueType = "string";
};

struct InstanceName
{
    std::string className;
    std::vector<KeyBinding> keys;

    const KeyBinding* key(const std::string& name) const;
};

// An instance name as a WBEM client writes it: Class.Key="value",Other=1
std::string toText(const InstanceName& name);

struct Value
{
    std::string type; // CIM type name when the server sent one ("string", "uint8", ...)
    bool null = true;
    bool isArray = false;
    std::string text;
    std::vector<std::string> items;
};

struct Instance
{
    InstanceName name;
    std::string className;
    std::vector<std::pair<std::string, Value>> properties; // in the server's order

    const Value* property(const std::string& name) const;
    // The text of a property, or an empty text when it is absent or null.
    std::string text(const std::string& name) const;
    bool has(const std::string& name) const;
};

struct MethodResult
{
    Value returnValue;
    std::vector<std::pair<std::string, Value>> outParameters;

    const Value* out(const std::string& name) const;
};

// A parameter of a method call. Types come from the class on the server, as they do for
// other clients, so only the text is sent.
struct Parameter
{
    std::string name;
    std::string value;
};

enum class CimStatus
{
    Failed = 1,
    AccessDenied = 2,
    InvalidNamespace = 3,
    InvalidParameter = 4,
    InvalidClass = 5,
    NotFound = 6,
    NotSupported = 7,
    MethodNotAvailable = 16,
    MethodNotFound = 17,
};

const char* statusName(int code);

// A CIM error the server answered with. The provider puts an identifier and its arguments in
// a tail of the description ("text\n#Identifier,arg,...#"); they are taken apart here so a
// client can show the readable text and act on the identifier.
class CimError : public std::runtime_error
{
public:
    CimError(int code, std::string description);

    int code() const { return code_; }
    const std::string& description() const { return description_; }
    const std::string& readable() const { return readable_; }
    const std::string& identifier() const { return identifier_; }
    const std::vector<std::string>& arguments() const { return arguments_; }

private:
    int code_;
    std::string description_;
    std::string readable_;
    std::string identifier_;
    std::vector<std::string> arguments_;
};

// The server could not be reached, refused the credentials, or answered with something that
// is not a CIM-XML answer.
class TransportError : public std::runtime_error
{
public:
    enum class Kind
    {
        Connection,
        Authentication,
        Protocol,
    };
    TransportError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

} // namespace swu
