// String, and the small value types whose job is producing text: Bool, Char16, Format.
#include "OW_config.h"
#include "OW_String.hpp"
#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_Char16.hpp"
#include "OW_Format.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <type_traits>

using namespace OpenWBEM;

namespace
{

// The tokens joined as [a][b], so one EXPECT shows the whole split.
std::string joined(const StringArray& tokens)
{
    std::string out;
    for (size_t i = 0; i < tokens.size(); ++i)
    {
        out += "[" + std::string(tokens[i].c_str()) + "]";
    }
    return out;
}

template <typename F> std::string conversionFailure(F f)
{
    try
    {
        f();
    }
    catch (const StringConversionException& e)
    {
        return e.getMessage();
    }
    return "no exception";
}

} // end unnamed namespace

// Provider code must not compile against us where it would not against OpenWBEM's headers.
static_assert(std::is_convertible<const char*, String>::value, "const char* is implicit");
static_assert(!std::is_convertible<int, String>::value, "numbers need an explicit ctor");
static_assert(!std::is_convertible<String, const char*>::value, "no conversion back");
static_assert(!std::is_convertible<Bool, String>::value, "Bool needs an explicit ctor");
static_assert(!std::is_constructible<String, long long>::value, "long long is ambiguous");
static_assert(!std::is_constructible<Bool, int*>::value, "pointers do not make a Bool");
static_assert(!std::is_default_constructible<Format>::value, "Format needs a pattern");

TEST(String, ConstructorsProduceOpenWBEMsText)
{
    EXPECT_STREQ("1", String(true).c_str());
    EXPECT_STREQ("true", String(Bool(true)).c_str());
    EXPECT_STREQ("false", String(Bool(false)).c_str());
    EXPECT_STREQ("-5", String(Int32(-5)).c_str());
    EXPECT_STREQ("4294967295", String(UInt32(UINT_MAX)).c_str());
    EXPECT_STREQ("-9223372036854775808", String(Int64(LONG_MIN)).c_str());
    EXPECT_STREQ("18446744073709551615", String(UInt64(ULONG_MAX)).c_str());
    EXPECT_STREQ("1.5", String(Real64(1.5)).c_str());
    EXPECT_STREQ("1.23457e+08", String(123456789.0).c_str());
    EXPECT_STREQ("x", String('x').c_str());
    EXPECT_TRUE(String('\0').empty());
    EXPECT_TRUE(String(static_cast<const char*>(0)).empty());
    EXPECT_STREQ("", String().c_str());
    EXPECT_STREQ("ab", String("abc", 2).c_str());
    EXPECT_TRUE(String(static_cast<const char*>(0), 5).empty());

    char* owned = std::strcpy(new char[4], "xyz");
    EXPECT_STREQ("xyz", String(String::E_TAKE_OWNERSHIP, owned, 3).c_str());

    // An int on the right is a character, as with the real class.
    const String withChar = String("a") + 5;
    EXPECT_EQ(2u, withChar.length());
    EXPECT_EQ('\5', withChar.charAt(1));
}

TEST(String, ComparisonAndEquality)
{
    const String abc("abc");
    EXPECT_LT(abc.compareTo("abd"), 0);
    EXPECT_GT(abc.compareTo("ab"), 0);
    EXPECT_EQ(0, abc.compareTo(String("abc")));
    EXPECT_LT(String().compareTo("a"), 0);
    EXPECT_GT(abc.compareTo(static_cast<const char*>(0)), 0);

    EXPECT_TRUE(abc == "abc");
    EXPECT_TRUE("abc" == abc);
    EXPECT_TRUE(abc != "ABC");
    EXPECT_TRUE("abb" < abc && abc < "abd" && abc <= "abc" && abc >= "abc");
    EXPECT_TRUE(String("b") > abc && "b" > abc && "a" <= abc);

    // A NUL byte inside the text still makes the strings differ, in == and in ordering.
    const String withNul("ab\0c", 4);
    EXPECT_FALSE(withNul == String("ab"));
    EXPECT_GT(withNul.compareTo(String("ab")), 0);
    EXPECT_LT(String("ab").compareTo(withNul), 0);

    EXPECT_TRUE(String("Key").equalsIgnoreCase("KEY"));
    EXPECT_FALSE(String("Key").equalsIgnoreCase("Keys"));
    EXPECT_EQ(0, String("NAME").compareToIgnoreCase(String("name")));
    EXPECT_LT(String("apple").compareToIgnoreCase("BANANA"), 0);
    // Case folding reaches past ASCII: Latin-1, Latin Extended-A, Greek, Cyrillic.
    EXPECT_TRUE(String("\xC3\x84pfel").equalsIgnoreCase("\xC3\xA4PFEL"));
    EXPECT_TRUE(String("\xC5\x81\xC3\xB3"
                       "d\xC5\xBA")
                    .equalsIgnoreCase("\xC5\x82\xC3\x93"
                                      "D\xC5\xB9"));
    EXPECT_TRUE(String("\xCE\xA9mega").equalsIgnoreCase("\xCF\x89MEGA"));
    EXPECT_TRUE(String("\xD0\x9C\xD0\xB8\xD1\x80").equalsIgnoreCase("\xD0\xBC\xD0\x98\xD0\xA0"));
    // Malformed bytes compare as themselves and never match a real character.
    EXPECT_FALSE(String("\xC3").equalsIgnoreCase("\xC3\x84"));
    EXPECT_TRUE(String("a\xFF").equalsIgnoreCase("A\xFF"));

    EXPECT_EQ(String("same").hashCode(), String("same").hashCode());
    EXPECT_NE(String("same").hashCode(), String("Same").hashCode());
}

TEST(String, SearchingAndSlicing)
{
    const String s("a.b.c");
    EXPECT_EQ(1u, s.indexOf('.'));
    EXPECT_EQ(3u, s.indexOf('.', 2));
    EXPECT_EQ(String::npos, s.indexOf('x'));
    EXPECT_EQ(String::npos, s.indexOf('.', 99));
    EXPECT_EQ(2u, s.indexOf("b.c"));
    EXPECT_EQ(String::npos, s.indexOf(static_cast<const char*>(0)));
    EXPECT_EQ(3u, s.lastIndexOf('.'));
    EXPECT_EQ(1u, s.lastIndexOf('.', 2));
    EXPECT_EQ(2u, s.lastIndexOf(String("b")));
    EXPECT_EQ(String::npos, s.lastIndexOf("zz"));

    EXPECT_TRUE(s.startsWith("a.") && s.startsWith('a') && s.startsWith(""));
    EXPECT_FALSE(s.startsWith("a.b.c.d") || s.startsWith('b') || String().startsWith('a'));
    EXPECT_TRUE(s.endsWith(".c") && s.endsWith('c') && s.endsWith(String("a.b.c")));
    EXPECT_FALSE(s.endsWith("x.a.b.c") || String().endsWith('c'));
    EXPECT_TRUE(String("CIM_Service").startsWith("cim_", String::E_CASE_INSENSITIVE));
    EXPECT_FALSE(String("CIM_Service").startsWith("cim_"));
    EXPECT_TRUE(String("file.TXT").endsWith(".txt", String::E_CASE_INSENSITIVE));
    EXPECT_TRUE(String("\xC3\x9C"
                       "BER")
                    .startsWith("\xC3\xBC"
                                "b",
                                String::E_CASE_INSENSITIVE));
    EXPECT_FALSE(String("ab").endsWith("xab", String::E_CASE_INSENSITIVE));

    EXPECT_STREQ("b.c", s.substring(2).c_str());
    EXPECT_STREQ("b", s.substring(2, 1).c_str());
    EXPECT_STREQ("c", s.substring(4, 100).c_str());
    EXPECT_TRUE(s.substring(5).empty());
    EXPECT_TRUE(s.substring(99, 3).empty());
    EXPECT_EQ('a', s.charAt(0));
    EXPECT_EQ('\0', s.charAt(5));
    EXPECT_EQ('\0', s[500]);

    String e("abcdef");
    EXPECT_STREQ("abef", e.erase(2, 2).c_str());
    EXPECT_STREQ("ab", e.erase(2).c_str());
    EXPECT_STREQ("ab", e.erase(10, 1).c_str());
    EXPECT_TRUE(e.erase().empty());

    String mixed("MiXeD 123 \xC3\x84");
    EXPECT_STREQ("mixed 123 \xC3\x84", String(mixed).toLowerCase().c_str());
    EXPECT_STREQ("MIXED 123 \xC3\x84", mixed.toUpperCase().c_str());
}

TEST(String, TrimmingAndConcatenation)
{
    String s(" \t\n\v\f\r x y \r\n");
    EXPECT_STREQ("x y \r\n", String(s).ltrim().c_str());
    EXPECT_STREQ(" \t\n\v\f\r x y", String(s).rtrim().c_str());
    EXPECT_STREQ("x y", s.trim().c_str());
    String spaces(" \t \n");
    EXPECT_TRUE(spaces.isSpaces());
    EXPECT_TRUE(spaces.trim().empty());
    EXPECT_TRUE(String().isSpaces());
    EXPECT_FALSE(String(" x ").isSpaces());
    // The ctime form of a date loses exactly its newline.
    EXPECT_STREQ("Mon Jan  5 03:04:05 2004", String("Mon Jan  5 03:04:05 2004\n").rtrim().c_str());

    String c("a");
    c += String("b");
    c += "c";
    c += 'd';
    c += '\0';
    c.concat(static_cast<const char*>(0)).concat('e');
    EXPECT_STREQ("abcde", c.c_str());
    EXPECT_STREQ("xabcde", ('x' + c).c_str());
    EXPECT_STREQ("pre-abcde-post", ("pre-" + c + "-post").c_str());

    String f;
    EXPECT_EQ(7, f.format("%d-%s", 42, "text"));
    EXPECT_STREQ("42-text", f.c_str());
    EXPECT_EQ(-1, f.format(0));
    EXPECT_STREQ("42-text", f.c_str());

    char* copy = f.allocateCString();
    EXPECT_STREQ("42-text", copy);
    std::free(copy);
}

TEST(String, TokenizeSplitsAsOpenWBEMDoes)
{
    EXPECT_EQ("[a][b,c]", joined(String(" a  b,c ").tokenize()));
    EXPECT_EQ("[a][][b]", joined(String(",a,,b,").tokenize(",", String::E_DISCARD_TOKENS,
                                                           String::E_RETURN_EMPTY_TOKENS)));
    EXPECT_EQ("[a][,][][,][b]", joined(String("a,,b").tokenize(",", String::E_RETURN_TOKENS,
                                                               String::E_RETURN_EMPTY_TOKENS)));
    EXPECT_EQ("[a][=][b][=][c]", joined(String("a=b=c").tokenize("=", String::E_RETURN_TOKENS)));
    EXPECT_EQ("[][a]", joined(String(",,a").tokenize(",", String::E_DISCARD_TOKENS,
                                                     String::E_RETURN_EMPTY_TOKENS)));
    EXPECT_EQ("[a][b]", joined(String("a,,b").tokenize(",")));
    // The default delimiters leave out the form feed.
    EXPECT_EQ("[a\fb][c]", joined(String("a\fb\tc").tokenize()));
    EXPECT_EQ("[0][Applying update]", joined(String("0\nApplying update\n").tokenize("\n\t")));
    EXPECT_EQ("[whole text]", joined(String("whole text").tokenize("")));
    EXPECT_EQ(0u, String().tokenize().size());
    EXPECT_EQ(0u, String("a b").tokenize(0).size());
    EXPECT_EQ(0u, String(" \t ").tokenize().size());
}

TEST(String, NumberConversions)
{
    EXPECT_EQ(12, String(" 12").toInt32());
    EXPECT_EQ(-12, String("-12").toInt32());
    EXPECT_EQ(31, String("0x1F").toInt32(16));
    EXPECT_EQ(255u, String("255").toUInt8());
    EXPECT_EQ(-128, String("-128").toInt8());
    EXPECT_EQ(65535u, String("65535").toUInt16());
    EXPECT_EQ(-32768, String("-32768").toInt16());
    EXPECT_EQ(4294967295u, String("4294967295").toUInt32());
    EXPECT_EQ(LONG_MIN, String("-9223372036854775808").toInt64());
    EXPECT_EQ(ULONG_MAX, String("18446744073709551615").toUInt64());
    EXPECT_EQ(0u, String("-0").toUInt64());
    EXPECT_DOUBLE_EQ(1.5, String("1.5").toReal64());
    EXPECT_FLOAT_EQ(-2.25f, String(" -2.25").toReal32());
    EXPECT_TRUE(String("TRUE").toBool());
    EXPECT_FALSE(String("False").toBool());

    EXPECT_EQ("Unable to convert \"12 \" into Int32",
              conversionFailure([] { String("12 ").toInt32(); }));
    EXPECT_EQ("Unable to convert \"abc\" into Int32",
              conversionFailure([] { String("abc").toInt32(); }));
    EXPECT_EQ("Unable to convert \"99999999999\" into Int32",
              conversionFailure([] { String("99999999999").toInt32(); }));
    EXPECT_EQ("Unable to convert \"-1\" into UInt32",
              conversionFailure([] { String("-1").toUInt32(); }));
    EXPECT_EQ("Unable to convert \"70000\" into UInt16",
              conversionFailure([] { String("70000").toUInt16(); }));
    EXPECT_EQ("Unable to convert \"256\" into UInt8",
              conversionFailure([] { String("256").toUInt8(); }));
    EXPECT_EQ("Unable to convert \"-129\" into Int8",
              conversionFailure([] { String("-129").toInt8(); }));
    EXPECT_EQ("Unable to convert \"yes\" into bool",
              conversionFailure([] { String("yes").toBool(); }));
    EXPECT_EQ("Unable to convert \"1e999\" into Real64",
              conversionFailure([] { String("1e999").toReal64(); }));
    EXPECT_EQ("Unable to convert \"1e39\" into Real32",
              conversionFailure([] { String("1e39").toReal32(); }));
    EXPECT_EQ("Unable to convert \"18446744073709551616\" into UInt64",
              conversionFailure([] { String("18446744073709551616").toUInt64(); }));
    // The 64-bit unsigned conversion wraps a negative number round, as strtoull does.
    EXPECT_EQ(18446744073709551615ul, String("-1").toUInt64());
    // An empty text reads as 0, but a String that never held text is no number at all.
    EXPECT_EQ(0, String("").toInt32());
    EXPECT_EQ(0u, String("").toUInt64());
    EXPECT_EQ("Unable to convert \"\" into Int32", conversionFailure([] { String().toInt32(); }));
    EXPECT_EQ("Unable to convert \"\" into Real64", conversionFailure([] { String().toReal64(); }));
    EXPECT_EQ("Unable to convert \" \" into Int32",
              conversionFailure([] { String(" ").toInt32(); }));
    EXPECT_EQ("Unable to convert \"+\" into Int64",
              conversionFailure([] { String("+").toInt64(); }));
    EXPECT_EQ("Unable to convert \"12\" into Int32",
              conversionFailure([] { String("12").toInt32(99); }));
}

TEST(String, StreamsAndLines)
{
    std::istringstream in("first line\nsecond\n");
    EXPECT_STREQ("first line", String::getLine(in).c_str());
    EXPECT_STREQ("second", String::getLine(in).c_str());
    EXPECT_TRUE(String::getLine(in).empty());

    std::ostringstream out;
    out << String("a\0b", 3) << Bool(true) << ' ' << Bool(false);
    EXPECT_EQ(std::string("a\0btrue false", 13), out.str());
}

TEST(Bool, BehavesAsABooleanWithTextForm)
{
    const Bool t(true);
    const Bool f;
    EXPECT_TRUE(t == true && t == Bool(true) && f != t && f != true);
    EXPECT_TRUE(!f && !!t);
    EXPECT_TRUE(f < t && !(t < f));
    EXPECT_STREQ("true", t.toString().c_str());
    EXPECT_STREQ("false", f.toString().c_str());
    Array<Bool> flags;
    flags.push_back(Bool(true));
    EXPECT_TRUE(flags[0]);
}

TEST(Char16, ConvertsThroughUtf8)
{
    EXPECT_EQ(0x41, Char16('A').getValue());
    EXPECT_EQ(0xE9, Char16('\xE9').getValue());
    EXPECT_STREQ("\xC3\xA9", Char16(UInt16(0xE9)).toString().c_str());
    EXPECT_STREQ("\xE2\x82\xAC", String(Char16(UInt16(0x20AC))).c_str());
    EXPECT_TRUE(Char16(UInt16(0)).toString().empty());
    EXPECT_EQ(0x20AC, String("\xE2\x82\xAC and more").toChar16().getValue());
    EXPECT_EQ(0xE9, Char16(String("\xC3\xA9")).getValue());
    EXPECT_EQ(0, String().toChar16().getValue());
    EXPECT_THROW(String("\xF0\x9F\x98\x80").toChar16(), StringConversionException);
    EXPECT_THROW(String("\xC3").toChar16(), StringConversionException);
    // A lone surrogate has no UTF-8 form; it becomes the replacement character.
    EXPECT_STREQ("\xEF\xBF\xBD", String(Char16(UInt16(0xD800))).c_str());

    Char16Array pair;
    pair.push_back(Char16(UInt16(0xD83D)));
    pair.push_back(Char16(UInt16(0xDE00)));
    pair.push_back(Char16('!'));
    EXPECT_STREQ("\xF0\x9F\x98\x80!", String(pair).c_str());

    EXPECT_EQ(66, Char16(Real64(66.9)).getValue());
    EXPECT_EQ(0, Char16(Real64(-1.0)).getValue());
    EXPECT_EQ(0, Char16(Real32(1e9f)).getValue());
    EXPECT_EQ(1, Char16(Bool(true)).getValue());
    EXPECT_TRUE(Char16('a') < Char16('b') && Char16('a') == Char16(Int32(97)));
    std::ostringstream out;
    out << Char16(UInt16(0xFC));
    EXPECT_EQ("\xC3\xBC", out.str());
}

TEST(Format, SubstitutesNumberedArguments)
{
    EXPECT_STREQ("x=5", Format("x=%1", 5).c_str());
    EXPECT_STREQ("b a b", Format("%2 %1 %2", "a", String("b")).c_str());
    EXPECT_STREQ("1.5 -3 c true", Format("%1 %2 %3 %4", 1.5, Int64(-3), 'c', Bool(true)).c_str());
    EXPECT_STREQ("123456789", Format("%1%2%3%4%5%6%7%8%9", 1, 2, 3, 4, 5, 6, 7, 8, 9).c_str());
    EXPECT_STREQ("100% done, 50%", Format("100% done, %1%%", 50).c_str());
    // Placeholders with no argument, and a lone trailing %, stay as written.
    EXPECT_STREQ("a %2 %0 %", Format("%1 %2 %0 %", "a").c_str());
    EXPECT_STREQ("%1 literal", Format("%1", "%1 literal").c_str());

    const String converted = Format("id=%1", UInt16(7));
    EXPECT_STREQ("id=7", converted.c_str());
    EXPECT_TRUE(Format(0, 1).toString().empty());
    std::ostringstream out;
    out << Format("<%1>", "v");
    EXPECT_EQ("<v>", out.str());
}
