// The scheduled-update provider's operations and methods, directly and through the master
// provider, against the scripted runner.
#include "updates/ScheduledProvider.h"
#include "common/Diagnostics.h"
#include "master/MasterProvider.h"
#include "testsupport/ScriptedRunner.h"

#include "OW_CIMDateTime.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_ResultHandlers.hpp"

#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

const std::string kListing = "/vk/bin/softinv --sched  2>&1";
const char kNamespace[] = "root/cimv2";
const char kJan5[] = "20040105030405.000000+000";

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
    CIMObjectPath path(kScheduledUpdateClassName, kNamespace);
    path.setKeyValue("InstanceID", CIMValue(String(instanceID)));
    return path;
}

// Named the other way round from their meaning for the tool: position decides, not the name.
CIMParamValueArray DateParams(const char* first, const char* second)
{
    CIMParamValueArray in;
    in.push_back(CIMParamValue("ApplyDate", CIMValue(CIMDateTime(String(first)))));
    in.push_back(CIMParamValue("DownloadDate", CIMValue(CIMDateTime(String(second)))));
    return in;
}

class ScheduledProviderTest : public ProviderTest
{
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        // Schedule dates are sent to the tool in local time.
        setenv("TZ", "UTC", 1);
        tzset();
        env = ProviderEnvironmentIFCRef(new TestEnvironment(gLogger));
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
        CIMValue result = provider.invokeMethod(env, kNamespace, path, method, in, out);
        EXPECT_EQ(0u, out.size());
        EXPECT_EQ(CIMDataType::STRING, result.getType());
        EXPECT_STREQ("", result.toString().c_str());
        return result;
    }

    ScheduledUpdateProvider provider;
    ProviderEnvironmentIFCRef env;
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
    provider.enumInstances(env, kNamespace, "ZVQ_ScheduledSoftwareUpdate", instanceHandler,
                           E_LOCAL_ONLY, E_SHALLOW, E_EXCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN,
                           &noProperties, CIMClass(), CIMClass());
    // One listing and one description per instance.
    EXPECT_EQ(4u, runner->commandLines().size());
    ASSERT_EQ(2u, instances.size());
    // Request flags and the property list are not applied.
    const char* const names[] = {
        "InstanceID", "Name",         "ShortDescription", "UpdateDescription", "VersionString",
        "Location",   "DownloadDate", "ApplyDate",        "RebootRequired",    "Status",
        "Size"};
    const char* const values[] = {"A 1",
                                  "A",
                                  "Short",
                                  "About A\n",
                                  "1",
                                  "/opt/A",
                                  "20040105030405.000000+000",
                                  "20040210220000.000000+000",
                                  "true",
                                  "Pending",
                                  "2048"};
    CIMPropertyArray properties = instances[0].getProperties();
    ASSERT_EQ(11u, properties.size());
    for (size_t i = 0; i < properties.size(); ++i)
    {
        EXPECT_STREQ(names[i], properties[i].getName().c_str());
        EXPECT_STREQ(values[i], properties[i].getValue().toString().c_str());
    }
    EXPECT_STREQ("ZVQ_ScheduledSoftwareUpdate", instances[0].getClassName().c_str());
    EXPECT_TRUE(properties[0].isKey());
    EXPECT_EQ(CIMDataType::BOOLEAN, properties[8].getValue().getType());
    EXPECT_EQ(CIMDataType::DATETIME, properties[6].getValue().getType());
    // The description command failed for the second update: only that property is missing.
    EXPECT_FALSE(instances[1].getProperty("UpdateDescription"));
    EXPECT_EQ(10u, instances[1].getProperties().size());
}

TEST_F(ScheduledProviderTest, FindsInstancesByTheirKey)
{
    auto get = [&](const CIMObjectPath& path)
    {
        return provider.getInstance(env, kNamespace, path, E_NOT_LOCAL_ONLY, E_EXCLUDE_QUALIFIERS,
                                    E_EXCLUDE_CLASS_ORIGIN, nullptr, CIMClass());
    };
    CIMInstance found = get(PathOf("Base patch 2"));
    EXPECT_STREQ("Base patch", found.getPropertyValue("Name").toString().c_str());

    CIMObjectPath nameKeyOnly(kScheduledUpdateClassName, kNamespace);
    nameKeyOnly.setKeyValue("Name", CIMValue(String("A")));
    CIMObjectPath nullKey(kScheduledUpdateClassName, kNamespace);
    nullKey.setKeys(CIMPropertyArray(1, CIMProperty("InstanceID")));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, StatusOf([&] { get(nameKeyOnly); }));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, StatusOf([&] { get(nullKey); }));
    EXPECT_EQ(CIMException::NOT_FOUND, StatusOf([&] { get(PathOf("A  1")); }));

    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf([&] { provider.createInstance(env, kNamespace, found); }));
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf(
                  [&]
                  {
                      provider.modifyInstance(env, kNamespace, found, found, E_EXCLUDE_QUALIFIERS,
                                              nullptr, CIMClass());
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
    provider.deleteInstance(env, kNamespace, PathOf("A 1"));
    invoke(PathOf("A 1"), "Modify", DateParams(kJan5, "20041231235900.000000+000"));
    std::vector<std::string> lines = runner->commandLines();
    EXPECT_EQ((std::vector<std::string>{kListing, "/vk/bin/softinv --msched 'Base patch' 2",
                                        kListing, "/vk/bin/softinv --msched A 1", kListing,
                                        "/vk/bin/softinv --msched A 1 \"Mon Jan  5 03:04:05 "
                                        "2004\" \"Fri Dec 31 23:59:00 2004\""}),
              std::vector<std::string>(lines.begin() + 2, lines.end()));

    runner->script("/vk/bin/softinv --msched A 1", ScriptedRunner::Exit(16));
    EXPECT_EQ(CIMException::FAILED,
              StatusOf([&] { provider.deleteInstance(env, kNamespace, PathOf("A 1")); }));
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

TEST_F(ScheduledProviderTest, MasterRoutesTheClassHere)
{
    SoftwareUpdateProvider master;
    CIMObjectPathArray paths;
    CIMObjectPathArrayBuilder handler(paths);
    master.enumInstanceNames(env, kNamespace, "ZVQ_ScheduledSoftwareUpdate", handler, CIMClass());
    EXPECT_EQ(2u, paths.size());

    CIMParamValueArray in, out;
    CIMValue result = master.invokeMethod(env, kNamespace, PathOf("A 1"), "Remove", in, out);
    EXPECT_STREQ("", result.toString().c_str());
    EXPECT_EQ("/vk/bin/softinv --msched A 1", runner->commandLines().back());
}
