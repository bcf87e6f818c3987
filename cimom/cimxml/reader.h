// Reading the CIM-XML elements of a request (paths, values, instances) out of a parsed
// document, for request.cpp. Anything the DTD does not allow is refused with
// ProtocolError request-not-valid; values stay untyped text.
// Thread-safety: stateless functions; safe from every thread.
#pragma once

#include "cimxml/request.h"

#include "OW_config.h"
#include "OW_CIMObjectPath.hpp"

#include <pugixml.hpp>

#include <string>
#include <vector>

namespace cimom::xmlread
{

[[noreturn]] void invalid(const std::string& detail);
bool is(const pugi::xml_node& node, const char* name);
// The attribute's value; a missing attribute is invalid.
std::string attr(const pugi::xml_node& node, const char* name);
std::vector<pugi::xml_node> elements(const pugi::xml_node& parent);
pugi::xml_node onlyElement(const pugi::xml_node& parent, const char* name);
// "root/cimv2" from NAMESPACE elements.
std::string localNamespacePath(const pugi::xml_node& node);
// CLASSNAME, INSTANCENAME, (LOCAL)CLASSPATH or (LOCAL)INSTANCEPATH; `level` counts how deeply
// paths are nested in key bindings, up to kMaxReferenceNestingLevels.
OpenWBEM::CIMObjectPath classOrInstancePath(const pugi::xml_node& node, int level);
// The value of an IPARAMVALUE or PARAMVALUE.
WireValue wireValue(const pugi::xml_node& param);

} // namespace cimom::xmlread
