// The MOF parser and the repository's class rules. Every text is either loaded or refused with
// a MofError naming the text and a line within it; a refused text leaves the repository as it
// was. Texts with include pragmas only meet the parser, so the fuzzer never reads files.
#include "fuzz_target.h"

#include "mof/parser.h"
#include "mof/qualifiers.h"
#include "repository.h"

#include "OW_CIMClass.hpp"

#include <string>

namespace
{

const char kTextName[] = "fuzz.mof";

class CountingSink : public cimom::MofSink
{
public:
    void include(const std::string&, int) override { ++includes; }
    void addClass(cimom::ParsedClass&&) override { ++classes; }

    int includes = 0;
    int classes = 0;
};

// A line past the last one of the text means the error points nowhere a user could look.
int lineCount(const std::string& text)
{
    int lines = 1;
    for (char c : text)
    {
        lines += c == '\n' ? 1 : 0;
    }
    return lines;
}

void checkError(const cimom::MofError& e, const std::string& text, size_t size)
{
    fuzz::check(e.file() == kTextName, "an error naming another file: " + e.file(), size);
    fuzz::check(e.line() >= 0 && e.line() <= lineCount(text),
                "an error on line " + std::to_string(e.line()) + " of a text of " +
                    std::to_string(lineCount(text)) + " lines",
                size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CountingSink sink;
    try
    {
        cimom::QualifierTypes qualifiers;
        cimom::parseMof(text, kTextName, qualifiers, sink);
    }
    catch (const cimom::MofError& e)
    {
        checkError(e, text, size);
        return 0;
    }
    if (sink.includes > 0)
    {
        return 0;
    }

    cimom::Repository repository;
    try
    {
        repository.loadMofText(text, kTextName);
    }
    catch (const cimom::MofError& e)
    {
        checkError(e, text, size);
        fuzz::check(repository.allClasses().empty(), "a refused text left classes behind", size);
        return 0;
    }
    fuzz::check(static_cast<int>(repository.allClasses().size()) == sink.classes,
                "the repository holds another number of classes than the text declares", size);
    for (const cimom::ClassDecl* cls : repository.allClasses())
    {
        fuzz::check(repository.find(cls->name) == cls, "a loaded class that cannot be found", size);
        cls->toCIMClass();
        if (!cls->superClass.empty())
        {
            fuzz::check(repository.isSubclassOf(cls->name, cls->superClass),
                        "a class that does not derive from its superclass", size);
        }
    }
    return 0;
}
