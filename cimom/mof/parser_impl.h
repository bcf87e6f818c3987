// The MOF parser's internal class, shared by its two source files: the grammar of classes and
// pragmas (parser.cpp) and that of qualifiers and values (qualifier_syntax.cpp).
// Thread-safety: one Parser per parse.
#pragma once

#include "mof/lexer.h"
#include "mof/parser.h"
#include "mof/qualifiers.h"
#include "mof/values.h"

#include <deque>
#include <string>
#include <vector>

namespace cimom
{
namespace mof
{

struct Flavours
{
    bool overridable = true;
    bool toSubclass = true;
    bool translatable = false;
};

class Parser
{
public:
    Parser(const std::string& text, const std::string& fileName, QualifierTypes& qualifiers,
           MofSink& sink)
        : lexer_(text, fileName), fileName_(fileName), qualifiers_(qualifiers), sink_(sink)
    {
    }

    void run();

private:
    const Token& peek(std::size_t ahead = 0);
    Token take();
    bool takePunct(char c);
    [[noreturn]] void fail(int line, const std::string& message) const;
    [[noreturn]] void failExpected(const std::string& what, const std::string& context);
    void expectPunct(char c, const std::string& context);
    Token expectName(const std::string& what, const std::string& context);

    void parsePragma();
    void parseQualifierDeclaration();
    void parseClass(std::vector<QualifierDecl> qualifiers);
    void parseFeature(ParsedClass& parsed);
    void parseMethod(ParsedClass& parsed, MethodDecl method, int line);
    ParameterDecl parseParameter(const std::string& methodName);
    TypeDecl parseType(const std::string& context);
    void parseArraySuffix(TypeDecl& type);

    std::vector<QualifierDecl> parseQualifierList(const std::string& owner);
    QualifierDecl parseQualifier(const std::string& owner);
    void parseFlavour(Flavours& flavours, const std::string& context);
    Initializer parseInitializer(const std::string& context);
    Literal parseConstant(const std::string& context);

    mof::Lexer lexer_;
    const std::string& fileName_;
    QualifierTypes& qualifiers_;
    MofSink& sink_;
    std::deque<Token> ahead_;
    int lastLine_ = 0; // line of the token taken last
};

} // namespace mof
} // namespace cimom
