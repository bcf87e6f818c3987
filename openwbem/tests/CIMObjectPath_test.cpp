// CIMObjectPath: its text form, keys, comparison and parser.
#include "OW_config.h"
// First on purpose: this header alone must not make String complete.
#include "OW_CIMObjectPath.hpp"

#include <type_traits>

namespace
{
template <class T, class Tag, class = void> struct IsComplete : std::false_type
{
};
template <class T, class Tag> struct IsComplete<T, Tag, decltype(void(sizeof(T)))> : std::true_type
{
};
struct AfterPathHeaderOnly
{
};
static_assert(!IsComplete<OpenWBEM::String, AfterPathHeaderOnly>::value,
              "OW_CIMObjectPath.hpp must not define String");
} // end anonymous namespace

#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMQualifier.hpp"
#include "OW_CIMValue.hpp"
#include "OW_NoSuchPropertyException.hpp"
#include "OW_String.hpp"

#include <gtest/gtest.h>

#include <string>

using namespace OpenWBEM;

namespace
{

// The CIM status code parse() fails with, or -1 when it succeeds.
int parseError(const char* text)
{
    try
    {
        CIMObjectPath::parse(text);
    }
    catch (const CIMException& e)
    {
        return e.getErrNo();
    }
    return -1;
}

} // end anonymous namespace

TEST(CIMObjectPath, TextFormQuotesEveryValue)
{
    EXPECT_EQ("/root/cimv2:Test_Class", CIMObjectPath("Test_Class", "root/cimv2").toString());
    EXPECT_EQ("/:C", CIMObjectPath("C").toString());

    CIMObjectPath p("C", "root/cimv2");
    p.setKeyValue("Name", CIMValue("x"));
    p.setKeyValue("Id", CIMValue(UInt16(5)));
    EXPECT_EQ("/root/cimv2:C.Name=\"x\",Id=\"5\"", p.toString());
    EXPECT_EQ("C.Name=\"x\",Id=\"5\"", p.modelPath());

    CIMObjectPath esc("Test_Class", "root/cimv2");
    esc.setKeyValue("Name", CIMValue("a\"b\\c"));
    esc.setKeyValue("Id", CIMValue(Int32(5)));
    esc.setKeyValue("Flag", CIMValue(true));
    esc.setKeyValue("Text", CIMValue("line1\nline2"));
    esc.setKeyValue("None", CIMValue(CIMNULL));
    EXPECT_EQ("/root/cimv2:Test_Class.Name=\"a\\\"b\\\\c\",Id=\"5\",Flag=\"true\","
              "Text=\"line1\\nline2\",None=\"null\"",
              esc.toString());

    CIMObjectPath other("Other", "root/cimv2");
    other.setKeyValue("Name", CIMValue("x"));
    CIMObjectPath assoc("Assoc", "root/cimv2");
    assoc.setKeyValue("Antecedent", CIMValue(other));
    EXPECT_EQ("/root/cimv2:Assoc.Antecedent=\"/root/cimv2:Other.Name=\\\"x\\\"\"",
              assoc.toString());
    EXPECT_EQ(CIMObjectPath::escape(assoc.toString()), assoc.toMOF());
}

TEST(CIMObjectPath, HostAndNamespace)
{
    CIMObjectPath p("C", "  /root/cimv2 \n");
    EXPECT_EQ("root/cimv2", p.getNameSpace());
    p.setNameSpace("//interop");
    EXPECT_EQ("interop", p.getNameSpace());

    EXPECT_EQ("/interop:C", p.setHost("localhost").toString());
    p.setHost("server.example");
    EXPECT_EQ("server.example", p.getHost());
    EXPECT_EQ("http://server.example/interop:C", p.toString());

    const CIMObjectPath remote = CIMObjectPath::parse("https://h:5989/root:C.K=\"1\"");
    EXPECT_EQ("h", remote.getHost());
    EXPECT_EQ("https://h:5989/root:C.K=\"1\"", remote.toString());
}

TEST(CIMObjectPath, KeysFromInstancesAndByName)
{
    CIMInstance inst("C");
    CIMProperty id("Id", CIMValue("7"));
    id.addQualifier(CIMQualifier::createKeyQualifier());
    inst.setProperty(id);
    inst.setProperty("Plain", CIMValue("p"));

    const CIMObjectPath path("root", inst);
    EXPECT_EQ("root", path.getNameSpace());
    EXPECT_EQ("C", path.getClassName());
    ASSERT_EQ(1u, path.getKeys().size());
    EXPECT_TRUE(path.isInstancePath());
    // Keys are stored without their qualifiers.
    EXPECT_TRUE(path.getKeys()[0].getQualifiers().empty());

    EXPECT_EQ(CIMValue("7"), path.getKey("ID").getValue());
    EXPECT_FALSE(path.getKey("Plain"));
    EXPECT_TRUE(!path.getKey("Missing"));
    EXPECT_FALSE(path.getKeyValue("Missing"));
    EXPECT_TRUE(path.keyHasValue("id"));
    EXPECT_FALSE(path.keyHasValue("Missing"));
    try
    {
        path.getKeyT("Missing");
        FAIL() << "expected NoSuchPropertyException";
    }
    catch (const NoSuchPropertyException& e)
    {
        EXPECT_STREQ("Missing", e.getMessage());
    }

    CIMObjectPath edited(path);
    edited.setKeyValue("id", CIMValue("8"));
    edited.setKeyValue("Second", CIMValue(UInt8(2)));
    EXPECT_EQ("/root:C.Id=\"8\",Second=\"2\"", edited.toString());
    EXPECT_EQ("/root:C.Id=\"7\"", path.toString());
    EXPECT_TRUE(CIMObjectPath("C").isClassPath());
}

TEST(CIMObjectPath, EqualityIgnoresCaseAndKeyOrderButNotValueTypes)
{
    CIMObjectPath a("Class", "root/cimv2");
    a.setKeyValue("A", CIMValue("1"));
    a.setKeyValue("B", CIMValue(UInt16(2)));
    CIMObjectPath b("CLASS", "ROOT/CIMV2");
    b.setKeyValue("b", CIMValue(UInt16(2)));
    b.setKeyValue("a", CIMValue("1"));
    EXPECT_TRUE(a.equals(b));
    EXPECT_TRUE(a == b);

    CIMObjectPath c(b);
    c.setKeyValue("B", CIMValue(UInt32(2)));
    EXPECT_TRUE(a != c);
    CIMObjectPath d(b);
    d.setKeyValue("A", CIMValue("x"));
    EXPECT_FALSE(a == d);
    CIMObjectPath e(b);
    e.setKeyValue("C", CIMValue("3"));
    EXPECT_FALSE(a == e);
    EXPECT_FALSE(a == CIMObjectPath("Class", "other"));
    EXPECT_TRUE(CIMObjectPath(CIMNULL) == CIMObjectPath(CIMNULL));
    EXPECT_FALSE(CIMObjectPath(CIMNULL) == a);
}

TEST(CIMObjectPath, ParseReadsTheTextFormWithStringKeys)
{
    CIMObjectPath orig("Test_Class", "root/cimv2");
    orig.setKeyValue("Name", CIMValue("a\"b\\c,d"));
    orig.setKeyValue("Id", CIMValue(UInt16(5)));
    const CIMObjectPath back = CIMObjectPath::parse(orig.toString());
    EXPECT_EQ("root/cimv2", back.getNameSpace());
    EXPECT_EQ("Test_Class", back.getClassName());
    EXPECT_EQ(CIMValue("a\"b\\c,d"), back.getKeyValue("Name"));
    EXPECT_EQ(CIMValue("5"), back.getKeyValue("Id"));
    EXPECT_EQ(orig.toString(), back.toString());

    const CIMObjectPath bare = CIMObjectPath::parse("C.K1=abc, K2 = \"x y\"");
    EXPECT_EQ("root", bare.getNameSpace());
    EXPECT_EQ(CIMValue("abc"), bare.getKeyValue("K1"));
    EXPECT_EQ(CIMValue("x y"), bare.getKeyValue("K2"));
    EXPECT_TRUE(CIMObjectPath::parse("root/cimv2:C").isClassPath());

    // A reference key comes back as the text of the referenced path.
    CIMObjectPath other("Other", "root/cimv2");
    other.setKeyValue("Name", CIMValue("x"));
    CIMObjectPath assoc("Assoc", "root/cimv2");
    assoc.setKeyValue("Antecedent", CIMValue(other));
    EXPECT_EQ(CIMValue(other.toString()),
              CIMObjectPath::parse(assoc.toString()).getKeyValue("Antecedent"));

    EXPECT_EQ(CIMException::INVALID_PARAMETER, parseError(""));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, parseError("root:C.Name"));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, parseError("root:C.Name=\"open"));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, parseError("root:C.Name=\"a\"b"));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, parseError("root:C.=1"));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, parseError("http://h:70000/root:C"));
    EXPECT_EQ(CIMException::NOT_FOUND, parseError("root:"));
}

TEST(CIMObjectPath, EscapeAndUnEscapeAreInverse)
{
    EXPECT_EQ("a\\\\b\\\"c\\nd", CIMObjectPath::escape("a\\b\"c\nd"));
    EXPECT_EQ("plain", CIMObjectPath::escape("plain"));
    EXPECT_EQ("a\\b\"c\nd", CIMObjectPath::unEscape("a\\\\b\\\"c\\nd"));
    EXPECT_EQ("xy", CIMObjectPath::unEscape("\\x\\y"));
    EXPECT_EQ("end\\", CIMObjectPath::unEscape("end\\"));

    CIMObjectPath p("C", "root");
    p.setKeyValue("Text", CIMValue("two\nlines"));
    EXPECT_EQ(CIMValue("two\nlines"), CIMObjectPath::parse(p.toString()).getKeyValue("Text"));
}
