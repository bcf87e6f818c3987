// Extrinsic methods and association traversal as the dispatcher prepares them for the
// provider: existence check, declared-method check, parameter order, casts and messages, the
// pre-filled out-parameter array, and association classes found in the repository.
#include "scripted_provider.h"

namespace cimom
{
namespace
{

using namespace test;
using OpenWBEM::CIMDataType;
using OpenWBEM::CIMException; // OW_THROWCIMMSG names it unqualified

CimRequest compute(const std::string& params, const std::string& bindings = "")
{
    return extrinsic("Compute", "Test_Base", bindings,
                     bindings.empty() ? "root/cimv2:Test_Base"
                                      : "root%2Fcimv2%3ATest_Base.Name=%22a%22",
                     params);
}

TEST_F(DispatcherTest, MethodOnAMissingInstanceIsNotFound)
{
    script_.getInstance = [](const OpenWBEM::CIMObjectPath&) -> OpenWBEM::CIMInstance
    { OW_THROWCIMMSG(OpenWBEM::CIMException::NOT_FOUND, "provider's own words"); };
    const Answer thrown = run(compute(param("A", value("1")), keyBinding("Name", "a")));
    EXPECT_EQ(thrown.errorCode(), 6);
    EXPECT_EQ(thrown.description(), "requested object could not be found (Instance not found: "
                                    "/root/cimv2:Test_Base.Name=\"a\")");

    script_.getInstance = [](const OpenWBEM::CIMObjectPath&)
    { return OpenWBEM::CIMInstance(OpenWBEM::CIMNULL); };
    EXPECT_EQ(run(compute(param("A", value("1")), keyBinding("Name", "a"))).errorCode(), 6);
    EXPECT_EQ(script_.calls.size(), 2u) << "only the two existence checks ran";

    script_.calls.clear();
    script_.getInstance = [](const OpenWBEM::CIMObjectPath&) { return baseInstance("a"); };
    EXPECT_EQ(run(compute(param("A", value("1")), keyBinding("Name", "a"))).errorCode(), 0);
    EXPECT_EQ(script_.calls.back(), "invokeMethod Compute /root/cimv2:Test_Base.Name=\"a\"");
}

TEST_F(DispatcherTest, UndeclaredMethodIsMethodNotFound)
{
    const Answer answer = run(extrinsic("Launch", "Test_Base", "", "root/cimv2:Test_Base", ""));
    EXPECT_EQ(answer.errorCode(), 17);
    EXPECT_EQ(answer.description(), "extrinsic method does not exist (Launch)");
    EXPECT_TRUE(script_.calls.empty());
}

TEST_F(DispatcherTest, ParametersArriveInDeclaredOrderTypedByTheClass)
{
    const Answer answer =
        run(compute(param("f", value("true")) + param("c", value(" 9 ")) +
                    param("E", value("20260102030405.000000+000")) + param("a", value("3"))));
    ASSERT_EQ(answer.errorCode(), 0) << answer.description();
    const OpenWBEM::CIMParamValueArray& in = script_.lastIn;
    ASSERT_EQ(in.size(), 5u) << "one entry per IN parameter";
    const char* const order[] = {"A", "B", "C", "E", "F"};
    for (size_t i = 0; i < in.size(); ++i)
    {
        EXPECT_EQ(text(in[i].getName()), order[i]);
    }
    EXPECT_EQ(in[0].getValue().getType(), CIMDataType::UINT16);
    EXPECT_EQ(in[0].getValue().toUInt16(), 3);
    EXPECT_FALSE(in[1].getValue()) << "an optional parameter left out is null";
    EXPECT_EQ(in[2].getValue().toUInt32(), 9u);
    EXPECT_EQ(in[3].getValue().getType(), CIMDataType::DATETIME);
    EXPECT_EQ(in[4].getValue().getType(), CIMDataType::BOOLEAN);

    // One empty, named entry per OUT parameter; the IN/OUT one holds the in value.
    const OpenWBEM::CIMParamValueArray& out = script_.outAtCall;
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(text(out[0].getName()), "C");
    EXPECT_EQ(out[0].getValue().toUInt32(), 9u);
    EXPECT_EQ(text(out[1].getName()), "D");
    EXPECT_FALSE(out[1].getValue());

    const pugi::xml_node response = answer.response();
    EXPECT_STREQ(response.child("RETURNVALUE").child_value("VALUE"), "42");
    const pugi::xml_node d = response.find_child_by_attribute("PARAMVALUE", "NAME", "D");
    EXPECT_STREQ(d.attribute("PARAMTYPE").value(), "string") << "typed by the declaration";
    EXPECT_FALSE(d.child("VALUE"));
}

TEST_F(DispatcherTest, BadParametersAreRefusedWithTheReferenceMessages)
{
    struct Case
    {
        std::string params;
        std::string description;
    };
    const std::vector<Case> cases = {
        {param("A", value("1")) + param("Z", value("1")),
         "invalid parameter passed to method (Unknown or duplicate parameter: Z)"},
        {param("A", value("1")) + param("a", value("2")),
         "invalid parameter passed to method (Unknown or duplicate parameter: a)"},
        {param("A", value("1")) + param("D", value("out only")),
         "invalid parameter passed to method (Unknown or duplicate parameter: D)"},
        {param("B", value("x")),
         "invalid parameter passed to method (Parameter A was not specified.)"},
        {param("A", value("70000")), ""},
        {param("A", value("1")) + param("F", value("maybe")), ""},
    };
    for (const Case& c : cases)
    {
        const Answer answer = run(compute(c.params));
        EXPECT_EQ(answer.errorCode(), 4) << c.params;
        if (!c.description.empty())
        {
            EXPECT_EQ(answer.description(), c.description);
        }
    }
    EXPECT_TRUE(script_.calls.empty());
}

TEST_F(DispatcherTest, OutParametersAreSentOncePerName)
{
    script_.invoke = [](const OpenWBEM::CIMParamValueArray&, OpenWBEM::CIMParamValueArray& out)
    {
        // Appends instead of filling the prepared entry.
        out.push_back(OpenWBEM::CIMParamValue("D", OpenWBEM::CIMValue(OpenWBEM::String("done"))));
        return OpenWBEM::CIMValue(OpenWBEM::CIMNULL);
    };
    const Answer answer = run(compute(param("A", value("1")) + param("C", value("5"))));
    ASSERT_EQ(answer.errorCode(), 0);
    const pugi::xml_node response = answer.response();
    EXPECT_FALSE(response.child("RETURNVALUE")) << "a null return value is left out";
    std::vector<std::string> names;
    for (pugi::xml_node p : response.children("PARAMVALUE"))
    {
        names.push_back(p.attribute("NAME").value());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"C", "D"}));
    EXPECT_STREQ(response.find_child_by_attribute("PARAMVALUE", "NAME", "D").child_value("VALUE"),
                 "done");
    EXPECT_STREQ(response.find_child_by_attribute("PARAMVALUE", "NAME", "C").child_value("VALUE"),
                 "5");
}

TEST_F(DispatcherTest, ProviderSeesTheCallerAndTheConfiguration)
{
    run(compute(param("A", value("1"))));
    EXPECT_EQ(script_.lastUser, "tester");
    EXPECT_EQ(script_.lastConfigItem, "/var/tmp/em.xml");
    run(compute(param("A", value("1"))));
    EXPECT_EQ(script_.initializeCalls, 1);
}

TEST_F(DispatcherTest, AssociationClassesComeFromTheRepository)
{
    const std::string object = iparam("ObjectName", baseName("a"));
    const Answer names = run(intrinsic("AssociatorNames", object));
    ASSERT_EQ(names.errorCode(), 0) << names.description();
    EXPECT_EQ(script_.calls,
              std::vector<std::string>{"associatorNames /root/cimv2:Test_Base.Name=\"a\""});
    EXPECT_EQ(script_.lastAssocArgument, "Test_Link");
    const pugi::xml_node path = names.result().child("OBJECTPATH").child("INSTANCEPATH");
    EXPECT_TRUE(path.child("NAMESPACEPATH").child("HOST"));
    EXPECT_STREQ(path.child("INSTANCENAME").attribute("CLASSNAME").value(), "Test_Base");

    const Answer objects = run(intrinsic("Associators", object));
    const pugi::xml_node item = objects.result().child("VALUE.OBJECTWITHPATH");
    EXPECT_TRUE(item.child("INSTANCEPATH"));
    EXPECT_TRUE(item.child("INSTANCE"));

    script_.lastAssocArgument.clear();
    run(intrinsic("References", object + iparam("ResultClass", className("Test_Link"))));
    EXPECT_EQ(script_.lastAssocArgument, "Test_Link") << "References get it as the result class";
    script_.lastAssocArgument.clear();
    run(intrinsic("ReferenceNames", object));
    EXPECT_EQ(script_.lastAssocArgument, "Test_Link");

    // A subclass is referenced through its superclass.
    script_.calls.clear();
    run(intrinsic("ReferenceNames",
                  iparam("ObjectName", instanceName("Test_Derived", keyBinding("Name", "d")))));
    EXPECT_EQ(script_.calls.size(), 1u);

    script_.calls.clear();
    const Answer lonely =
        run(intrinsic("AssociatorNames",
                      iparam("ObjectName", instanceName("Test_Lonely", keyBinding("Id", "1")))));
    EXPECT_EQ(lonely.errorCode(), 0);
    EXPECT_FALSE(lonely.result().first_child());
    EXPECT_TRUE(script_.calls.empty());

    EXPECT_EQ(run(intrinsic("Associators", object + iparam("AssocClass", className("No_Link"))))
                  .errorCode(),
              4);
    EXPECT_EQ(
        run(intrinsic("ReferenceNames", object + iparam("ResultRole", value("x")))).errorCode(), 4)
        << "ReferenceNames has no ResultRole";
}

TEST_F(DispatcherTest, ClassLevelTraversalIsAnsweredFromTheSchema)
{
    const Answer refs =
        run(intrinsic("ReferenceNames", iparam("ObjectName", className("Test_Derived"))));
    ASSERT_EQ(refs.errorCode(), 0) << refs.description();
    EXPECT_STREQ(refs.result()
                     .child("OBJECTPATH")
                     .child("CLASSPATH")
                     .child("CLASSNAME")
                     .attribute("NAME")
                     .value(),
                 "Test_Link");
    const Answer assoc =
        run(intrinsic("Associators", iparam("ObjectName", className("Test_Keys"))));
    EXPECT_STREQ(
        assoc.result().child("VALUE.OBJECTWITHPATH").child("CLASS").attribute("NAME").value(),
        "Test_Base");
    EXPECT_TRUE(script_.calls.empty());
}

} // namespace
} // namespace cimom
