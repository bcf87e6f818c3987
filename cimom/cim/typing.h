// Typing what clients send by the class definition: key values, instance properties and
// method parameters arrive as text (or loosely typed) and are cast to the types the class
// declares before any provider sees them. Failures are CIM errors naming the element.
// Thread-safety: stateless functions; safe from every thread.
#pragma once

#include "repository.h"

#include "OW_config.h"
#include "OW_CIMDataType.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMValue.hpp"
#include "OW_String.hpp"

#include <string>

namespace cimom
{

// Throws a CIMException whose message is the code's standard text and `detail`.
[[noreturn]] void throwCim(OpenWBEM::CIMException::ErrNoType code, const std::string& detail);

OpenWBEM::String owString(const std::string& text);

OpenWBEM::CIMDataType toDataType(const TypeDecl& type);

// The CIM-XML name of a type: "uint8" ... "datetime", "char16", "reference".
const char* cimTypeName(OpenWBEM::CIMDataType::Type type);

// The reason alone of a failed castToDeclared, as OpenWBEM's daemon tells it to the client
// ("Unable to convert "maybe" into bool", "Invalid format for date time"), without the
// conversion's own preamble or a status text around it.
std::string castFailure(const OpenWBEM::Exception& e);

// `value` as the declared type. Text loses surrounding white space before it becomes anything
// but a string. A null value stays null. Throws OpenWBEM::ValueCastException.
OpenWBEM::CIMValue castToDeclared(const OpenWBEM::CIMValue& value, const TypeDecl& type);

// The path with the class's spelling of class and key names and every key value cast to its
// declared type (keys the class does not declare are left alone). A single unnamed key takes
// the name of the class's only key. A failed cast is CIM_ERR_INVALID_PARAMETER.
OpenWBEM::CIMObjectPath castKeys(const OpenWBEM::CIMObjectPath& path, const ClassDecl& cls);

// The instance made to fit the class: only properties the class declares, in its order and
// spelling, each with its declared type, origin and Key qualifier, values cast to the type
// (CIM_ERR_INVALID_PARAMETER when that fails). With `addDefaults`, declared properties the
// instance lacks are added with their default values.
OpenWBEM::CIMInstance fitInstance(const OpenWBEM::CIMInstance& instance, const ClassDecl& cls,
                                  bool addDefaults);

// The path of an instance a provider made: its key properties, or where it marks none, the
// properties the class declares as keys.
OpenWBEM::CIMObjectPath instancePath(const std::string& nameSpace,
                                     const OpenWBEM::CIMInstance& instance, const ClassDecl* cls);

} // namespace cimom
