// Encoding: escaping of any provider text into valid XML, the forms of reference values,
// and values of every kind surviving the way out and back in (decoded and typed again by the
// class definition, as a client's modification of a fetched instance would be).
#include "cim_test_support.h"
#include "cim/typing.h"
#include "cimxml/request.h"
#include "cimxml/response.h"
#include "repository.h"

#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMDateTime.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMQualifier.hpp"
#include "OW_Char16.hpp"
#include "OW_String.hpp"

#include <gtest/gtest.h>
#include <pugixml.hpp>

namespace cimom
{
namespace
{

using namespace test;
using OpenWBEM::CIMValue;
using OpenWBEM::String;

TEST(ResponseEncoding, AnyTextBecomesValidXmlThatReadsBackTheSame)
{
    // The forms OpenWBEM's daemon writes, in text and attributes alike.
    EXPECT_EQ(xmlEscape("a<b>&\"c\"'d'"), "a&lt;b&gt;&amp;&quot;c&quot;&apos;d&apos;");
    EXPECT_EQ(xmlEscape("a\"b", true), "a&quot;b");
    EXPECT_EQ(xmlEscape("line\r\nnext\ttab"), "line&#13;&#10;next&#9;tab");
    EXPECT_EQ(xmlEscape("x\ny\tz", true), "x&#10;y&#9;z");
    EXPECT_EQ(xmlEscape(std::string("bell\x07") + '\0' + "end"), "bell\xEF\xBF\xBD\xEF\xBF\xBD"
                                                                 "end");
    EXPECT_EQ(xmlEscape("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"),
              "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
    // Stray continuation byte, overlong form, surrogate, truncated sequence, U+FFFF.
    // Each byte of a malformed sequence becomes one replacement character.
    for (const std::string bad : {"\x80", "\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\xEF\xBF\xBF"})
    {
        std::string expected = "[";
        for (size_t i = 0; i < bad.size(); ++i)
        {
            expected += "\xEF\xBF\xBD";
        }
        EXPECT_EQ(xmlEscape("[" + bad + "]"), expected + "]");
    }

    const std::string nasty = "</DESCRIPTION>\"&amp;\r\n<x>";
    const std::string doc = errorResponse("1", "GetInstance", true, 6, nasty);
    pugi::xml_document parsed;
    ASSERT_TRUE(parsed.load_string(doc.c_str(), pugi::parse_default | pugi::parse_eol));
    EXPECT_EQ(std::string(parsed.child("CIM")
                              .child("MESSAGE")
                              .child("SIMPLERSP")
                              .child("IMETHODRESPONSE")
                              .child("ERROR")
                              .attribute("DESCRIPTION")
                              .value()),
              nasty);
}

TEST(ResponseEncoding, ReferenceValuesTakeTheFormTheirPathAllows)
{
    OpenWBEM::CIMObjectPath path("Thing", "root/cimv2");
    OpenWBEM::CIMPropertyArray keys;
    keys.push_back(OpenWBEM::CIMProperty("Id", CIMValue(OpenWBEM::UInt16(3))));
    keys.push_back(OpenWBEM::CIMProperty("On", CIMValue(OpenWBEM::Bool(true))));
    path.setKeys(keys);
    const auto encoded = [](const OpenWBEM::CIMObjectPath& p)
    {
        std::string out;
        CimXmlWriter(out, nullptr, "server").value(CIMValue(p));
        return out;
    };
    EXPECT_EQ(encoded(path),
              "<VALUE.REFERENCE><LOCALINSTANCEPATH>" + localNamespace() +
                  "<INSTANCENAME CLASSNAME=\"Thing\"><KEYBINDING NAME=\"Id\"><KEYVALUE "
                  "VALUETYPE=\"numeric\">3</KEYVALUE></KEYBINDING><KEYBINDING NAME=\"On\">"
                  "<KEYVALUE VALUETYPE=\"boolean\">true</KEYVALUE></KEYBINDING></INSTANCENAME>"
                  "</LOCALINSTANCEPATH></VALUE.REFERENCE>");
    OpenWBEM::CIMObjectPath remote(path);
    remote.setHost("h.example");
    EXPECT_NE(encoded(remote).find("<INSTANCEPATH><NAMESPACEPATH><HOST>h.example</HOST>"),
              std::string::npos);
    OpenWBEM::CIMObjectPath bare(path);
    bare.setNameSpace("");
    EXPECT_EQ(encoded(bare).rfind("<VALUE.REFERENCE><INSTANCENAME", 0), 0u);
    EXPECT_EQ(encoded(OpenWBEM::CIMObjectPath("Thing", "root/cimv2")),
              "<VALUE.REFERENCE><LOCALCLASSPATH>" + localNamespace() +
                  "<CLASSNAME NAME=\"Thing\"/></LOCALCLASSPATH></VALUE.REFERENCE>");

    // Full paths get this server as host where the provider named none.
    std::string full;
    CimXmlWriter(full, nullptr, "server").fullPath(bare, "root/cimv2");
    EXPECT_EQ(full.rfind("<INSTANCEPATH><NAMESPACEPATH><HOST>server</HOST>", 0), 0u);
}

TEST(ResponseEncoding, ValuesRoundTripThroughTheWire)
{
    Repository repository;
    repository.loadMofText(R"(
        class Test_Target { [Key] string Id; };
        [Association] class Test_All
        {
            [Key] string Id;
            boolean Flag;
            datetime When;
            datetime Span;
            real64 Ratio;
            real32 Small;
            sint64 Big;
            char16 Letter;
            Test_Target REF Other;
            Test_Target REF Back;
            uint16 Codes[];
            string Text;
        };)",
                           "all.mof");
    OpenWBEM::CIMObjectPath other("Test_Target", "root/cimv2");
    OpenWBEM::CIMPropertyArray keys;
    keys.push_back(OpenWBEM::CIMProperty("Id", CIMValue(String("o\"ther"))));
    other.setKeys(keys);
    OpenWBEM::UInt16Array codes;
    codes.push_back(1);
    codes.push_back(65535);

    OpenWBEM::CIMInstance sent("Test_All");
    sent.setProperty("Id", CIMValue(String("x")));
    sent.setProperty("Flag", CIMValue(OpenWBEM::Bool(false)));
    sent.setProperty("When", CIMValue(OpenWBEM::CIMDateTime(String("20261206075708.123456-300"))));
    sent.setProperty("Span", CIMValue(OpenWBEM::CIMDateTime(String("00000001020304.000005:000"))));
    sent.setProperty("Ratio", CIMValue(OpenWBEM::Real64(0.1)));
    sent.setProperty("Small", CIMValue(OpenWBEM::Real32(1.0f / 3)));
    sent.setProperty("Big", CIMValue(OpenWBEM::Int64(-9007199254740993)));
    sent.setProperty("Letter", CIMValue(OpenWBEM::Char16('Q')));
    sent.setProperty("Other", CIMValue(other));
    sent.setProperty("Codes", CIMValue(codes));
    sent.setProperty("Text", CIMValue(String(" <tag> & \"quote\"\r\n")));

    std::string encoded;
    CimXmlWriter(encoded, &repository, "server").instance(sent);
    const CimCall call = decodeRequest(intrinsic("CreateInstance", iparam("NewInstance", encoded)));
    const OpenWBEM::CIMInstance back =
        fitInstance(call.params[0].value.instance, *repository.find("Test_All"), false);
    for (const OpenWBEM::CIMProperty& prop : sent.getProperties())
    {
        const CIMValue original = prop.getValue();
        const CIMValue returned = back.getPropertyValue(prop.getName());
        EXPECT_TRUE(original == returned) << prop.getName() << ": " << original.toString()
                                          << " came back as " << returned.toString();
    }
}

} // namespace
} // namespace cimom
