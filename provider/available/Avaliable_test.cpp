// The available-update list against the scripted runner: parsing and its failures, the
// placeholder, lookups in the last listing, the description on request, the four actions'
// command lines and exit-code rules, wide line numbers, and refreshes beside lookups.
#include "available/AvaliableTestSupport.h"
#include "common/Common.h"

#include <algorithm>

using namespace OpenWBEM;

namespace
{

TEST_F(AvaliableTest, CacheListingBecomesInstancesAndPaths)
{
    runner->script(kCacheListing,
                   ScriptedRunner::Exit(0, CacheRow("pkg", "2.1", "reboot", "Schedule") +
                                               CacheRow("a", "1", "Reboot", "Obsolete") +
                                               CacheRow("b", "1", "reboot ", "Applied") +
                                               CacheRow("c", "1", "noreboot", "Invalid\textra") +
                                               CacheRow("d", "1", "reboot", "available") +
                                               CacheRow("e", "1", "reboot", "Available")));
    // Whatever class the request names, the instances are of the available-update class.
    std::vector<CIMInstance> instances = Enum(provider, "Other_Class");
    ASSERT_EQ(6u, instances.size());
    const CIMInstance& first = instances[0];
    EXPECT_EQ(String(kAvaliableClass), first.getClassName());
    EXPECT_TRUE(first.getProperty("InstanceID").isKey());
    EXPECT_EQ((std::vector<std::string>{"InstanceID=0", "Name=pkg", "ShortDescription=About pkg",
                                        "VersionString=2.1", "Size=2 MB", "RebootRequired=true",
                                        "Status=2"}),
              Properties(first));
    EXPECT_EQ(CIMDataType::UINT8, first.getProperty("Status").getValue().getType());

    const char* const reboot[] = {"true", "false", "false", "false", "true", "true"};
    const char* const status[] = {"2", "0", "1", "4", "154", "3"};
    for (size_t i = 0; i < instances.size(); ++i)
    {
        EXPECT_EQ(std::to_string(i), Text(instances[i], "InstanceID"));
        EXPECT_EQ(reboot[i], Text(instances[i], "RebootRequired")) << i;
        EXPECT_EQ(status[i], Text(instances[i], "Status")) << i;
    }
    std::vector<CIMObjectPath> paths = EnumNames(provider, kAvaliableClass);
    ASSERT_EQ(6u, paths.size());
    EXPECT_EQ("/root/cimv2:ZVQ_AvailableSoftwareUpdate.InstanceID=\"5\"",
              std::string(paths.back().toString().c_str()));
}

TEST_F(AvaliableTest, PlaceholderAnswersUntilTheFirstListing)
{
    CIMInstance dummy = Get(provider, KeyedPath(kAvaliableClass, "1"));
    EXPECT_EQ("Dummy", Text(dummy, "Name"));
    EXPECT_EQ("", Text(dummy, "VersionString"));
    EXPECT_EQ("", Text(dummy, "ShortDescription"));
    EXPECT_EQ("", Text(dummy, "Size"));
    EXPECT_EQ(CIMException::NOT_FOUND,
              StatusOf([&] { Get(provider, KeyedPath(kAvaliableClass, "0")); }));
    EXPECT_TRUE(runner->commandLines().empty());

    List(CacheRow("a", "1") + CacheRow("b", "2"));
    EXPECT_EQ("b", Text(Get(provider, KeyedPath(kAvaliableClass, "1")), "Name"));
    EXPECT_EQ(CIMException::NOT_FOUND,
              StatusOf([&] { Get(provider, KeyedPath(kAvaliableClass, "01")); }));
    EXPECT_EQ(CIMException::INVALID_PARAMETER,
              StatusOf([&] { Get(provider, KeyedPath(kAvaliableClass, "1", "Name")); }));
    EXPECT_TRUE(runner->commandLines().empty());
    // The by-position member refuses positions past the list.
    EXPECT_EQ(CIMException::NOT_FOUND, StatusOf([&] { provider.GetInstance(2, nullptr); }));
    CIMInstance instance(kAvaliableClass);
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf([&] { provider.createInstance(env, kTestNamespace, instance); }));
}

TEST_F(AvaliableTest, FailuresKeepOnlyWhatWasParsedBeforeThem)
{
    runner->script(kCacheListing, ScriptedRunner::Exit(19));
    runner->script("/vk/bin/softinv --errors 19 2>&1", ScriptedRunner::Exit(0, "No HTTP\n"));
    std::string message;
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { Enum(provider, kAvaliableClass); }, &message));
    EXPECT_EQ(FailedText("No HTTP\n\n#SWU_Softinv_HttpFailed#"), message);
    // Even the placeholder is gone.
    EXPECT_EQ(CIMException::NOT_FOUND,
              StatusOf([&] { Get(provider, KeyedPath(kAvaliableClass, "1")); }));

    // An empty Short Description shifts the later fields left, so the line lacks its last one.
    runner->script(kCacheListing,
                   ScriptedRunner::Exit(0, CacheRow("a", "1") + "b\t2\t\t5 KB\treboot\tApplied\n"));
    EXPECT_EQ(CIMException::FAILED,
              StatusOf([&] { EnumNames(provider, kAvaliableClass); }, &message));
    EXPECT_NE(std::string::npos,
              message.find("#SWU_Error_ParsingFailed,Category,/vk/bin/softinv --cache #"));
    EXPECT_EQ(1u, (InstanceIDsOf<AvaliableListLock>(gAvaliableList).size()));

    runner->script(kCacheListing, ScriptedRunner::Exit(0, CacheRow("a", "1") + "\n"));
    EXPECT_EQ(CIMException::FAILED,
              StatusOf([&] { EnumNames(provider, kAvaliableClass); }, &message));
    EXPECT_NE(std::string::npos, message.find("#SWU_Error_ParsingFailed,Name,"));
}

TEST_F(AvaliableTest, DescriptionIsFetchedOnlyWhenTheClientNamesIt)
{
    List(CacheRow("pkg", "2.1") + CacheRow("my pkg", "1;x"));
    runner->script("/vk/bin/softinv -l pkg-2.1 2>&1", ScriptedRunner::Exit(0, "About pkg\n"));
    StringArray names;
    names.append("updatedescription");
    EXPECT_EQ("<absent>",
              Text(Get(provider, KeyedPath(kAvaliableClass, "0"), &names), "UpdateDescription"));
    EXPECT_TRUE(runner->commandLines().empty());

    names.append("UpdateDescription");
    CIMInstance described = Get(provider, KeyedPath(kAvaliableClass, "0"), &names);
    EXPECT_EQ("About pkg\n", Text(described, "UpdateDescription"));
    EXPECT_EQ("pkg", Text(described, "Name"));
    // Named twice, fetched twice; a name from the tool's output reaches the shell as one word.
    names.append("UpdateDescription");
    Get(provider, KeyedPath(kAvaliableClass, "1"), &names);
    EXPECT_EQ((std::vector<std::string>{"/vk/bin/softinv -l pkg-2.1 2>&1",
                                        "/vk/bin/softinv -l 'my pkg-1;x' 2>&1",
                                        "/vk/bin/softinv -l 'my pkg-1;x' 2>&1"}),
              runner->commandLines());

    runner->script("/vk/bin/softinv -l pkg-2.1 2>&1", ScriptedRunner::Exit(12));
    runner->script("/vk/bin/softinv --errors 12 2>&1", ScriptedRunner::Exit(1));
    std::string message;
    EXPECT_EQ(CIMException::FAILED,
              StatusOf([&] { Get(provider, KeyedPath(kAvaliableClass, "0"), &names); }, &message));
    EXPECT_EQ(FailedText("SWU_Softinv_SoftwareUpdateFailed"), message);
}

TEST_F(AvaliableTest, ActionsRunTheirCommandsWithTheirExitCodeRules)
{
    List(CacheRow("pkg", "2.1") + CacheRow("a b", "1`touch x`"));
    AvaliableUpdate pkg = FindAvaliableUpdate(KeyedPath(kAvaliableClass, "0"));
    AvaliableUpdate hostile = FindAvaliableUpdate(KeyedPath(kAvaliableClass, "1"));
    const std::string warnings = "/vk/bin/softinv --warnings pkg 2.1  2>&1";

    runner->script(warnings, ScriptedRunner::Exit(1, "Needs a reboot\n"));
    EXPECT_EQ("Needs a reboot\n", std::string(pkg.Warnings().c_str()));
    runner->script(warnings, ScriptedRunner::NoPipe());
    EXPECT_EQ("", std::string(pkg.Warnings().c_str()));
    runner->script(warnings, ScriptedRunner::Exit(2));
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { pkg.Warnings(); }));

    const std::string check = "/vk/bin/softinv --hascomponents pkg 2.1";
    runner->script(check, ScriptedRunner::Exit(0));
    EXPECT_TRUE(pkg.HasOptionalComponents());
    runner->script(check, ScriptedRunner::Exit(1));
    EXPECT_FALSE(pkg.HasOptionalComponents());
    runner->script(check, ScriptedRunner::Exit(12));
    hostile.HasOptionalComponents();
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { pkg.HasOptionalComponents(); }));
    {
        // The context is switched before the check runs.
        ComponentContextLock lock;
        EXPECT_EQ("pkg", std::string(gPatchName.c_str()));
        EXPECT_EQ("2.1", std::string(gPatchVersion.c_str()));
    }

    const String start("Mon Jan  5 03:04:05 2004"), end("Tue Jan  6 03:04:05 2004");
    const std::string schedule = "/vk/bin/softinv --sched pkg 2.1 \"Mon Jan  5 03:04:05 2004\" "
                                 "\"Tue Jan  6 03:04:05 2004\" 2>&1";
    runner->script(schedule, ScriptedRunner::Exit(0, "Scheduled\n"));
    EXPECT_EQ("Scheduled\n", std::string(pkg.Schedule(start, end).c_str()));
    runner->script(schedule, ScriptedRunner::Exit(17));
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { pkg.Schedule(start, end); }));

    EXPECT_EQ("", std::string(pkg.Apply().c_str()));
    EXPECT_TRUE(runner->waitForCall("/vk/bin/softinv --apply pkg 2.1 ", kTaskWait));
    // Hostile names from the tool's output stay words of their own.
    hostile.Warnings();
    hostile.Apply();
    EXPECT_TRUE(runner->waitForCall("/vk/bin/softinv --apply 'a b' '1`touch x`' ", kTaskWait));
    std::vector<std::string> lines = runner->commandLines();
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(),
                                     "/vk/bin/softinv --hascomponents 'a b' '1`touch x`'"));
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(),
                                     "/vk/bin/softinv --warnings 'a b' '1`touch x`'  2>&1"));
}

TEST_F(AvaliableTest, ApplyEndsWithTheChosenComponents)
{
    List(CacheRow("pkg", "2.1"));
    AvaliableUpdate pkg = FindAvaliableUpdate(KeyedPath(kAvaliableClass, "0"));
    pkg.HasOptionalComponents();
    runner->script("/vk/bin/softinv --components pkg 2.1 2>&1",
                   ScriptedRunner::Exit(0, "core\t1\nextras\nmy docs\n"));
    {
        ComponentContextLock lock;
        RefillComponentList();
        gComponentList[0].setInstall(true);
        gComponentList[2].setInstall(true);
    }
    pkg.Apply();
    EXPECT_TRUE(runner->waitForCall("/vk/bin/softinv --apply pkg 2.1 core 'my docs'", kTaskWait));

    runner->reset();
    runner->script("/vk/bin/softinv --setinprogress", ScriptedRunner::Exit(1));
    std::string message;
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { pkg.Apply(); }, &message));
    EXPECT_EQ(0u, message.find("general error (Failed: /vk/bin/softinv --apply pkg 2.1 core"));
}

TEST_F(AvaliableTest, LongListingsKeepUniqueInstanceIDs)
{
    runner->script(
        kCacheListing,
        ScriptedRunner::Exit(0, Lines(kLinesPastSixteenBits, [](size_t i)
                                      { return CacheRow("p" + std::to_string(i), "1"); })));
    EXPECT_TRUE(provider.GetCachedList());
    EXPECT_EQ(kLinesPastSixteenBits, (InstanceIDsOf<AvaliableListLock>(gAvaliableList).size()));
    EXPECT_EQ("p65536", Text(Get(provider, KeyedPath(kAvaliableClass, "65536")), "Name"));
}

TEST_F(AvaliableTest, ListingRunsWhileTheListIsLockedAndFillsItAfterwards)
{
    runner->script(kCacheListing, ScriptedRunner::Exit(0, CacheRow("a", "1") + CacheRow("b", "2")));
    std::vector<CIMObjectPath> paths = EnumNamesBesideLock<AvaliableListLock>(
        provider, kAvaliableClass, kCacheListing,
        []
        {
            // Still the placeholder: nothing is emptied before the lock is had.
            ASSERT_EQ(1u, gAvaliableList.size());
            EXPECT_EQ(kAvaliablePlaceholderName, std::string(gAvaliableList[0].getName().c_str()));
        });
    ASSERT_EQ(2u, paths.size());
    EXPECT_EQ("b", Text(Get(provider, paths[1]), "Name"));

    // The refresh of the method side fails and keeps records the same way.
    runner->script(kCacheListing, ScriptedRunner::Exit(0, CacheRow("c", "3") + "d\t4\n"));
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { provider.GetCachedList(); }));
    EXPECT_EQ(1u, (InstanceIDsOf<AvaliableListLock>(gAvaliableList).size()));
    EXPECT_EQ("c", Text(Get(provider, KeyedPath(kAvaliableClass, "0")), "Name"));
}

TEST_F(AvaliableTest, RefreshesBesideLookupsNeverShowAPartRecord)
{
    const std::vector<std::string> rest = {"noreboot", "Available"};
    // Lookups through getInstance and through a method both see whole records or none. The
    // long listing is in place before they start, so they never meet the placeholder.
    EXPECT_EQ(0, RaceRefreshesAndLookups(provider, kAvaliableClass, kCacheListing,
                                         Tagged('S', kRaceShortLines, "size", rest),
                                         Tagged('L', kRaceLongLines, "size", rest), 1, 1,
                                         [&](const std::string& id)
                                         {
                                             CIMInstance found =
                                                 Get(provider, KeyedPath(kAvaliableClass, id));
                                             Invoke(id, "Warnings");
                                             return IsWholeTaggedRecord(found, id, "Size", "size");
                                         }));
}

} // namespace
