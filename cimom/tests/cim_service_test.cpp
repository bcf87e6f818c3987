// What the dispatcher does around instance and class operations: repository checks before
// any provider, key and property casts, fetch-before-delete/modify, pass-through results,
// the single catch site, authorization and the audit trail.
#include "scripted_provider.h"

#include "OW_NoSuchPropertyException.hpp"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace cimom
{
namespace
{

using namespace test;
using OpenWBEM::CIMDataType;
using OpenWBEM::CIMException; // OW_THROWCIMMSG names it unqualified

TEST_F(DispatcherTest, UnknownClassIsInvalidClassBeforeAnyProviderIsAsked)
{
    const std::vector<CimRequest> requests = {
        intrinsic("EnumerateInstanceNames", iparam("ClassName", className("No_Such"))),
        intrinsic("EnumerateInstances", iparam("ClassName", className("No_Such"))),
        intrinsic("GetInstance",
                  iparam("InstanceName", instanceName("No_Such", keyBinding("Id", "1")))),
        intrinsic("DeleteInstance",
                  iparam("InstanceName", instanceName("No_Such", keyBinding("Id", "1")))),
        intrinsic("GetClass", iparam("ClassName", className("No_Such"))),
        intrinsic("AssociatorNames",
                  iparam("ObjectName", instanceName("No_Such", keyBinding("Id", "1")))),
        extrinsic("Compute", "No_Such", "", "root/cimv2:No_Such", ""),
    };
    for (const CimRequest& request : requests)
    {
        // A missing class that is asked for itself, or is the object of a method call or an
        // association query, is not found; elsewhere it is an invalid class (OpenWBEM's daemon
        // answers so).
        const bool object = request.cimMethod == "AssociatorNames" ||
                            request.cimMethod == "Compute" || request.cimMethod == "GetClass";
        const Answer answer = run(request);
        EXPECT_EQ(answer.status, 200);
        EXPECT_EQ(answer.errorCode(), object ? 6 : 5) << request.cimMethod;
        EXPECT_EQ(answer.description(),
                  std::string(object ? "requested object could not be found"
                                     : "class does not exist") +
                      " (/root/cimv2:No_Such)");
    }
    EXPECT_TRUE(script_.calls.empty());
    EXPECT_EQ(script_.initializeCalls, 0) << "the provider was not even loaded";
}

TEST_F(DispatcherTest, EnumerationsAskEachClassProviderUnderItsOwnNameAndPassResultsThrough)
{
    script_.enumerate = [](OpenWBEM::CIMInstanceResultHandlerIFC& result, const std::string&)
    {
        OpenWBEM::CIMInstance instance = baseInstance("one");
        instance.setProperty("Unlisted", OpenWBEM::CIMValue(OpenWBEM::String("kept")));
        result.handle(instance);
        result.handle(OpenWBEM::CIMInstance(OpenWBEM::CIMNULL)); // left out, not fatal
    };
    const Answer deep =
        run(intrinsic("EnumerateInstances",
                      iparam("ClassName", className("Test_Base")) +
                          iparam("PropertyList", "<VALUE.ARRAY><VALUE>Name</VALUE></VALUE.ARRAY>") +
                          iparam("LocalOnly", value("TRUE"))));
    EXPECT_EQ(deep.errorCode(), 0);
    EXPECT_EQ(script_.calls,
              (std::vector<std::string>{"enumInstances Test_Base", "enumInstances Test_Derived"}));
    int named = 0;
    for (pugi::xml_node item : deep.result().children("VALUE.NAMEDINSTANCE"))
    {
        ++named;
        EXPECT_TRUE(item.child("INSTANCE").find_child_by_attribute("PROPERTY", "NAME", "Unlisted"))
            << "results are not filtered by PropertyList";
        EXPECT_STREQ(item.child("INSTANCENAME").child("KEYBINDING").attribute("NAME").value(),
                     "Name");
    }
    EXPECT_EQ(named, 2);

    script_.calls.clear();
    run(intrinsic("EnumerateInstances", iparam("ClassName", className("test_base")) +
                                            iparam("DeepInheritance", value("false"))));
    EXPECT_EQ(script_.calls, std::vector<std::string>{"enumInstances Test_Base"});

    script_.calls.clear();
    const Answer names =
        run(intrinsic("EnumerateInstanceNames", iparam("ClassName", className("Test_Base"))));
    EXPECT_EQ(script_.calls, (std::vector<std::string>{"enumInstanceNames Test_Base",
                                                       "enumInstanceNames Test_Derived"}));
    EXPECT_EQ(std::distance(names.result().children("INSTANCENAME").begin(),
                            names.result().children("INSTANCENAME").end()),
              2);

    // A class no provider serves has no instances.
    const Answer none =
        run(intrinsic("EnumerateInstances", iparam("ClassName", className("Test_NoProvider"))));
    EXPECT_EQ(none.errorCode(), 0);
    EXPECT_FALSE(none.result().first_child());
}

TEST_F(DispatcherTest, GetInstanceCastsKeysToTheirDeclaredTypes)
{
    script_.getInstance = [](const OpenWBEM::CIMObjectPath& path)
    {
        OpenWBEM::CIMInstance instance("Test_Keys");
        instance.setProperty("Num", path.getKeyValue("Num"));
        return instance;
    };
    const Answer answer = run(
        intrinsic("GetInstance",
                  iparam("InstanceName",
                         instanceName("Test_Keys",
                                      keyBinding("num", "7") + keyBinding("On", "TRUE", "boolean") +
                                          keyBinding("At", "20260102030405.000000+060")))));
    EXPECT_EQ(answer.errorCode(), 0);
    const OpenWBEM::CIMObjectPath& seen = script_.lastPath;
    EXPECT_EQ(text(seen.getClassName()), "Test_Keys");
    EXPECT_EQ(seen.getKeyValue("Num").getType(), CIMDataType::UINT16);
    EXPECT_EQ(seen.getKeyValue("Num").toUInt16(), 7);
    EXPECT_EQ(text(seen.getKey("Num").getName()), "Num") << "declared spelling";
    EXPECT_EQ(seen.getKeyValue("On").getType(), CIMDataType::BOOLEAN);
    EXPECT_TRUE(bool(seen.getKeyValue("On").toBool()));
    EXPECT_EQ(seen.getKeyValue("At").getType(), CIMDataType::DATETIME);
    EXPECT_EQ(text(seen.getKeyValue("At").toString()), "20260102030405.000000+060");
    EXPECT_STREQ(answer.result().child("INSTANCE").child("PROPERTY").attribute("TYPE").value(),
                 "uint16");

    const Answer badKey = run(intrinsic(
        "GetInstance",
        iparam("InstanceName", instanceName("Test_Keys", keyBinding("Num", "seven") +
                                                             keyBinding("On", "true", "boolean") +
                                                             keyBinding("At", "")))));
    EXPECT_EQ(badKey.errorCode(), 4);
    // The reason alone, in the words OpenWBEM's daemon uses.
    EXPECT_NE(badKey.description().find("seven"), std::string::npos) << badKey.description();
    EXPECT_EQ(badKey.description().find("Cannot convert"), std::string::npos);
}

TEST_F(DispatcherTest, GetInstancePassesProviderErrorsAndRefusesANullInstance)
{
    script_.getInstance = [](const OpenWBEM::CIMObjectPath&) -> OpenWBEM::CIMInstance
    { OW_THROWCIMMSG(OpenWBEM::CIMException::NOT_FOUND, "no such thing"); };
    const std::string request = iparam("InstanceName", baseName("x"));
    const Answer missing = run(intrinsic("GetInstance", request));
    EXPECT_EQ(missing.errorCode(), 6);
    EXPECT_EQ(missing.description(), "requested object could not be found (no such thing)");

    script_.getInstance = [](const OpenWBEM::CIMObjectPath&)
    { return OpenWBEM::CIMInstance(OpenWBEM::CIMNULL); };
    EXPECT_EQ(run(intrinsic("GetInstance", request)).errorCode(), 1);

    const Answer noProvider = run(
        intrinsic("GetInstance",
                  iparam("InstanceName", instanceName("Test_NoProvider", keyBinding("Id", "1")))));
    EXPECT_EQ(noProvider.errorCode(), 6);
}

TEST_F(DispatcherTest, DeleteAndModifyFetchTheInstanceFirst)
{
    run(intrinsic("DeleteInstance", iparam("InstanceName", baseName("a"))));
    EXPECT_EQ(script_.calls,
              (std::vector<std::string>{"getInstance /root/cimv2:Test_Base.Name=\"a\"",
                                        "deleteInstance /root/cimv2:Test_Base.Name=\"a\""}));

    script_.calls.clear();
    script_.getInstance = [](const OpenWBEM::CIMObjectPath&) -> OpenWBEM::CIMInstance
    { OW_THROWCIMMSG(OpenWBEM::CIMException::NOT_FOUND, "gone"); };
    const Answer gone = run(intrinsic("DeleteInstance", iparam("InstanceName", baseName("a"))));
    EXPECT_EQ(gone.errorCode(), 6);
    EXPECT_EQ(gone.description(), "requested object could not be found (gone)");
    EXPECT_EQ(script_.calls.size(), 1u) << "deleteInstance must not be called";

    script_.calls.clear();
    script_.getInstance = [](const OpenWBEM::CIMObjectPath&) { return baseInstance("previous"); };
    const std::string modified =
        "<VALUE.NAMEDINSTANCE>" + baseName("a") +
        "<INSTANCE CLASSNAME=\"Test_Base\"><PROPERTY NAME=\"Name\" TYPE=\"string\"><VALUE>a"
        "</VALUE></PROPERTY><PROPERTY NAME=\"size\" TYPE=\"string\"><VALUE> 5 </VALUE>"
        "</PROPERTY><PROPERTY NAME=\"Bogus\" TYPE=\"string\"><VALUE>x</VALUE></PROPERTY>"
        "</INSTANCE></VALUE.NAMEDINSTANCE>";
    EXPECT_EQ(run(intrinsic("ModifyInstance", iparam("ModifiedInstance", modified))).errorCode(),
              0);
    EXPECT_EQ(script_.calls,
              (std::vector<std::string>{"getInstance /root/cimv2:Test_Base.Name=\"a\"",
                                        "modifyInstance Test_Base"}));
    EXPECT_EQ(text(script_.lastPrevious.getPropertyValue("Name").toString()), "previous");
    const OpenWBEM::CIMValue size = script_.lastInstance.getPropertyValue("Size");
    ASSERT_TRUE(bool(size));
    EXPECT_EQ(size.getType(), CIMDataType::UINT16);
    EXPECT_EQ(size.toUInt16(), 5);
    EXPECT_FALSE(script_.lastInstance.getProperty("Bogus")) << "undeclared properties dropped";
    EXPECT_FALSE(script_.lastInstance.getProperty("Color")) << "modify adds nothing";

    script_.calls.clear();
    std::string badSize = modified;
    badSize.replace(badSize.find(" 5 "), 3, "big");
    const Answer bad = run(intrinsic("ModifyInstance", iparam("ModifiedInstance", badSize)));
    EXPECT_EQ(bad.errorCode(), 4);
    EXPECT_TRUE(script_.calls.empty());
}

TEST_F(DispatcherTest, CreateInstanceRefusesAbstractClassesAndFitsTheInstance)
{
    const Answer abstract = run(intrinsic(
        "CreateInstance",
        iparam("NewInstance", "<INSTANCE CLASSNAME=\"Test_Abstract\"><PROPERTY NAME=\"Id\" "
                              "TYPE=\"string\"><VALUE>1</VALUE></PROPERTY></INSTANCE>")));
    EXPECT_EQ(abstract.errorCode(), 4);
    EXPECT_TRUE(script_.calls.empty());

    const Answer created = run(intrinsic(
        "CreateInstance",
        iparam("NewInstance",
               "<INSTANCE CLASSNAME=\"test_base\"><PROPERTY NAME=\"Name\" TYPE=\"string\"><VALUE>"
               "n1</VALUE></PROPERTY><PROPERTY NAME=\"Size\" TYPE=\"uint16\"><VALUE>12</VALUE>"
               "</PROPERTY><PROPERTY NAME=\"Flag\" TYPE=\"boolean\"><VALUE>TRUE</VALUE>"
               "</PROPERTY></INSTANCE>")));
    EXPECT_EQ(created.errorCode(), 0);
    const OpenWBEM::CIMInstance& seen = script_.lastInstance;
    EXPECT_EQ(text(seen.getClassName()), "Test_Base");
    EXPECT_EQ(seen.getPropertyValue("Size").toUInt16(), 12);
    EXPECT_TRUE(bool(seen.getPropertyValue("Flag").toBool()));
    EXPECT_EQ(text(seen.getPropertyValue("Color").toString()), "blue") << "class default";
    EXPECT_EQ(seen.getKeyValuePairs().size(), 1u) << "the key qualifier comes from the class";
    const pugi::xml_node name = created.result().child("INSTANCENAME");
    EXPECT_STREQ(name.attribute("CLASSNAME").value(), "Test_Base");
    EXPECT_STREQ(name.child("KEYBINDING").child_value("KEYVALUE"), "n1");

    // A provider that names nothing: the new instance's keys name it.
    script_.createNamesNothing = true;
    const Answer unnamed = run(intrinsic(
        "CreateInstance",
        iparam("NewInstance", "<INSTANCE CLASSNAME=\"Test_Base\"><PROPERTY NAME=\"Name\" "
                              "TYPE=\"string\"><VALUE>n2</VALUE></PROPERTY></INSTANCE>")));
    EXPECT_STREQ(unnamed.result().child("INSTANCENAME").child("KEYBINDING").child_value("KEYVALUE"),
                 "n2");
}

TEST_F(DispatcherTest, OneCatchSiteTurnsEveryProviderFailureIntoACimError)
{
    const CimRequest request =
        intrinsic("EnumerateInstances", iparam("ClassName", className("Test_Lonely")));
    script_.enumerate = [](OpenWBEM::CIMInstanceResultHandlerIFC&, const std::string&)
    { throw std::runtime_error("disk on fire"); };
    Answer answer = run(request);
    EXPECT_EQ(answer.errorCode(), 1);
    EXPECT_EQ(answer.description(), "general error (disk on fire)");

    script_.enumerate = [](OpenWBEM::CIMInstanceResultHandlerIFC&, const std::string&)
    { throw 42; };
    EXPECT_EQ(run(request).errorCode(), 1);

    script_.enumerate = [](OpenWBEM::CIMInstanceResultHandlerIFC&, const std::string&)
    { OpenWBEM::CIMInstance("x").getPropertyT("missing"); };
    answer = run(request);
    EXPECT_EQ(answer.errorCode(), 1);
    EXPECT_NE(answer.description().find("NoSuchPropertyException"), std::string::npos);

    script_.enumerate = [](OpenWBEM::CIMInstanceResultHandlerIFC&, const std::string&)
    { OW_THROWCIMMSG(OpenWBEM::CIMException::ACCESS_DENIED, "not today"); };
    answer = run(request);
    EXPECT_EQ(answer.errorCode(), 2);
    EXPECT_EQ(answer.description(), "Access to CIM resource unavailable to client (not today)");

    // A provider whose initialize() throws fails every request cleanly.
    struct Failing : OpenWBEM::CppProviderBaseIFC
    {
        void initialize(const OpenWBEM::ProviderEnvironmentIFCRef&) override
        {
            throw std::logic_error("no config");
        }
    };
    providers_.registerProvider("Broken", std::make_unique<Failing>());
    repository_.loadMofText("[Provider(\"c++::Broken\")] class Test_Broken { [Key] string Id; };",
                            "broken.mof");
    for (int i = 0; i < 2; ++i)
    {
        answer =
            run(intrinsic("EnumerateInstances", iparam("ClassName", className("Test_Broken"))));
        EXPECT_EQ(answer.errorCode(), 1);
        EXPECT_NE(answer.description().find("no config"), std::string::npos);
    }
}

TEST_F(DispatcherTest, ReadOnlyCallersAreDeniedChangesAndEveryChangeIsAudited)
{
    const std::string newInstance =
        iparam("NewInstance", "<INSTANCE CLASSNAME=\"Test_Base\"><PROPERTY NAME=\"Name\" "
                              "TYPE=\"string\"><VALUE>n</VALUE></PROPERTY></INSTANCE>");
    const std::vector<CimRequest> changes = {
        intrinsic("CreateInstance", newInstance, Role::ReadOnly),
        intrinsic("ModifyInstance",
                  iparam("ModifiedInstance", "<VALUE.NAMEDINSTANCE>" + baseName("n") +
                                                 "<INSTANCE CLASSNAME=\"Test_Base\"/>"
                                                 "</VALUE.NAMEDINSTANCE>"),
                  Role::ReadOnly),
        intrinsic("DeleteInstance", iparam("InstanceName", baseName("n")), Role::ReadOnly),
        extrinsic("Compute", "Test_Base", "", "root/cimv2:Test_Base", param("A", value("1")),
                  Role::ReadOnly),
    };
    for (const CimRequest& request : changes)
    {
        const Answer answer = run(request);
        EXPECT_EQ(answer.errorCode(), 2) << request.cimMethod;
    }
    EXPECT_TRUE(script_.calls.empty());
    ASSERT_EQ(audits_.size(), 4u);
    EXPECT_EQ(audits_[0].operation, "CreateInstance");
    EXPECT_EQ(audits_[0].className, "Test_Base");
    EXPECT_EQ(audits_[0].caller.user, "tester");
    EXPECT_EQ(audits_[0].caller.address, "127.0.0.1");
    EXPECT_EQ(audits_[0].outcome.rfind("CIM error 2: ", 0), 0u) << audits_[0].outcome;
    EXPECT_EQ(audits_[3].operation, "Compute");
    EXPECT_EQ(audits_[3].method, "Compute");

    audits_.clear();
    EXPECT_EQ(run(intrinsic("CreateInstance", newInstance)).errorCode(), 0);
    run(intrinsic("GetInstance", iparam("InstanceName", baseName("n"))));
    run(intrinsic("EnumerateInstanceNames", iparam("ClassName", className("Test_Base"))));
    ASSERT_EQ(audits_.size(), 1u) << "reads are not audited";
    EXPECT_EQ(audits_[0].outcome, "ok");
    EXPECT_EQ(script_.lastUser, "tester");
}

TEST_F(DispatcherTest, OtherOperationsAndNamespacesAreRefused)
{
    for (const char* method :
         {"ExecQuery", "GetQualifier", "CreateClass", "OpenEnumerateInstances"})
    {
        const Answer answer = run(intrinsic(method, ""));
        EXPECT_EQ(answer.errorCode(), 7) << method;
        EXPECT_EQ(answer.description(),
                  std::string("requested operation is not supported (") + method + ")");
    }
    CimRequest other = intrinsic("EnumerateInstances", iparam("ClassName", className("Test_Base")));
    const std::string ns = "<NAMESPACE NAME=\"root\"/><NAMESPACE NAME=\"cimv2\"/>";
    other.body.replace(other.body.find(ns), ns.size(), "<NAMESPACE NAME=\"interop\"/>");
    other.cimObject = "interop";
    const Answer wrongNamespace = run(other);
    EXPECT_EQ(wrongNamespace.errorCode(), 3);
    EXPECT_EQ(wrongNamespace.description(), "namespace does not exist (interop)");

    const Answer unknownParam = run(intrinsic(
        "GetClass", iparam("ClassName", className("Test_Base")) + iparam("Colour", value("x"))));
    EXPECT_EQ(unknownParam.errorCode(), 4);
    const Answer badFlag = run(intrinsic("GetClass", iparam("ClassName", className("Test_Base")) +
                                                         iparam("LocalOnly", value("yes"))));
    EXPECT_EQ(badFlag.errorCode(), 4);
    EXPECT_TRUE(script_.calls.empty());
}

TEST_F(DispatcherTest, ClassOperationsComeFromTheRepository)
{
    const Answer local = run(intrinsic("GetClass", iparam("ClassName", className("Test_Derived"))));
    const pugi::xml_node cls = local.result().child("CLASS");
    EXPECT_STREQ(cls.attribute("SUPERCLASS").value(), "Test_Base");
    EXPECT_TRUE(cls.find_child_by_attribute("PROPERTY", "NAME", "Extra"));
    EXPECT_FALSE(cls.find_child_by_attribute("PROPERTY", "NAME", "Size")) << "LocalOnly default";
    EXPECT_FALSE(cls.child("PROPERTY").attribute("CLASSORIGIN")) << "IncludeClassOrigin default";

    const Answer full = run(intrinsic("GetClass", iparam("ClassName", className("Test_Derived")) +
                                                      iparam("LocalOnly", value("FALSE")) +
                                                      iparam("IncludeQualifiers", value("FALSE")) +
                                                      iparam("IncludeClassOrigin", value("TRUE"))));
    const pugi::xml_node size =
        full.result().child("CLASS").find_child_by_attribute("PROPERTY", "NAME", "Size");
    EXPECT_STREQ(size.attribute("CLASSORIGIN").value(), "Test_Base");
    EXPECT_STREQ(size.attribute("PROPAGATED").value(), "true");
    EXPECT_FALSE(full.result().child("CLASS").child("QUALIFIER"));

    const Answer top = run(intrinsic("EnumerateClassNames", ""));
    std::vector<std::string> names;
    for (pugi::xml_node n : top.result().children("CLASSNAME"))
    {
        names.push_back(n.attribute("NAME").value());
    }
    EXPECT_EQ(names.size(), 6u);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Test_Derived"), 0);
    const Answer subs =
        run(intrinsic("EnumerateClasses", iparam("ClassName", className("Test_Base")) +
                                              iparam("DeepInheritance", value("TRUE"))));
    EXPECT_STREQ(subs.result().child("CLASS").attribute("NAME").value(), "Test_Derived");
    EXPECT_TRUE(script_.calls.empty());
}

} // namespace
} // namespace cimom
