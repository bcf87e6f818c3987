// The active-update provider's operations and its "Cancel" method, directly and through the
// master provider, against the scripted runner.
#include "updates/ActiveProvider.h"
#include "common/Diagnostics.h"
#include "master/MasterProvider.h"
#include "testsupport/ScriptedRunner.h"

#include "OW_CIMException.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_ResultHandlers.hpp"

#include <functional>
#include <string>
#include <vector>

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

const std::string kListing = "/vk/bin/softinv --apply  2>&1";
const char kNamespace[] = "root/cimv2";

int StatusOf(const std::function<void()>& call)
{
    try
    {
        call();
    }
    catch (const CIMException& e)
    {
        return e.getErrNo();
    }
    return -1;
}

CIMObjectPath PathOf(const char* instanceID)
{
    CIMObjectPath path(kActiveUpdateClassName, kNamespace);
    path.setKeyValue("InstanceID", CIMValue(String(instanceID)));
    return path;
}

class ActiveProviderTest : public ProviderTest
{
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        env = ProviderEnvironmentIFCRef(new TestEnvironment(gLogger));
        runner->script(kListing,
                       ScriptedRunner::Exit(0, "A\t1\tShort\t/opt/a\tMon Jan  5 03:04:05 2004\t"
                                               "reboot\t7\tApplying\n"));
    }

    ActiveUpdateProvider provider;
    ProviderEnvironmentIFCRef env;
};

} // namespace

TEST_F(ActiveProviderTest, InstancesCarryTheActiveProperties)
{
    runner->script("/vk/bin/softinv -l A-1 2>&1", ScriptedRunner::Exit(0, "About A\n"));
    CIMInstanceArray instances;
    CIMInstanceArrayBuilder handler(instances);
    provider.enumInstances(env, kNamespace, "ZVQ_ActiveSoftwareUpdate", handler, E_LOCAL_ONLY,
                           E_SHALLOW, E_EXCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN, nullptr,
                           CIMClass(), CIMClass());
    ASSERT_EQ(1u, instances.size());
    const char* const names[] = {
        "InstanceID",    "Name",     "ShortDescription", "UpdateDescription",
        "VersionString", "Location", "ApplyDate",        "RebootRequired",
        "Status",        "Size"};
    CIMPropertyArray properties = instances[0].getProperties();
    ASSERT_EQ(10u, properties.size());
    for (size_t i = 0; i < properties.size(); ++i)
    {
        EXPECT_STREQ(names[i], properties[i].getName().c_str());
    }
    EXPECT_TRUE(properties[0].isKey());
    EXPECT_STREQ("ZVQ_ActiveSoftwareUpdate", instances[0].getClassName().c_str());
    EXPECT_STREQ("About A\n", properties[3].getValue().toString().c_str());

    CIMObjectPathArray paths;
    CIMObjectPathArrayBuilder pathHandler(paths);
    provider.enumInstanceNames(env, "other", "ZVQ_ActiveSoftwareUpdate", pathHandler, CIMClass());
    ASSERT_EQ(1u, paths.size());
    EXPECT_STREQ("/other:ZVQ_ActiveSoftwareUpdate.InstanceID=\"A 1\"", paths[0].toString().c_str());
}

TEST_F(ActiveProviderTest, InstancesAreNeitherCreatedChangedNorDeleted)
{
    CIMInstance instance(kActiveUpdateClassName);
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf([&] { provider.createInstance(env, kNamespace, instance); }));
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf(
                  [&]
                  {
                      provider.modifyInstance(env, kNamespace, instance, instance,
                                              E_EXCLUDE_QUALIFIERS, nullptr, CIMClass());
                  }));
    EXPECT_EQ(CIMException::NOT_FOUND,
              StatusOf([&] { provider.deleteInstance(env, kNamespace, PathOf("Z 9")); }));
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf([&] { provider.deleteInstance(env, kNamespace, PathOf("A 1")); }));
    EXPECT_EQ(
        CIMException::INVALID_PARAMETER,
        StatusOf(
            [&]
            { provider.deleteInstance(env, kNamespace, CIMObjectPath(kActiveUpdateClassName)); }));
    // Nothing but the lookups ran.
    EXPECT_EQ(std::vector<std::string>(2, kListing), runner->commandLines());
}

TEST_F(ActiveProviderTest, CancelRollsTheUpdateBack)
{
    CIMParamValueArray none, some, out;
    some.push_back(CIMParamValue("Force", CIMValue(true)));
    CIMValue result = provider.invokeMethod(env, kNamespace, PathOf("A 1"), "Cancel", none, out);
    EXPECT_EQ(CIMDataType::STRING, result.getType());
    EXPECT_STREQ("", result.toString().c_str());
    provider.invokeMethod(env, kNamespace, PathOf("A 1"), "Cancel", some, out);
    EXPECT_EQ(0u, out.size());

    EXPECT_EQ(
        CIMException::METHOD_NOT_FOUND,
        StatusOf([&]
                 { provider.invokeMethod(env, kNamespace, PathOf("A 1"), "cancel", none, out); }));
    EXPECT_EQ(
        CIMException::NOT_FOUND,
        StatusOf([&]
                 { provider.invokeMethod(env, kNamespace, PathOf("Z 9"), "cancel", none, out); }));
    EXPECT_EQ((std::vector<std::string>{kListing, "/vk/bin/softinv --rback A 1", kListing,
                                        "/vk/bin/softinv --rback A 1", kListing, kListing}),
              runner->commandLines());
}

TEST_F(ActiveProviderTest, MasterRoutesTheClassHere)
{
    SoftwareUpdateProvider master;
    CIMParamValueArray in, out;
    CIMValue result = master.invokeMethod(env, kNamespace, PathOf("A 1"), "Cancel", in, out);
    EXPECT_STREQ("", result.toString().c_str());
    EXPECT_EQ("/vk/bin/softinv --rback A 1", runner->commandLines()[1]);

    CIMInstance instance =
        master.getInstance(env, kNamespace, PathOf("A 1"), E_NOT_LOCAL_ONLY, E_EXCLUDE_QUALIFIERS,
                           E_EXCLUDE_CLASS_ORIGIN, nullptr, CIMClass());
    EXPECT_STREQ("A", instance.getPropertyValue("Name").toString().c_str());
}
