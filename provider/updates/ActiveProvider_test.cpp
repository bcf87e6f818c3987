// The active-update provider's operations and its "Cancel" method against the scripted runner.
#include "updates/ActiveProvider.h"
#include "testsupport/ProviderTestSupport.h"

#include <cstdlib>
#include <ctime>

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

const std::string kListing = "/vk/bin/softinv --apply  2>&1";

CIMObjectPath PathOf(const char* instanceID)
{
    return KeyedPath(kActiveUpdateClassName, instanceID);
}

class ActiveProviderTest : public SubProviderTest
{
protected:
    void SetUp() override
    {
        SubProviderTest::SetUp();
        // Dates are shown in local time.
        setenv("TZ", "UTC", 1);
        tzset();
        runner->script(kListing,
                       ScriptedRunner::Exit(0, "A\t1\tShort\t/opt/a\tMon Jan  5 03:04:05 2004\t"
                                               "reboot\t7\tApplying\n"));
    }

    CIMValue Invoke(const CIMObjectPath& path, const char* method,
                    const CIMParamValueArray& in = CIMParamValueArray())
    {
        CIMParamValueArray out;
        CIMValue result = provider.invokeMethod(env, kTestNamespace, path, method, in, out);
        EXPECT_EQ(0u, out.size());
        return result;
    }

    ActiveUpdateProvider provider;
};

} // namespace

TEST_F(ActiveProviderTest, InstancesCarryTheActiveProperties)
{
    runner->script("/vk/bin/softinv -l A-1 2>&1", ScriptedRunner::Exit(0, "About A\n"));
    CIMInstanceArray instances;
    CIMInstanceArrayBuilder handler(instances);
    provider.enumInstances(env, kTestNamespace, "ZVQ_ActiveSoftwareUpdate", handler, E_LOCAL_ONLY,
                           E_SHALLOW, E_EXCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN, nullptr,
                           CIMClass(), CIMClass());
    ASSERT_EQ(1u, instances.size());
    EXPECT_EQ((std::vector<std::string>{"InstanceID=A 1", "Name=A", "ShortDescription=Short",
                                        "UpdateDescription=About A\n", "VersionString=1",
                                        "Location=/opt/a", "ApplyDate=20040105030405.000000+000",
                                        "RebootRequired=true", "Status=Applying", "Size=7"}),
              Properties(instances[0]));
    EXPECT_TRUE(instances[0].getProperty("InstanceID").isKey());
    EXPECT_STREQ("ZVQ_ActiveSoftwareUpdate", instances[0].getClassName().c_str());

    CIMObjectPathArray paths;
    CIMObjectPathArrayBuilder pathHandler(paths);
    provider.enumInstanceNames(env, "other", "ZVQ_ActiveSoftwareUpdate", pathHandler, CIMClass());
    ASSERT_EQ(1u, paths.size());
    EXPECT_STREQ("/other:ZVQ_ActiveSoftwareUpdate.InstanceID=\"A 1\"", paths[0].toString().c_str());
}

TEST_F(ActiveProviderTest, InstancesAreNeitherCreatedChangedNorDeleted)
{
    CIMInstance instance(kActiveUpdateClassName);
    auto deleted = [&](const CIMObjectPath& path)
    { return StatusOf([&] { provider.deleteInstance(env, kTestNamespace, path); }); };
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf([&] { provider.createInstance(env, kTestNamespace, instance); }));
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf(
                  [&]
                  {
                      provider.modifyInstance(env, kTestNamespace, instance, instance,
                                              E_EXCLUDE_QUALIFIERS, nullptr, CIMClass());
                  }));
    EXPECT_EQ(CIMException::NOT_FOUND, deleted(PathOf("Z 9")));
    EXPECT_EQ(CIMException::NOT_SUPPORTED, deleted(PathOf("A 1")));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, deleted(CIMObjectPath(kActiveUpdateClassName)));
    // Nothing but the lookups ran.
    EXPECT_EQ(std::vector<std::string>(2, kListing), runner->commandLines());
}

TEST_F(ActiveProviderTest, CancelRollsTheUpdateBack)
{
    CIMParamValueArray some;
    some.push_back(CIMParamValue("Force", CIMValue(true)));
    CIMValue result = Invoke(PathOf("A 1"), "Cancel");
    EXPECT_EQ(CIMDataType::STRING, result.getType());
    EXPECT_STREQ("", result.toString().c_str());
    Invoke(PathOf("A 1"), "Cancel", some);

    EXPECT_EQ(CIMException::METHOD_NOT_FOUND, StatusOf([&] { Invoke(PathOf("A 1"), "cancel"); }));
    EXPECT_EQ(CIMException::NOT_FOUND, StatusOf([&] { Invoke(PathOf("Z 9"), "cancel"); }));
    EXPECT_EQ((std::vector<std::string>{kListing, "/vk/bin/softinv --rback A 1", kListing,
                                        "/vk/bin/softinv --rback A 1", kListing, kListing}),
              runner->commandLines());
}
