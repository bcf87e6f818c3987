// Recursive-descent parser for MOF: the top level, pragmas, and class declarations with their
// properties, references and methods (qualifiers are in qualifier_syntax.cpp). The grammar
// needs one token of lookahead and nests no deeper than a class's method parameters,
// so any input, however hostile, is read in one bounded pass without deep recursion.
#include "mof/parser_impl.h"

namespace cimom
{
namespace mof
{

using OpenWBEM::CIMDataType;

namespace
{

// Upper bound of a fixed array size: far beyond any real schema, and well inside int.
constexpr std::uint64_t kMaxFixedArraySize = 1u << 20;

} // namespace

const Token& Parser::peek(std::size_t ahead)
{
    while (ahead_.size() <= ahead)
    {
        ahead_.push_back(lexer_.next());
    }
    return ahead_[ahead];
}

Token Parser::take()
{
    peek();
    Token token = std::move(ahead_.front());
    ahead_.pop_front();
    lastLine_ = token.line;
    return token;
}

bool Parser::takePunct(char c)
{
    if (peek().isPunct(c))
    {
        take();
        return true;
    }
    return false;
}

void Parser::fail(int line, const std::string& message) const
{
    throw MofError(fileName_, line, message);
}

void Parser::failExpected(const std::string& what, const std::string& context)
{
    const Token& found = peek();
    fail(found.line, "expected " + what + " " + context + ", found " + found.describe());
}

void Parser::expectPunct(char c, const std::string& context)
{
    if (!takePunct(c))
    {
        // A missing ';' or '}' belongs to the line of what precedes it, not to the line where
        // the next declaration happens to start.
        const Token& found = peek();
        fail(lastLine_ > 0 ? lastLine_ : found.line,
             std::string("expected '") + c + "' " + context + ", found " + found.describe());
    }
}

Token Parser::expectName(const std::string& what, const std::string& context)
{
    if (peek().kind != Token::Kind::Identifier)
    {
        failExpected(what, context);
    }
    return take();
}

void Parser::run()
{
    while (peek().kind != Token::Kind::End)
    {
        if (peek().isPunct('#'))
        {
            parsePragma();
            continue;
        }
        if (peek().isKeyword("qualifier"))
        {
            parseQualifierDeclaration();
            continue;
        }
        std::vector<QualifierDecl> qualifiers;
        if (peek().isPunct('['))
        {
            qualifiers = parseQualifierList("the class");
        }
        if (peek().isKeyword("class"))
        {
            parseClass(std::move(qualifiers));
        }
        else if (peek().isKeyword("instance"))
        {
            fail(peek().line, "instance declarations are not supported: instances come from "
                              "providers");
        }
        else
        {
            failExpected("'class', 'qualifier' or '#pragma'", "at the start of a declaration");
        }
    }
}

void Parser::parsePragma()
{
    const int line = take().line; // '#'
    if (!peek().isKeyword("pragma"))
    {
        failExpected("'pragma'", "after '#'");
    }
    take();
    const Token name = expectName("a pragma name", "after '#pragma'");
    expectPunct('(', "after '#pragma " + name.text + "'");
    if (mof::equalsIgnoreCase(name.text, "include"))
    {
        const Literal path = parseConstant("in '#pragma include'");
        if (path.kind != Literal::Kind::String || path.text.empty())
        {
            fail(path.line, "'#pragma include' needs a file name in double quotes");
        }
        expectPunct(')', "after the file name of '#pragma include'");
        sink_.include(path.text, line);
        return;
    }
    // Other pragmas (locale, namespace, ...) say nothing this repository needs.
    while (!peek().isPunct(')'))
    {
        if (peek().kind == Token::Kind::End)
        {
            fail(line, "'#pragma " + name.text + "' is not closed with ')'");
        }
        take();
    }
    take();
}

TypeDecl Parser::parseType(const std::string& context)
{
    const Token name = expectName("a data type", context);
    TypeDecl type;
    type.type = mof::typeFromName(name.text);
    if (type.type != CIMDataType::INVALID)
    {
        return type;
    }
    if (peek().isKeyword("ref"))
    {
        take();
        type.type = CIMDataType::REFERENCE;
        type.referenceClass = name.text;
        return type;
    }
    fail(name.line, "unknown data type '" + name.text + "' " + context);
}

void Parser::parseArraySuffix(TypeDecl& type)
{
    if (!takePunct('['))
    {
        return;
    }
    type.isArray = true;
    if (peek().kind == Token::Kind::Literal)
    {
        const Literal size = take().literal;
        if (size.kind != Literal::Kind::Integer || size.negative || size.tooLarge ||
            size.magnitude == 0 || size.magnitude > kMaxFixedArraySize)
        {
            fail(size.line, "an array size must be a positive number up to " +
                                std::to_string(kMaxFixedArraySize) + ", not " + size.text);
        }
        type.arraySize = static_cast<int>(size.magnitude);
    }
    expectPunct(']', "at the end of an array size");
}

void Parser::parseClass(std::vector<QualifierDecl> qualifiers)
{
    const int line = take().line; // 'class'
    const Token name = expectName("a class name", "after 'class'");
    ParsedClass parsed;
    ClassDecl& decl = parsed.decl;
    decl.name = name.text;
    decl.qualifiers = std::move(qualifiers);
    decl.sourceFile = fileName_;
    decl.sourceLine = line;
    if (peek().isKeyword("as"))
    {
        take();
        if (peek().kind != Token::Kind::Alias)
        {
            failExpected("an alias ($name)", "after 'as'");
        }
        take(); // aliases name classes for instance declarations, which are not supported
    }
    if (takePunct(':'))
    {
        parsed.superClassLine = peek().line;
        decl.superClass = expectName("a superclass name", "after ':'").text;
    }
    expectPunct('{', "after the name of class " + decl.name);
    while (!takePunct('}'))
    {
        if (peek().kind == Token::Kind::End)
        {
            expectPunct('}', "at the end of class " + decl.name);
        }
        parseFeature(parsed);
    }
    expectPunct(';', "after the closing '}' of class " + decl.name);
    sink_.addClass(std::move(parsed));
}

void Parser::parseFeature(ParsedClass& parsed)
{
    ClassDecl& decl = parsed.decl;
    const int line = peek().line;
    std::vector<QualifierDecl> qualifiers;
    if (peek().isPunct('['))
    {
        qualifiers = parseQualifierList("a feature of class " + decl.name);
    }
    const std::string context = "in class " + decl.name;
    TypeDecl type = parseType(context);
    const Token name = expectName("a property or method name", context);

    if (peek().isPunct('('))
    {
        MethodDecl method;
        method.name = name.text;
        method.returnType = type;
        method.qualifiers = std::move(qualifiers);
        method.classOrigin = decl.name;
        parseMethod(parsed, std::move(method), line);
        return;
    }

    PropertyDecl property;
    property.name = name.text;
    property.qualifiers = std::move(qualifiers);
    property.classOrigin = decl.name;
    parseArraySuffix(type);
    if (type.type == CIMDataType::REFERENCE && type.isArray)
    {
        fail(name.line, "reference property " + name.text + " cannot be an array");
    }
    property.type = type;
    if (takePunct('='))
    {
        property.defaultValue =
            mof::typedValue(parseInitializer("in the default value of property " + name.text), type,
                            "property " + name.text, fileName_);
    }
    expectPunct(';', "after property " + name.text);
    if (decl.property(name.text))
    {
        fail(name.line, "property " + name.text + " is declared twice in class " + decl.name);
    }
    decl.properties.push_back(std::move(property));
    parsed.propertyLines.push_back(line);
}

void Parser::parseMethod(ParsedClass& parsed, MethodDecl method, int line)
{
    ClassDecl& decl = parsed.decl;
    take(); // '('
    if (!takePunct(')'))
    {
        do
        {
            const int paramLine = peek().line;
            ParameterDecl param = parseParameter(method.name);
            if (method.parameter(param.name))
            {
                fail(paramLine,
                     "parameter " + param.name + " is declared twice in method " + method.name);
            }
            method.parameters.push_back(std::move(param));
        } while (takePunct(','));
        expectPunct(')', "after the parameters of method " + method.name);
    }
    expectPunct(';', "after method " + method.name);
    if (decl.method(method.name))
    {
        fail(line, "method " + method.name + " is declared twice in class " + decl.name);
    }
    decl.methods.push_back(std::move(method));
    parsed.methodLines.push_back(line);
}

ParameterDecl Parser::parseParameter(const std::string& methodName)
{
    ParameterDecl param;
    const std::string owner = "a parameter of method " + methodName;
    if (peek().isPunct('['))
    {
        param.qualifiers = parseQualifierList(owner);
    }
    param.type = parseType("in " + owner);
    param.name = expectName("a parameter name", "in method " + methodName).text;
    parseArraySuffix(param.type);
    if (peek().isPunct('='))
    {
        fail(peek().line, "parameter " + param.name + " of method " + methodName +
                              " cannot have a default value");
    }
    return param;
}

} // namespace mof

void parseMof(const std::string& text, const std::string& fileName, QualifierTypes& qualifiers,
              MofSink& sink)
{
    mof::Parser(text, fileName, qualifiers, sink).run();
}

} // namespace cimom
