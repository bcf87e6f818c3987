// The qualifier part of the MOF grammar: qualifier lists with their flavours, qualifier
// declarations, and the constants and lists that initialise values.
#include "mof/parser_impl.h"

#include "OW_Bool.hpp"

#include <set>

namespace cimom
{
namespace mof
{

using OpenWBEM::CIMDataType;

void Parser::parseQualifierDeclaration()
{
    take(); // 'qualifier'
    const Token name = expectName("a qualifier name", "after 'qualifier'");
    const std::string context = "in the declaration of qualifier " + name.text;
    expectPunct(':', "after the qualifier name " + name.text);
    QualifierType declared;
    declared.name = name.text;
    declared.type = parseType(context);
    if (declared.type.type == CIMDataType::REFERENCE)
    {
        fail(name.line, "qualifier " + name.text + " cannot be a reference");
    }
    parseArraySuffix(declared.type);
    if (takePunct('='))
    {
        declared.defaultValue = mof::typedValue(parseInitializer(context), declared.type,
                                                "qualifier " + name.text, fileName_);
    }
    static const std::set<std::string> kScopes = {
        "schema",   "class",     "association", "indication", "qualifier",
        "property", "reference", "method",      "parameter",  "any"};
    bool sawScope = false;
    while (takePunct(','))
    {
        const Token section = expectName("'Scope' or 'Flavor'", context);
        expectPunct('(', "after '" + section.text + "' " + context);
        if (section.isKeyword("scope"))
        {
            sawScope = true;
            do
            {
                const Token scope = expectName("a scope (class, property, ...)", context);
                if (kScopes.count(mof::lowerAscii(scope.text)) == 0)
                {
                    fail(scope.line, "unknown scope '" + scope.text + "' " + context);
                }
            } while (takePunct(','));
        }
        else if (section.isKeyword("flavor"))
        {
            Flavours flavours;
            do
            {
                parseFlavour(flavours, context);
            } while (takePunct(','));
            declared.overridable = flavours.overridable;
            declared.toSubclass = flavours.toSubclass;
            declared.translatable = flavours.translatable;
        }
        else
        {
            fail(section.line,
                 "expected 'Scope' or 'Flavor' " + context + ", found '" + section.text + "'");
        }
        expectPunct(')', context);
    }
    if (!sawScope)
    {
        fail(name.line, "the declaration of qualifier " + name.text + " needs a Scope(...)");
    }
    expectPunct(';', "after the declaration of qualifier " + name.text);
    qualifiers_.declare(declared);
}

void Parser::parseFlavour(Flavours& flavours, const std::string& context)
{
    const Token flavour = expectName("a flavor", context);
    const std::string f = mof::lowerAscii(flavour.text);
    if (f == "enableoverride")
    {
        flavours.overridable = true;
    }
    else if (f == "disableoverride")
    {
        flavours.overridable = false;
    }
    else if (f == "restricted")
    {
        flavours.toSubclass = false;
    }
    else if (f == "tosubclass")
    {
        flavours.toSubclass = true;
    }
    else if (f == "translatable")
    {
        flavours.translatable = true;
    }
    else if (f != "toinstance")
    {
        fail(flavour.line, "unknown flavor '" + flavour.text + "' " + context);
    }
}

std::vector<QualifierDecl> Parser::parseQualifierList(const std::string& owner)
{
    take(); // '['
    std::vector<QualifierDecl> list;
    do
    {
        const int line = peek().line;
        QualifierDecl q = parseQualifier(owner);
        for (const QualifierDecl& earlier : list)
        {
            if (mof::equalsIgnoreCase(earlier.name, q.name))
            {
                fail(line, "qualifier " + q.name + " is given twice on " + owner);
            }
        }
        list.push_back(std::move(q));
    } while (takePunct(','));
    expectPunct(']', "at the end of the qualifier list of " + owner);
    return list;
}

QualifierDecl Parser::parseQualifier(const std::string& owner)
{
    const Token name = expectName("a qualifier name", "in the qualifier list of " + owner);
    const QualifierType* type = qualifiers_.find(name.text);
    if (!type)
    {
        fail(name.line, "unknown qualifier " + name.text + " on " + owner +
                            " (declare it with a 'qualifier' declaration first)");
    }
    QualifierDecl q;
    q.name = name.text;
    const std::string subject = "qualifier " + name.text + " of " + owner;
    if (peek().isPunct('(') || peek().isPunct('{'))
    {
        Initializer init;
        if (takePunct('('))
        {
            init = parseInitializer("in " + subject);
            expectPunct(')', "after the value of " + subject);
        }
        else
        {
            init = parseInitializer("in " + subject);
        }
        // A single value is accepted where a list is declared: ValueMap("1") is ValueMap{"1"}.
        if (type->type.isArray && !init.isArray &&
            init.elements.front().kind != Literal::Kind::Null)
        {
            init.isArray = true;
        }
        q.value = mof::typedValue(init, type->type, subject, fileName_);
    }
    else if (type->type.type == CIMDataType::BOOLEAN && !type->type.isArray)
    {
        q.value = OpenWBEM::CIMValue(OpenWBEM::Bool(true)); // [Key] means Key(true)
    }
    else
    {
        q.value = type->defaultValue;
    }
    Flavours flavours{type->overridable, type->toSubclass, type->translatable};
    if (takePunct(':'))
    {
        do
        {
            parseFlavour(flavours, "after " + subject);
        } while (peek().kind == Token::Kind::Identifier);
    }
    q.overridable = flavours.overridable;
    q.toSubclass = flavours.toSubclass;
    q.translatable = flavours.translatable;
    return q;
}

Initializer Parser::parseInitializer(const std::string& context)
{
    Initializer init;
    init.line = peek().line;
    if (takePunct('{'))
    {
        init.isArray = true;
        if (!takePunct('}'))
        {
            do
            {
                init.elements.push_back(parseConstant(context));
            } while (takePunct(','));
            expectPunct('}', "at the end of the list " + context);
        }
        return init;
    }
    init.elements.push_back(parseConstant(context));
    return init;
}

Literal Parser::parseConstant(const std::string& context)
{
    const Token& token = peek();
    if (token.kind == Token::Kind::Literal)
    {
        Literal lit = take().literal;
        // Adjacent strings form one: "abc" "def" is "abcdef".
        while (lit.kind == Literal::Kind::String && peek().kind == Token::Kind::Literal &&
               peek().literal.kind == Literal::Kind::String)
        {
            lit.text += take().literal.text;
        }
        return lit;
    }
    Literal lit;
    lit.line = token.line;
    if (token.isKeyword("true") || token.isKeyword("false"))
    {
        lit.kind = Literal::Kind::Boolean;
        lit.boolean = token.isKeyword("true");
    }
    else if (token.isKeyword("null"))
    {
        lit.kind = Literal::Kind::Null;
    }
    else if (token.kind == Token::Kind::Alias)
    {
        fail(token.line, "aliases ($" + token.text + ") are not supported");
    }
    else
    {
        failExpected("a value", context);
    }
    lit.text = take().text;
    return lit;
}

} // namespace mof
} // namespace cimom
