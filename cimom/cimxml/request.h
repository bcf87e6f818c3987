// Decoding of a CIM operation request: headers and CIM-XML body become one intrinsic or
// extrinsic call. Values stay as the client wrote them (text, text arrays, object paths); the
// class definition types them later. Unacceptable requests are refused with the HTTP status
// and CIMError header value that the CIM-over-HTTP protocol prescribes.
// Thread-safety: stateless functions; safe from every thread.
#pragma once

#include "service.h"

#include "OW_config.h"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMValue.hpp"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cimom
{

// CIMError header values.
inline constexpr const char* kErrUnsupportedOperation = "unsupported-operation";
inline constexpr const char* kErrNotWellFormed = "request-not-well-formed";
inline constexpr const char* kErrNotValid = "request-not-valid";
inline constexpr const char* kErrHeaderMismatch = "header-mismatch";
inline constexpr const char* kErrUnsupportedCimVersion = "unsupported-cim-version";
inline constexpr const char* kErrUnsupportedDtdVersion = "unsupported-dtd-version";
inline constexpr const char* kErrUnsupportedProtocolVersion = "unsupported-protocol-version";
inline constexpr const char* kErrMultipleRequests = "multiple-requests-unsupported";

inline constexpr int kHttpBadRequest = 400;
inline constexpr int kHttpNotImplemented = 501;
inline constexpr int kHttpInternalServerError = 500;

// How deeply object paths may nest inside key bindings (a reference key whose path has a
// reference key ...). Real models need two or three levels.
inline constexpr int kMaxReferenceNestingLevels = 8;

// A request refused before any CIM processing: answered with this status, a CIMError header
// and no body. what() says why, for the log.
class ProtocolError : public std::runtime_error
{
public:
    ProtocolError(int httpStatus, std::string cimError, const std::string& detail);
    int httpStatus() const { return httpStatus_; }
    const std::string& cimError() const { return cimError_; }

private:
    int httpStatus_;
    std::string cimError_;
};

// One parameter value as it arrived.
struct WireValue
{
    enum class Kind
    {
        Null,         // no value element
        Value,        // VALUE (string), VALUE.ARRAY (string array), VALUE.REFERENCE, VALUE.REFARRAY
        ClassName,    // CLASSNAME
        InstanceName, // INSTANCENAME
        Instance,     // INSTANCE
        NamedInstance, // VALUE.NAMEDINSTANCE
        Unsupported,   // anything else (CLASS, QUALIFIER.DECLARATION, ...): see `element`
    };
    Kind kind = Kind::Null;
    OpenWBEM::CIMValue value{OpenWBEM::CIMNULL};
    std::string className;
    OpenWBEM::CIMObjectPath path{OpenWBEM::CIMNULL}; // InstanceName, NamedInstance
    OpenWBEM::CIMInstance instance{OpenWBEM::CIMNULL};
    std::string element;
};

struct WireParam
{
    std::string name;
    std::string paramType; // PARAMTYPE when the client sent one
    WireValue value;
};

struct CimCall
{
    std::string messageId;
    bool intrinsic = true;
    std::string method;    // as the client spelled it
    std::string nameSpace; // "root/cimv2", without leading or trailing slashes
    // Extrinsic calls: the class or instance the method is invoked on, namespace included.
    OpenWBEM::CIMObjectPath target{OpenWBEM::CIMNULL};
    std::vector<WireParam> params; // in the order sent
};

// Throws ProtocolError. The XML parser refuses document type declarations and so never
// expands an entity or reads anything external.
CimCall decodeRequest(const CimRequest& request);

// %XX escapes decoded; nothing when an escape is malformed.
std::optional<std::string> percentDecode(const std::string& text);

// Whether a CIMObject header value ("ns:Class.key=\"v\",...") names the same class or
// instance as `path`: namespace and class without regard to case, keys in any order.
bool objectHeaderMatches(const std::string& header, const OpenWBEM::CIMObjectPath& path);

} // namespace cimom
