// The history class against the scripted runner: parsing and its failures, lookups in the last
// listing, the description on request, the background roll-back, wide line numbers, and
// concurrent refreshes beside lookups.
#include "installed/HistoryProvider.h"
#include "installed/InstalledTestSupport.h"
#include "common/Common.h"

#include "OW_Bool.hpp"
#include "OW_CIMDateTime.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_DateTime.hpp"

#include <atomic>
#include <chrono>
#include <thread>

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

class HistoryTest : public InstalledProviderTest
{
protected:
    void SetUp() override
    {
        InstalledProviderTest::SetUp();
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
    EXPECT_EQ("0", Text(first, "InstanceID"));
    EXPECT_EQ("pkg", Text(first, "Name"));
    EXPECT_EQ("2.1", Text(first, "VersionString"));
    EXPECT_EQ("Fixes pkg", Text(first, "ShortDescription"));
    EXPECT_EQ("Security", Text(first, "Category"));
    EXPECT_EQ(CIMDateTime(DateTime(String(kDate))).toString().c_str(), Text(first, "Date"));
    EXPECT_EQ("true", Text(first, "Removeable"));
    EXPECT_EQ("<absent>", Text(first, "UpdateDescription"));
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

// Every field names its listing and line, so a reader can tell a whole record from one pieced
// together from different listings or lines.
std::string Tagged(char tag, size_t count)
{
    return Lines(
        count,
        [tag](size_t i)
        {
            std::string mark = tag + std::to_string(i);
            return Line({"name" + mark, "ver" + mark, "desc" + mark, "cat" + mark, kDate, "Fixed"});
        });
}

TEST_F(HistoryTest, ConcurrentRefreshesNeverShowAPartRecord)
{
    const size_t kShortLines = 20, kLongLines = 60;
    const int kRefreshes = 60;
    const int kReaderThreads = 2;
    const std::string shortListing = Tagged('S', kShortLines),
                      longListing = Tagged('L', kLongLines);

    runner->script(kListing, ScriptedRunner::Exit(0, longListing));
    // Two threads refresh a fixed number of times; the readers keep at it until they are done.
    std::atomic<int> refreshersLeft(2), faults(0), found(0);
    auto refresher = [&](bool scripts)
    {
        for (int round = 0; round < kRefreshes; ++round)
        {
            if (scripts)
            {
                runner->script(kListing,
                               ScriptedRunner::Exit(0, round % 2 ? shortListing : longListing));
            }
            // Whatever listing it ran, an enumeration hands out exactly that listing.
            std::vector<CIMObjectPath> paths;
            if (StatusOf([&] { paths = EnumNames(provider, kClass); }) != -1 ||
                (paths.size() != kShortLines && paths.size() != kLongLines))
            {
                ++faults;
            }
        }
        --refreshersLeft;
    };
    std::vector<std::thread> threads;
    threads.emplace_back(refresher, true);
    threads.emplace_back(refresher, false);
    for (int reader = 0; reader < kReaderThreads; ++reader)
    {
        threads.emplace_back(
            [&, reader]
            {
                for (size_t round = 0; refreshersLeft > 0; ++round)
                {
                    std::string id = std::to_string((round * 7 + reader) % kLongLines);
                    CIMInstance instance;
                    int status = StatusOf([&] { instance = Get(provider, KeyedPath(kClass, id)); });
                    if (status == CIMException::NOT_FOUND)
                    {
                        continue; // a short listing was in place
                    }
                    std::string mark = status == -1 ? Text(instance, "Name").substr(4) : "?";
                    if (status != -1 || Text(instance, "InstanceID") != id ||
                        mark.substr(1) != id || Text(instance, "VersionString") != "ver" + mark ||
                        Text(instance, "ShortDescription") != "desc" + mark ||
                        Text(instance, "Category") != "cat" + mark)
                    {
                        ++faults;
                    }
                    ++found;
                }
            });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    EXPECT_EQ(0, faults.load());
    EXPECT_GT(found.load(), 0);
}

TEST_F(HistoryTest, ListingRunsWhileTheListIsLockedAndFillsItAfterwards)
{
    runner->script(kListing, ScriptedRunner::Exit(0, Row("a", "1") + Row("b", "2")));
    std::vector<CIMObjectPath> paths;
    std::thread enumerator;
    {
        // Another request busy with the list must not keep this one from starting the tool.
        HistoryListLock lock;
        enumerator = std::thread([&] { paths = EnumNames(provider, kClass); });
        EXPECT_TRUE(runner->waitForCall(kListing, std::chrono::seconds(5)));
        EXPECT_TRUE(gHistoryList.empty());
    }
    enumerator.join();
    ASSERT_EQ(2u, paths.size());
    EXPECT_EQ(2u, gHistoryList.size());

    // A failing run still leaves the list empty, whoever held the lock meanwhile.
    runner->script(kListing, ScriptedRunner::Exit(12));
    runner->script("/vk/bin/softinv --errors 12 2>&1", ScriptedRunner::Exit(0, "Update failed\n"));
    EXPECT_NE(-1, StatusOf([&] { EnumNames(provider, kClass); }));
    EXPECT_TRUE(gHistoryList.empty());
}

} // namespace
