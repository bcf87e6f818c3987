// The MOF parser: reads one MOF text and hands what it declares, in order, to a sink. It knows
// the grammar and the types of values; inheritance, includes and the repository's rules about
// classes belong to the sink, so that the parser can be driven with any text on its own.
// Thread-safety: one parse per call; concurrent calls need their own QualifierTypes and sink.
#pragma once

#include "repository.h"

#include <string>
#include <vector>

namespace cimom
{

class QualifierTypes;

// One class as written: its own qualifiers, properties and methods only (classOrigin is the
// class itself), with the lines they were written on for later messages.
struct ParsedClass
{
    ClassDecl decl;
    int superClassLine = 0;
    std::vector<int> propertyLines; // parallel to decl.properties
    std::vector<int> methodLines;   // parallel to decl.methods
};

class MofSink
{
public:
    virtual ~MofSink() = default;
    // #pragma include("path"), path as written; `line` is where the pragma stands.
    virtual void include(const std::string& path, int line) = 0;
    virtual void addClass(ParsedClass&& parsed) = 0;
};

// Parses `text`, naming it `fileName` in errors (MofError with that name and a line). Qualifier
// declarations go into `qualifiers`, which also types the qualifiers the text uses. Instance
// declarations are refused: instances come from providers.
void parseMof(const std::string& text, const std::string& fileName, QualifierTypes& qualifiers,
              MofSink& sink);

} // namespace cimom
