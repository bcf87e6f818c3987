// Encoding of CIM operation responses in CIM-XML, in the exact forms the reference CIMOM
// writes (prolog, attribute spacing, error layout), so clients written against it see the
// same bytes. Values are written by their CIM type; object paths as the protocol asks for
// them in each place; all text is escaped so that any provider data yields valid XML.
// Thread-safety: a writer belongs to one response; the free functions are stateless.
#pragma once

#include "repository.h"

#include "OW_config.h"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMValue.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cimom
{

inline constexpr const char* kCimXmlContentType = "application/xml; charset=\"utf-8\"";

// Character data for element content or (with `attribute`) a double-quoted attribute. Markup
// characters and quotes become entities, carriage returns, line feeds and tabs become character
// references (in text as in attributes, as OpenWBEM's daemon writes them), and bytes that XML
// 1.0 cannot carry (control characters, invalid UTF-8) become U+FFFD.
std::string xmlEscape(std::string_view text, bool attribute = false);

// Appends xmlEscape(text, attribute) to `out`; text that needs no escaping (the common case) is
// copied straight across without a temporary.
void appendXmlEscaped(std::string& out, std::string_view text, bool attribute = false);

// What of a class GetClass/EnumerateClasses asked for.
struct ClassView
{
    bool localOnly = false;
    bool includeQualifiers = true;
    bool includeClassOrigin = true;
    std::optional<std::vector<std::string>> propertyList; // none: all properties
};

class CimXmlWriter
{
public:
    // `repository` fills in what provider-made instances leave out (property types and
    // origins); `host` names this server in full instance paths.
    CimXmlWriter(std::string& out, const Repository* repository, std::string host);

    // VALUE, VALUE.ARRAY, VALUE.REFERENCE or VALUE.REFARRAY; nothing for a null value.
    void value(const OpenWBEM::CIMValue& value);
    void instanceName(const OpenWBEM::CIMObjectPath& path);
    // INSTANCEPATH or CLASSPATH, with this server as host where the path names none.
    void fullPath(const OpenWBEM::CIMObjectPath& path, const std::string& nameSpace);
    void instance(const OpenWBEM::CIMInstance& instance);
    void classDecl(const ClassDecl& cls, const ClassView& view);
    // A method parameter value (PARAMVALUE NAME PARAMTYPE); `declared` types a null value.
    void paramValue(const std::string& name, const OpenWBEM::CIMValue& value,
                    const TypeDecl* declared);

private:
    void text(std::string_view s) { appendXmlEscaped(out_, s); }
    void attr(std::string_view s) { appendXmlEscaped(out_, s, true); }
    void scalarText(const OpenWBEM::CIMValue& scalar);
    void keyBinding(const OpenWBEM::CIMProperty& key);
    void localNamespace(const std::string& nameSpace);
    // The form a reference value takes: with host, with namespace, or bare.
    void referencePath(const OpenWBEM::CIMObjectPath& path);
    void qualifiers(const std::vector<QualifierDecl>& qualifiers, const ClassView& view);
    void parameter(const ParameterDecl& param, const ClassView& view);

    std::string& out_;
    const Repository* repository_;
    std::string host_;
};

// A whole response document. `body` is what goes inside IRETURNVALUE (none: no IRETURNVALUE,
// for operations that return nothing) or inside METHODRESPONSE.
std::string intrinsicResponse(const std::string& messageId, const std::string& method,
                              const std::optional<std::string>& body);
// The same document, built inside the body's own buffer when its spare capacity holds the
// envelope, so a body of many megabytes is neither copied nor doubled in memory.
std::string intrinsicResponse(const std::string& messageId, const std::string& method,
                              std::optional<std::string>&& body);
std::string extrinsicResponse(const std::string& messageId, const std::string& method,
                              const std::string& body);
std::string errorResponse(const std::string& messageId, const std::string& method, bool intrinsic,
                          int code, const std::string& description);

} // namespace cimom
