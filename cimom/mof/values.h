// Gives MOF constants their CIM types: a default value or qualifier value is written as an
// untyped literal (or a brace list of them) and only the element it initialises says whether
// 7 is a uint8 or a real64, and whether a string is text, a datetime or an object path.
// Thread-safety: stateless functions.
#pragma once

#include "mof/lexer.h"
#include "repository.h"

#include <string>
#include <vector>

namespace cimom
{
namespace mof
{

// An initializer as written: one literal, or a list in braces.
struct Initializer
{
    bool isArray = false; // written as { ... }
    std::vector<Literal> elements;
    int line = 0;
};

// The initializer as a value of `type`. `subject` names the element in messages ("property
// Size"). A literal that does not fit the type throws MofError naming `file` and its line.
OpenWBEM::CIMValue typedValue(const Initializer& init, const TypeDecl& type,
                              const std::string& subject, const std::string& file);

// The CIM type a MOF type name (uint8 ... datetime, any case) stands for; INVALID otherwise.
OpenWBEM::CIMDataType::Type typeFromName(const std::string& name);

// The type as MOF writes it, for messages: "uint16", "string[]", "CIM_X REF".
std::string describeType(const TypeDecl& type);

} // namespace mof
} // namespace cimom
