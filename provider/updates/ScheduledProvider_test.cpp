// The scheduled-update provider's operations and methods against the scripted runner.
#include "updates/ScheduledProvider.h"
#include "testsupport/ProviderTestSupport.h"

#include "OW_CIMDateTime.hpp"

#include <cstdlib>
#include <ctime>

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

const std::string kListing = "/vk/bin/softinv --sched  2>&1";
const char kJan5[] = "20040105030405.000000+000";

CIMObjectPath PathOf(const char* instanceID)
{
    return KeyedPath(kScheduledUpdateClassName, instanceID);
}

// Named the other way round from their meaning for the tool: position decides, not the name.
CIMParamValueArray DateParams(const char* first, const char* second)
{
    CIMParamValueArray in;
    in.push_back(CIMParamValue("ApplyDate", CIMValue(CIMDateTime(String(first)))));
    in.push_back(CIMParamValue("DownloadDate", CIMValue(CIMDateTime(String(second)))));
    return in;
}

class ScheduledProviderTest : public SubProviderTest
{
protected:
    void SetUp() override
    {
        SubProviderTest::SetUp();
        // Schedule dates are sent to the tool in local time.
        setenv("TZ", "UTC", 1);
        tzset();
        runner->script(kListing,
                       ScriptedRunner::Exit(0, "A\t1\tShort\t/opt/A\tMon Jan  5 03:04:05 2004\t"
                                               "Tue Feb 10 22:00:00 2004\treboot\t2048\t"
                                               "Pending\nBase patch\t2\tS\tL\tMon Jan  5 "
                                               "03:04:05 2004\tMon Jan  5 03:04:05 2004\tno\t"
                                               "1\tPending\n"));
    }

    int invokeStatus(const CIMObjectPath& path, const char* method,
                     const CIMParamValueArray& in = CIMParamValueArray())
    {
        return StatusOf([&] { invoke(path, method, in); });
    }

    CIMValue invoke(const CIMObjectPath& path, const char* method,
                    const CIMParamValueArray& in = CIMParamValueArray())
    {
        CIMParamValueArray out;
        CIMValue result = provider.invokeMethod(env, kTestNamespace, path, method, in, out);
        EXPECT_EQ(0u, out.size());
        EXPECT_EQ(CIMDataType::STRING, result.getType());
        EXPECT_STREQ("", result.toString().c_str());
        return result;
    }

    ScheduledUpdateProvider provider;
};

} // namespace

TEST_F(ScheduledProviderTest, EnumeratesNamesAndFullInstances)
{
    runner->script("/vk/bin/softinv -l A-1 2>&1", ScriptedRunner::Exit(0, "About A\n"));
    runner->script("/vk/bin/softinv -l 'Base patch'-2 2>&1", ScriptedRunner::Exit(2, "none"));

    CIMObjectPathArray paths;
    CIMObjectPathArrayBuilder pathHandler(paths);
    provider.enumInstanceNames(env, "other", "ZVQ_ScheduledSoftwareUpdate", pathHandler,
                               CIMClass());
    ASSERT_EQ(2u, paths.size());
    EXPECT_STREQ("/other:ZVQ_ScheduledSoftwareUpdate.InstanceID=\"A 1\"",
                 paths[0].toString().c_str());
    EXPECT_STREQ("/other:ZVQ_ScheduledSoftwareUpdate.InstanceID=\"Base patch 2\"",
                 paths[1].toString().c_str());
    EXPECT_EQ(1u, runner->commandLines().size());

    CIMInstanceArray instances;
    CIMInstanceArrayBuilder instanceHandler(instances);
    StringArray noProperties;
    provider.enumInstances(env, kTestNamespace, "ZVQ_ScheduledSoftwareUpdate", instanceHandler,
                           E_LOCAL_ONLY, E_SHALLOW, E_EXCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN,
                           &noProperties, CIMClass(), CIMClass());
    // One listing and one description per instance.
    EXPECT_EQ(4u, runner->commandLines().size());
    ASSERT_EQ(2u, instances.size());
    // Request flags and the property list are not applied.
    EXPECT_EQ((std::vector<std::string>{"InstanceID=A 1", "Name=A", "ShortDescription=Short",
                                        "UpdateDescription=About A\n", "VersionString=1",
                                        "Location=/opt/A", "DownloadDate=20040105030405.000000+000",
                                        "ApplyDate=20040210220000.000000+000",
                                        "RebootRequired=true", "Status=Pending", "Size=2048"}),
              Properties(instances[0]));
    EXPECT_STREQ("ZVQ_ScheduledSoftwareUpdate", instances[0].getClassName().c_str());
    EXPECT_TRUE(instances[0].getProperty("InstanceID").isKey());
    EXPECT_EQ(CIMDataType::BOOLEAN, instances[0].getPropertyValue("RebootRequired").getType());
    EXPECT_EQ(CIMDataType::DATETIME, instances[0].getPropertyValue("DownloadDate").getType());
    // The description command failed for the second update: only that property is missing.
    EXPECT_EQ("<absent>", Text(instances[1], "UpdateDescription"));
    EXPECT_EQ(10u, instances[1].getProperties().size());
}

TEST_F(ScheduledProviderTest, FindsInstancesByTheirKey)
{
    CIMInstance found = Get(provider, PathOf("Base patch 2"));
    EXPECT_EQ("Base patch", Text(found, "Name"));

    CIMObjectPath nullKey(kScheduledUpdateClassName, kTestNamespace);
    nullKey.setKeys(CIMPropertyArray(1, CIMProperty("InstanceID")));
    EXPECT_EQ(CIMException::INVALID_PARAMETER,
              StatusOf([&] { Get(provider, KeyedPath(kScheduledUpdateClassName, "A", "Name")); }));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, StatusOf([&] { Get(provider, nullKey); }));
    EXPECT_EQ(CIMException::NOT_FOUND, StatusOf([&] { Get(provider, PathOf("A  1")); }));

    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf([&] { provider.createInstance(env, kTestNamespace, found); }));
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf(
                  [&]
                  {
                      provider.modifyInstance(env, kTestNamespace, found, found,
                                              E_EXCLUDE_QUALIFIERS, nullptr, CIMClass());
                  }));
}

TEST_F(ScheduledProviderTest, MethodsLookTheUpdateUpFirstAndRunTheirCommand)
{
    EXPECT_EQ(CIMException::NOT_FOUND, invokeStatus(PathOf("Z 9"), "Frobnicate"));
    EXPECT_EQ(CIMException::INVALID_PARAMETER,
              invokeStatus(CIMObjectPath(kScheduledUpdateClassName), "Remove"));
    EXPECT_EQ(CIMException::METHOD_NOT_FOUND, invokeStatus(PathOf("A 1"), "modify"));
    // The path without a key is refused before the tool runs.
    EXPECT_EQ(std::vector<std::string>(2, kListing), runner->commandLines());

    // Remove ignores parameters; deleteInstance does the same.
    invoke(PathOf("Base patch 2"), "Remove", DateParams(kJan5, kJan5));
    provider.deleteInstance(env, kTestNamespace, PathOf("A 1"));
    invoke(PathOf("A 1"), "Modify", DateParams(kJan5, "20041231235900.000000+000"));
    std::vector<std::string> lines = runner->commandLines();
    EXPECT_EQ((std::vector<std::string>{kListing, "/vk/bin/softinv --msched 'Base patch' 2",
                                        kListing, "/vk/bin/softinv --msched A 1", kListing,
                                        "/vk/bin/softinv --msched A 1 \"Mon Jan  5 03:04:05 "
                                        "2004\" \"Fri Dec 31 23:59:00 2004\""}),
              std::vector<std::string>(lines.begin() + 2, lines.end()));

    runner->script("/vk/bin/softinv --msched A 1", ScriptedRunner::Exit(16));
    EXPECT_EQ(CIMException::FAILED,
              StatusOf([&] { provider.deleteInstance(env, kTestNamespace, PathOf("A 1")); }));
}

TEST_F(ScheduledProviderTest, ModifyRefusesParametersItCannotUse)
{
    CIMParamValueArray three = DateParams(kJan5, kJan5);
    three.push_back(three[0]);
    CIMParamValueArray one = DateParams(kJan5, kJan5);
    one.pop_back();
    CIMParamValueArray text = DateParams(kJan5, kJan5);
    text[0] = CIMParamValue("ApplyDate", CIMValue(String("Mon Jan  5 03:04:05 2004")));
    CIMParamValueArray null = DateParams(kJan5, kJan5);
    null[1] = CIMParamValue("DownloadDate", CIMValue(CIMNULL));
    CIMParamValueArray interval = DateParams(kJan5, "00000001000000.000000:000");

    for (const CIMParamValueArray& in : {three, one, text, null, interval})
    {
        EXPECT_EQ(CIMException::INVALID_PARAMETER, invokeStatus(PathOf("A 1"), "Modify", in));
    }
    // Only the lookups ran: nothing reached the schedule.
    EXPECT_EQ(std::vector<std::string>(5, kListing), runner->commandLines());
}
