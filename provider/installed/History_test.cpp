// The history class against the scripted runner: parsing and its failures, lookups in the last
// listing, the description on request, the background roll-back, wide line numbers, and
// concurrent refreshes beside lookups.
#include "installed/HistoryProvider.h"
#include "testsupport/ProviderTestSupport.h"
#include "common/Common.h"

#include "OW_Bool.hpp"
#include "OW_CIMDateTime.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_DateTime.hpp"

#include <chrono>

using namespace OpenWBEM;

namespace
{

const char kClass[] = "ZVQ_HistorySoftwareUpdate";
const std::string kListing = "/vk/bin/softinv --hist 2>&1";
const char kDate[] = "Mon Jan  5 03:04:05 2004";

std::string Row(const std::string& name, const std::string& version,
                const std::string& removable = "Removable")
{
    return Line({name, version, "Fixes " + name, "Security", kDate, removable});
}

class HistoryTest : public SubProviderTest
{
protected:
    void SetUp() override
    {
        SubProviderTest::SetUp();
        HistoryListLock lock;
        gHistoryList.clear();
    }
    void List(const std::string& output)
    {
        runner->script(kListing, ScriptedRunner::Exit(0, output));
        EnumNames(provider, kClass);
    }
    int GetStatus(const std::string& id, const StringArray* propertyList = nullptr)
    {
        return StatusOf([&] { Get(provider, KeyedPath(kClass, id), propertyList); });
    }
    CIMValue Invoke(const std::string& id, const char* method)
    {
        CIMParamValueArray in, out;
        return provider.invokeMethod(env, kTestNamespace, KeyedPath(kClass, id), method, in, out);
    }

    HistoryUpdateProvider& provider = gAppliedUpdateProvider;
};

TEST_F(HistoryTest, ListingBecomesInstancesAndPaths)
{
    runner->script(kListing, ScriptedRunner::Exit(
                                 0, Row("pkg", "2.1") + Row("a", "1", "removable") +
                                        Row("b", "1", "Removable ") + Row("c", "1", "Removable\r") +
                                        Row("d", "1", "Fixed\textra")));
    std::vector<CIMInstance> instances = Enum(provider, kClass);
    ASSERT_EQ(5u, instances.size());
    const CIMInstance& first = instances[0];
    EXPECT_EQ(String(kClass), first.getClassName());
    EXPECT_TRUE(first.getProperty("InstanceID").isKey());
    // No UpdateDescription unless the client names it.
    EXPECT_EQ((std::vector<std::string>{"InstanceID=0", "Name=pkg", "VersionString=2.1",
                                        "ShortDescription=Fixes pkg", "Category=Security",
                                        std::string("Date=") +
                                            CIMDateTime(DateTime(String(kDate))).toString().c_str(),
                                        "Removeable=true"}),
              Properties(first));
    // Only the exact word marks a removable update.
    for (size_t i = 1; i < instances.size(); ++i)
    {
        EXPECT_EQ("false", Text(instances[i], "Removeable")) << i;
        EXPECT_EQ(std::to_string(i), Text(instances[i], "InstanceID"));
    }
    EXPECT_EQ("/root/cimv2:ZVQ_HistorySoftwareUpdate.InstanceID=\"4\"",
              std::string(EnumNames(provider, kClass).back().toString().c_str()));
}

TEST_F(HistoryTest, FailuresKeepOnlyWhatWasParsedBeforeThem)
{
    List(Row("a", "1") + Row("b", "2"));
    runner->script(kListing, ScriptedRunner::Exit(12));
    runner->script("/vk/bin/softinv --errors 12 2>&1", ScriptedRunner::Exit(0, "Update failed\n"));
    std::string message;
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { Enum(provider, kClass); }, &message));
    EXPECT_EQ(FailedText("Update failed\n\n#SWU_Softinv_SoftwareUpdateFailed#"), message);
    EXPECT_EQ(CIMException::NOT_FOUND, GetStatus("0"));

    // Adjacent tabs shift the fields left, so the line lacks its last one.
    runner->script(kListing,
                   ScriptedRunner::Exit(0, Row("a", "1") + "b\t2\t\tS\tdate\tRemovable\n"));
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { EnumNames(provider, kClass); }, &message));
    EXPECT_NE(std::string::npos,
              message.find("#SWU_Error_ParsingFailed,Removable,/vk/bin/softinv --hist#"));
    EXPECT_EQ(-1, GetStatus("0"));
    EXPECT_EQ(CIMException::NOT_FOUND, GetStatus("1"));

    List("");
    EXPECT_EQ(CIMException::NOT_FOUND, GetStatus("0"));
}

TEST_F(HistoryTest, LookupsReadTheLastListingWithoutRunningTheTool)
{
    EXPECT_EQ(CIMException::NOT_FOUND, GetStatus("0"));
    List(Row("a", "1") + Row("b", "2"));
    runner->reset();
    runner->script(kListing, ScriptedRunner::Exit(0, Row("new", "9")));

    EXPECT_EQ("b", Text(Get(provider, KeyedPath(kClass, "1")), "Name"));
    EXPECT_EQ(CIMException::NOT_FOUND, GetStatus("01"));
    EXPECT_EQ(CIMException::INVALID_PARAMETER,
              StatusOf([&] { Get(provider, KeyedPath(kClass, "1", "Name")); }));
    EXPECT_TRUE(runner->commandLines().empty());
    // The by-position members refuse positions past the list.
    EXPECT_EQ("a", Text(provider.GetInstance(0, nullptr), "Name"));
    EXPECT_EQ(CIMException::NOT_FOUND, StatusOf([&] { provider.GetInstance(2, nullptr); }));
}

TEST_F(HistoryTest, DescriptionIsFetchedOnlyWhenTheClientNamesIt)
{
    List(Row("pkg", "2.1") + Row("my pkg", "1;reboot"));
    runner->reset();
    runner->script("/vk/bin/softinv -l pkg-2.1 2>&1", ScriptedRunner::Exit(0, "About pkg\n"));
    StringArray names;
    names.append("Name");
    EXPECT_EQ("<absent>", Text(Get(provider, KeyedPath(kClass, "0"), &names), "UpdateDescription"));
    EXPECT_TRUE(runner->commandLines().empty());

    names.append("UpdateDescription");
    EXPECT_EQ("About pkg\n",
              Text(Get(provider, KeyedPath(kClass, "0"), &names), "UpdateDescription"));
    // A name from the tool's output reaches the shell as one quoted word.
    Get(provider, KeyedPath(kClass, "1"), &names);
    EXPECT_EQ("/vk/bin/softinv -l 'my pkg-1;reboot' 2>&1", runner->commandLines().back());

    runner->script("/vk/bin/softinv -l pkg-2.1 2>&1", ScriptedRunner::Exit(16));
    runner->script("/vk/bin/softinv --errors 16 2>&1", ScriptedRunner::Exit(1));
    std::string message;
    EXPECT_EQ(CIMException::FAILED,
              StatusOf([&] { Get(provider, KeyedPath(kClass, "0"), &names); }, &message));
    EXPECT_EQ(FailedText("SWU_Softinv_PatchRemoveFailed"), message);
}

TEST_F(HistoryTest, RemoveStartsTheRollBackInTheBackground)
{
    const std::chrono::milliseconds taskWait(5000);
    List(Row("a", "1") + Row("pkg", "2.1") + Row("x;reboot", "1 2"));
    runner->reset();
    CIMValue started = Invoke("1", "Remove");
    EXPECT_EQ(CIMDataType::BOOLEAN, started.getType());
    EXPECT_TRUE(started.toBool());
    EXPECT_TRUE(runner->waitForCall("/vk/bin/softinv --rback pkg 2.1", taskWait));
    EXPECT_EQ("/vk/bin/softinv --setinprogress", runner->commandLines().front());
    Invoke("2", "Remove");
    EXPECT_TRUE(runner->waitForCall("/vk/bin/softinv --rback 'x;reboot' '1 2'", taskWait));

    // The path is checked before the method name.
    EXPECT_EQ(CIMException::METHOD_NOT_FOUND, StatusOf([&] { Invoke("1", "remove"); }));
    EXPECT_EQ(CIMException::NOT_FOUND, StatusOf([&] { Invoke("7", "remove"); }));

    runner->reset();
    runner->script("/vk/bin/softinv --setinprogress", ScriptedRunner::Exit(1));
    std::string message;
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { Invoke("0", "Remove"); }, &message));
    EXPECT_EQ(0u, message.find("general error (Failed: /vk/bin/softinv --rback a 1\n"));
    EXPECT_EQ(1u, runner->commandLines().size());

    CIMInstance instance(kClass);
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf([&] { provider.createInstance(env, kTestNamespace, instance); }));
    EXPECT_EQ(
        CIMException::NOT_SUPPORTED,
        StatusOf([&] { provider.deleteInstance(env, kTestNamespace, KeyedPath(kClass, "0")); }));
}

TEST_F(HistoryTest, LongListingsKeepUniqueInstanceIDs)
{
    runner->script(kListing,
                   ScriptedRunner::Exit(0, Lines(kLinesPastSixteenBits, [](size_t i)
                                                 { return Row("p" + std::to_string(i), "1"); })));
    EXPECT_TRUE(provider.UpdateHistoryList());
    EXPECT_EQ(kLinesPastSixteenBits, (InstanceIDsOf<HistoryListLock>(gHistoryList).size()));
    EXPECT_EQ("p65536", Text(Get(provider, KeyedPath(kClass, "65536")), "Name"));
}

TEST_F(HistoryTest, ConcurrentRefreshesNeverShowAPartRecord)
{
    const std::vector<std::string> rest = {kDate, "Fixed"};
    // Two refreshers race each other as well as the lookups.
    EXPECT_EQ(0, RaceRefreshesAndLookups(
                     provider, kClass, kListing, Tagged('S', kRaceShortLines, "cat", rest),
                     Tagged('L', kRaceLongLines, "cat", rest), 2, 2,
                     [&](const std::string& id)
                     {
                         CIMInstance found = Get(provider, KeyedPath(kClass, id));
                         return Text(found, "InstanceID") == id &&
                                IsWholeTaggedRecord(found, id, "Category", "cat");
                     }));
}

TEST_F(HistoryTest, ListingRunsWhileTheListIsLockedAndFillsItAfterwards)
{
    runner->script(kListing, ScriptedRunner::Exit(0, Row("a", "1") + Row("b", "2")));
    EXPECT_EQ(2u, EnumNamesBesideLock<HistoryListLock>(provider, kClass, kListing,
                                                       [] { EXPECT_TRUE(gHistoryList.empty()); })
                      .size());
    EXPECT_EQ(2u, gHistoryList.size());

    // A failing run still leaves the list empty, whoever held the lock meanwhile.
    runner->script(kListing, ScriptedRunner::Exit(12));
    runner->script("/vk/bin/softinv --errors 12 2>&1", ScriptedRunner::Exit(0, "Update failed\n"));
    EXPECT_NE(-1, StatusOf([&] { EnumNames(provider, kClass); }));
    EXPECT_TRUE(gHistoryList.empty());
}

} // namespace
