// The MOF grammar as the repository reads it: literals and their typing, qualifiers and their
// flavours, methods, pragmas, and the file-and-line messages of malformed text.
#include "mof/parser.h"
#include "mof/qualifiers.h"
#include "repository.h"

#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMDateTime.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_Char16.hpp"
#include "OW_String.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace cimom;
using OpenWBEM::CIMDataType;

namespace
{

// The message of the MofError that loading `text` (named "t.mof") throws, or "" when none.
std::string loadError(const std::string& text)
{
    Repository repo;
    try
    {
        repo.loadMofText(text, "t.mof");
    }
    catch (const MofError& e)
    {
        return e.what();
    }
    return "";
}

const ClassDecl& loadOne(Repository& repo, const std::string& text)
{
    repo.loadMofText(text, "t.mof");
    return *repo.allClasses().back();
}

std::string valueText(const PropertyDecl* p)
{
    return p && p->defaultValue ? p->defaultValue.toString().c_str() : "<none>";
}

} // namespace

TEST(MofLiterals, DefaultValuesTakeTheTypeOfTheirProperty)
{
    Repository repo;
    const ClassDecl& c = loadOne(repo, R"(
        class T_Values {
            uint8 Hex = 0xFF;              uint8 Bin = 101b;      uint16 Oct = 017;
            sint8 Low = -128;              sint64 Min = -9223372036854775808;
            uint64 Max = 18446744073709551615;
            real32 R32 = 1.5;              real64 R64 = -.25e2;   real64 FromInt = 3;
            string S = "a\tb\"c\\" " d\x41\x00e9";
            char16 C = 'x';                char16 Esc = '\n';
            boolean F = false;             boolean T = TRUE;      string N = null;
            datetime When = "20240102030405.000006+060";
            datetime Span = "00000001020304.000000:000";
            uint16 List[] = {1, 2, 0x3};   string Fixed[4] = {"a", "b"};
            string NoDefault;
        };)");
    EXPECT_EQ(CIMDataType::UINT8, c.property("Hex")->defaultValue.getType());
    EXPECT_EQ("255", valueText(c.property("hex")));
    EXPECT_EQ("5", valueText(c.property("Bin")));
    EXPECT_EQ("15", valueText(c.property("Oct")));
    EXPECT_EQ(CIMDataType::UINT16, c.property("Oct")->defaultValue.getType());
    EXPECT_EQ("-128", valueText(c.property("Low")));
    EXPECT_EQ("-9223372036854775808", valueText(c.property("Min")));
    EXPECT_EQ("18446744073709551615", valueText(c.property("Max")));
    EXPECT_EQ(CIMDataType::REAL32, c.property("R32")->defaultValue.getType());
    EXPECT_EQ("-25", valueText(c.property("R64")));
    EXPECT_EQ(CIMDataType::REAL64, c.property("FromInt")->defaultValue.getType());
    EXPECT_EQ("a\tb\"c\\ dA\xC3\xA9", valueText(c.property("S")));
    EXPECT_EQ(OpenWBEM::Char16('x'), c.property("C")->defaultValue.toChar16());
    EXPECT_EQ(OpenWBEM::Char16('\n'), c.property("Esc")->defaultValue.toChar16());
    EXPECT_FALSE(bool(c.property("F")->defaultValue.toBool()));
    EXPECT_TRUE(bool(c.property("T")->defaultValue.toBool()));
    EXPECT_FALSE(c.property("N")->defaultValue);
    EXPECT_EQ(CIMDataType::STRING, c.property("N")->type.type);
    const OpenWBEM::CIMDateTime when = c.property("When")->defaultValue.toCIMDateTime();
    EXPECT_EQ(2024, when.getYear());
    EXPECT_EQ(60, when.getUtc());
    EXPECT_TRUE(c.property("Span")->defaultValue.toCIMDateTime().isInterval());
    EXPECT_TRUE(c.property("List")->type.isArray);
    EXPECT_EQ(0, c.property("List")->type.arraySize);
    EXPECT_EQ("1,2,3", valueText(c.property("List")));
    EXPECT_EQ(4, c.property("Fixed")->type.arraySize);
    EXPECT_EQ(2u, c.property("Fixed")->defaultValue.getArraySize());
    EXPECT_FALSE(c.property("NoDefault")->defaultValue);
}

TEST(MofLiterals, ValuesThatDoNotFitAreRefusedWithTheirLine)
{
    const struct
    {
        const char* property;
        const char* message;
    } cases[] = {
        {"uint8 P = 256;", "t.mof:3: the number 256 is out of range for uint8 property P"},
        {"sint8 P = -129;", "t.mof:3: the number -129 is out of range"},
        {"uint32 P = -1;", "t.mof:3: the number -1 is out of range for uint32"},
        {"uint64 P = 18446744073709551616;", "t.mof:3: the number 18446744073709551616 is out"},
        {"sint64 P = 9223372036854775808;", "t.mof:3: the number 9223372036854775808 is out"},
        {"real32 P = 1.0e39;", "t.mof:3: the number 1.0e39 is out of range for real32"},
        {"uint16 P = 1.5;", "t.mof:3: cannot use the number 1.5 as a uint16 value of property P"},
        {"string P = 5;", "t.mof:3: cannot use the number 5 as a string value"},
        {"boolean P = \"true\";", "t.mof:3: cannot use the string \"true\" as a boolean"},
        {"uint8 P = true;", "t.mof:3: cannot use true as a uint8 value"},
        {"datetime P = \"2024-01-02\";", "t.mof:3: expected a datetime"},
        {"datetime P = \"20241302030405.000000+000\";", "t.mof:3: expected a datetime"},
        {"uint8 P = {1};", "t.mof:3: property P is not an array, but its value is a list"},
        {"uint8 P[] = 1;", "t.mof:3: property P is an array: write its value as { ... }"},
        {"uint8 P[2] = {1, 2, 3};", "t.mof:3: property P holds at most 2 elements"},
        {"string P[] = {\"a\", null};", "t.mof:3: null cannot be an element of the array"},
        {"uint8 P[0];", "t.mof:3: an array size must be a positive number"},
        {"uint8 P = 09;", "t.mof:3: the octal number 09 holds a digit above 7"},
        {"uint8 P = 12abc;", "t.mof:3: malformed number"},
        {"string P = \"a\\qb\";", "t.mof:3: unknown escape sequence '\\q'"},
        {"string P = \"a\\x0b\\x00\";", "t.mof:3: a string cannot hold the NUL character"},
        {"string P = \"a\xC3\";", "t.mof:3: string holds malformed UTF-8"},
        {"string P = \"open\n;", "t.mof:3: string is not closed"},
        {"string P = $alias;", "t.mof:3: aliases ($alias) are not supported"},
    };
    for (const auto& c : cases)
    {
        const std::string text = std::string("class T_C\n{\n    ") + c.property + "\n};\n";
        const std::string error = loadError(text);
        EXPECT_EQ(0u, error.find(c.message)) << c.property << "\n  gave: " << error;
    }
}

TEST(MofSyntax, MalformedTextIsReportedWithFileAndLine)
{
    const struct
    {
        const char* text;
        const char* message;
    } cases[] = {
        {"class T_A {\n string Name\n};", "t.mof:2: expected ';' after property Name, found '}'"},
        {"class T_A {\n string Run()\n};", "t.mof:2: expected ';' after method Run"},
        {"class T_A {\n string Name;\n}", "t.mof:3: expected ';' after the closing '}' of class"},
        {"class T_A {\n string Name;\n", "t.mof:2: expected '}' at the end of class T_A, found "
                                         "end of file"},
        {"class T_A {\n strng Name;\n};", "t.mof:2: unknown data type 'strng' in class T_A"},
        {"class T_A {\n [Kye] string Name;\n};", "t.mof:2: unknown qualifier Kye"},
        {"class T_A {\n [Key, key] string Name;\n};", "t.mof:2: qualifier key is given twice"},
        {"class T_A {\n string A;\n uint8 a;\n};", "t.mof:3: property a is declared twice"},
        {"class T_A {\n string M();\n\n uint8 m();\n};", "t.mof:4: method m is declared twice"},
        {"class T_A {\n string M(string a,\n string A);\n};", "t.mof:3: parameter A is "
                                                              "declared twice"},
        {"class T_A {\n string M(string a = \"x\");\n};", "t.mof:2: parameter a of method M "
                                                          "cannot have a default value"},
        {"[Association]\nclass T_A {\n T_A REF R[];\n};", "t.mof:3: reference property R "
                                                          "cannot be an array"},
        {"\n\ninstance of T_A { Name = \"x\"; };", "t.mof:3: instance declarations are not "
                                                   "supported"},
        {"/* open\n\n comment", "t.mof:1: comment is not closed with '*/'"},
        {"class T_A {\n string Name; @\n};", "t.mof:2: unexpected character '@'"},
        {"\nstring Name;", "t.mof:2: expected 'class', 'qualifier' or '#pragma' at the start"},
        {"#pragma include(5)", "t.mof:1: '#pragma include' needs a file name"},
        {"#pragma locale(\"en_US\"\n", "t.mof:1: '#pragma locale' is not closed with ')'"},
        {"# include(\"x\")", "t.mof:1: expected 'pragma' after '#'"},
        {"class T_A {\n [Description(5)] string N;\n};", "t.mof:2: cannot use the number 5 as "
                                                         "a string value of qualifier "
                                                         "Description"},
        {"class T_A {\n [Key : Sideways] string N;\n};", "t.mof:2: unknown flavor 'Sideways'"},
        {"Qualifier Q : string;", "t.mof:1: the declaration of qualifier Q needs a Scope"},
        {"Qualifier Q : string, Scope(galaxy);", "t.mof:1: unknown scope 'galaxy'"},
        {"Qualifier Q : uint8 = 300, Scope(any);",
         "t.mof:1: the number 300 is out of range for uint8 qualifier Q"},
        {"\xFF\xFE"
         "c\0l",
         "t.mof:1: UTF-16 text is not supported"},
    };
    for (const auto& c : cases)
    {
        const std::string error = loadError(c.text);
        EXPECT_EQ(0u, error.find(c.message)) << c.text << "\n  gave: " << error;
    }
}

TEST(MofSyntax, CommentsPragmasAndQualifierDeclarations)
{
    Repository repo;
    const ClassDecl& c = loadOne(repo, R"(
        // line comment
        #pragma locale ("en_US")
        #pragma namespace ("root/cimv2")
        /* a block
           comment */
        Qualifier Colour : string = "blue", Scope(property, class), Flavor(DisableOverride,
            Restricted, Translatable);
        Qualifier Weight : uint16[] , Scope(any);
        qualifier Flag : boolean = false, scope(property);
        [Colour] class /* inline */ T_Declared
        {
            [Colour("red"), Weight(7), Flag] string P; // trailing
            [Weight{1, 2}, Flag(false)] string Q;
        };)");
    const QualifierDecl* colour = c.qualifier("colour");
    ASSERT_TRUE(colour);
    EXPECT_EQ("blue", std::string(colour->value.toString().c_str())); // the declared default
    EXPECT_FALSE(colour->overridable);
    EXPECT_FALSE(colour->toSubclass);
    EXPECT_TRUE(colour->translatable);
    const PropertyDecl* p = c.property("P");
    EXPECT_EQ("red", std::string(p->qualifier("Colour")->value.toString().c_str()));
    EXPECT_EQ(CIMDataType::UINT16, p->qualifier("Weight")->value.getType());
    EXPECT_TRUE(p->qualifier("Weight")->value.isArray()); // one value for a declared list
    EXPECT_TRUE(bool(p->qualifier("Flag")->value.toBool()));
    EXPECT_EQ(2u, c.property("Q")->qualifier("Weight")->value.getArraySize());
    EXPECT_FALSE(bool(c.property("Q")->qualifier("Flag")->value.toBool()));
}

TEST(MofSyntax, StandardQualifiersCarryTheirFlavours)
{
    Repository repo;
    const ClassDecl& c = loadOne(repo, R"(
        [Abstract, Description("d"), Provider("c++::P")]
        class T_F
        {
            [Key, Values{"a"}, ValueMap{"1"}] string K;
            [Description("x") : DisableOverride Restricted] string D;
            [Static] string S([IN] string I, [IN(false), OUT] uint32 O);
        };)");
    EXPECT_FALSE(c.qualifier("Abstract")->toSubclass);
    EXPECT_TRUE(c.qualifier("Description")->translatable);
    EXPECT_TRUE(c.qualifier("Description")->overridable);
    EXPECT_FALSE(c.qualifier("Provider")->translatable);
    const PropertyDecl* k = c.property("K");
    EXPECT_FALSE(k->qualifier("Key")->overridable);
    EXPECT_EQ(CIMDataType::BOOLEAN, k->qualifier("Key")->value.getType());
    EXPECT_TRUE(k->qualifier("Values")->translatable);
    EXPECT_FALSE(k->qualifier("ValueMap")->translatable);
    EXPECT_TRUE(k->qualifier("ValueMap")->value.isArray());
    const QualifierDecl* d = c.property("D")->qualifier("Description");
    EXPECT_FALSE(d->overridable);
    EXPECT_FALSE(d->toSubclass);
    EXPECT_TRUE(d->translatable);
    const MethodDecl* s = c.method("S");
    EXPECT_FALSE(s->qualifier("Static")->overridable);
    EXPECT_FALSE(s->parameter("I")->qualifier("IN")->overridable);
    EXPECT_FALSE(s->parameter("O")->qualifier("OUT")->overridable);
}

TEST(MofSyntax, MethodsKeepParametersInOrderWithTheirDirections)
{
    Repository repo;
    repo.loadMofText("class T_Target { [Key] string Id; };", "a.mof");
    const ClassDecl& c = loadOne(repo, R"(
        class T_M
        {
            string SayHello([IN] string Name, [IN(false), OUT] uint32 Length);
            sint8 Poll([OUT, IN(false)] string Status);
            boolean Many(uint8 Bytes[], [IN, OUT, Required] string Fixed[3],
                         T_Target REF Target, [IN] T_Target REF Targets[]);
            T_Target REF Find();
            uint32 NoArgs();
        };)");
    ASSERT_EQ(5u, c.methods.size());
    const MethodDecl* hello = c.method("sayhello");
    EXPECT_EQ("SayHello", hello->name);
    EXPECT_EQ(CIMDataType::STRING, hello->returnType.type);
    EXPECT_EQ("T_M", hello->classOrigin);
    ASSERT_EQ(2u, hello->parameters.size());
    EXPECT_EQ("Name", hello->parameters[0].name);
    EXPECT_TRUE(hello->parameters[0].isIn());
    EXPECT_FALSE(hello->parameters[0].isOut());
    EXPECT_EQ("Length", hello->parameters[1].name);
    EXPECT_FALSE(hello->parameters[1].isIn());
    EXPECT_TRUE(hello->parameters[1].isOut());
    EXPECT_EQ(CIMDataType::UINT32, hello->parameters[1].type.type);
    EXPECT_EQ(CIMDataType::SINT8, c.method("Poll")->returnType.type);

    const MethodDecl* many = c.method("Many");
    const ParameterDecl& bytes = many->parameters[0];
    EXPECT_TRUE(bytes.isIn()); // no IN qualifier at all
    EXPECT_FALSE(bytes.isOut());
    EXPECT_FALSE(bytes.isRequired());
    EXPECT_TRUE(bytes.type.isArray);
    const ParameterDecl& fixed = many->parameters[1];
    EXPECT_TRUE(fixed.isIn() && fixed.isOut() && fixed.isRequired());
    EXPECT_EQ(3, fixed.type.arraySize);
    EXPECT_EQ(CIMDataType::REFERENCE, many->parameters[2].type.type);
    EXPECT_EQ("T_Target", many->parameters[2].type.referenceClass);
    EXPECT_TRUE(many->parameters[3].type.isArray);
    EXPECT_EQ(CIMDataType::REFERENCE, c.method("Find")->returnType.type);
    EXPECT_TRUE(c.method("NoArgs")->parameters.empty());
    EXPECT_FALSE(c.method("Missing"));
    EXPECT_FALSE(hello->parameter("Nobody"));
}

namespace
{

// Records what the parser hands over, without any repository behind it.
class RecordingSink : public MofSink
{
public:
    void include(const std::string& path, int line) override
    {
        includes.push_back(path + "@" + std::to_string(line));
    }
    void addClass(ParsedClass&& parsed) override { classes.push_back(std::move(parsed)); }

    std::vector<std::string> includes;
    std::vector<ParsedClass> classes;
};

} // namespace

TEST(MofParser, HandsIncludesAndOwnFeaturesToItsSinkInOrder)
{
    QualifierTypes qualifiers;
    RecordingSink sink;
    parseMof("#pragma include (\"a\" \"/b.mof\")\n"
             "class T_Sub : T_Unknown\n"
             "{\n"
             "  string P;\n"
             "\n"
             "  [Description(\"m\")] uint8 M();\n"
             "};\n"
             "#pragma INCLUDE(\"c.mof\")\n",
             "x.mof", qualifiers, sink);
    EXPECT_EQ((std::vector<std::string>{"a/b.mof@1", "c.mof@8"}), sink.includes);
    ASSERT_EQ(1u, sink.classes.size());
    const ParsedClass& parsed = sink.classes[0];
    EXPECT_EQ("T_Unknown", parsed.decl.superClass); // checked by the repository, not here
    EXPECT_EQ(2, parsed.superClassLine);
    EXPECT_EQ(2, parsed.decl.sourceLine);
    EXPECT_EQ("x.mof", parsed.decl.sourceFile);
    EXPECT_EQ(std::vector<int>{4}, parsed.propertyLines);
    EXPECT_EQ(std::vector<int>{6}, parsed.methodLines);

    // A parse that fails part-way has already handed over what came before.
    RecordingSink partial;
    EXPECT_THROW(parseMof("class T_A { };\nclass T_B {", "y.mof", qualifiers, partial), MofError);
    EXPECT_EQ(1u, partial.classes.size());
}
