// The component class and the component context against the scripted runner: the flow from no
// context to chosen components, the listing's failures, the refusals of modifyInstance, the
// quoting of names, wide line numbers, and concurrent checks, listings and choices.
#include "installed/ComponentProvider.h"
#include "testsupport/ProviderTestSupport.h"
#include "common/Common.h"

#include "OW_CIMParamValue.hpp"

#include <atomic>
#include <sstream>
#include <thread>

using namespace OpenWBEM;

namespace
{

const char kClass[] = "ZVQ_SoftwareUpdateComponent";
const std::string kPkgListing = "/vk/bin/softinv --components pkg 2.1 2>&1";

class ComponentTest : public SubProviderTest
{
protected:
    void SetUp() override
    {
        SubProviderTest::SetUp();
        SetOptionalComponentContext("", "");
        // Every listing prints its exit code; tests that check the line read it themselves.
        testing::internal::CaptureStdout();
    }
    void TearDown() override
    {
        testing::internal::GetCapturedStdout();
        SetOptionalComponentContext("", "");
        SubProviderTest::TearDown();
    }
    void List(const std::string& listing, const std::string& output)
    {
        runner->script(listing, ScriptedRunner::Exit(0, output));
        Enum(provider, kClass);
    }
    int Modify(const CIMProperty& instanceID, const CIMProperty& install)
    {
        CIMInstance modified(kClass);
        if (instanceID)
        {
            modified.setProperty(instanceID);
        }
        if (install)
        {
            modified.setProperty(install);
        }
        return StatusOf(
            [&]
            {
                provider.modifyInstance(env, kTestNamespace, modified, CIMInstance(kClass),
                                        WBEMFlags::E_EXCLUDE_QUALIFIERS, nullptr, CIMClass(kClass));
            });
    }
    int Choose(const std::string& id, bool install)
    {
        return Modify(CIMProperty("InstanceID", CIMValue(String(id.c_str()))),
                      CIMProperty("Install", CIMValue(install)));
    }
    // What was printed on standard output since the last call (or since SetUp).
    std::string Printed()
    {
        std::string text = testing::internal::GetCapturedStdout();
        testing::internal::CaptureStdout();
        return text;
    }
    std::string Chosen() { return GetOptionalComponentList().c_str(); }
    std::string InstallOf(const std::string& id)
    {
        return Text(Get(provider, KeyedPath(kClass, id)), "Install");
    }

    ComponentProvider& provider = gComponentProvider;
};

TEST_F(ComponentTest, FromNoContextToChosenComponents)
{
    std::string message;
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { Enum(provider, kClass); }, &message));
    EXPECT_EQ(FailedText("Missing Name and/or Version"), message);
    SetOptionalComponentContext("pkg", "");
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { EnumNames(provider, kClass); }));
    EXPECT_TRUE(runner->commandLines().empty());

    // Extra columns and leading tabs do not matter; only the first field names a component.
    SetOptionalComponentContext("pkg", "2.1");
    Printed();
    runner->script(kPkgListing, ScriptedRunner::Exit(0, "alpha\tx\ty\n\tbeta\ngamma"));
    std::vector<CIMInstance> listed = Enum(provider, kClass);
    EXPECT_EQ("Exit code: 0\n", Printed());
    ASSERT_EQ(3u, listed.size());
    EXPECT_TRUE(listed[0].getProperty("InstanceID").isKey());
    // Nobody chose anything yet, so nothing is to be installed.
    EXPECT_EQ((std::vector<std::string>{"InstanceID=1", "Name=beta",
                                        "VersionString=", "ShortDescription=", "Install=false"}),
              Properties(listed[1]));
    EXPECT_EQ("gamma", Text(listed[2], "Name"));
    EXPECT_EQ("2", Text(listed[2], "InstanceID"));
    EXPECT_EQ("", Chosen());

    // The choice is kept in the list only, and the apply text follows list order.
    runner->reset();
    Choose("2", true);
    Choose("0", true);
    Modify(CIMProperty("InstanceID", CIMValue(UInt32(1))), CIMProperty("Install", CIMValue(false)));
    EXPECT_EQ("alpha gamma", Chosen());
    EXPECT_EQ("true", InstallOf("0"));
    EXPECT_EQ("false", InstallOf("1"));
    EXPECT_TRUE(runner->commandLines().empty());

    // A new listing forgets the choice; a new check empties the list at once.
    List(kPkgListing, "alpha\nbeta\n");
    EXPECT_EQ("", Chosen());
    Choose("1", true);
    EXPECT_EQ("beta", Chosen());
    SetOptionalComponentContext("other", "1");
    EXPECT_EQ("", Chosen());
    EXPECT_EQ(CIMException::NOT_FOUND, StatusOf([&] { InstallOf("0"); }));
}

TEST_F(ComponentTest, ListingFailuresAndRefusedChoices)
{
    SetOptionalComponentContext("pkg", "2.1");
    List(kPkgListing, "alpha\n");
    runner->script(kPkgListing, ScriptedRunner::Exit(23));
    runner->script("/vk/bin/softinv --errors 23 2>&1", ScriptedRunner::Exit(0, "None\n"));
    Printed();
    std::string message;
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { Enum(provider, kClass); }, &message));
    EXPECT_EQ("Exit code: 23\n", Printed());
    EXPECT_EQ(FailedText("None\n\n#SWU_Softinv_NoPatchesFound#"), message);
    EXPECT_EQ(CIMException::NOT_FOUND, StatusOf([&] { InstallOf("0"); }));

    runner->script(kPkgListing, ScriptedRunner::Exit(0, "alpha\nbeta\n\ngamma\n"));
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { Enum(provider, kClass); }, &message));
    EXPECT_NE(std::string::npos,
              message.find("#SWU_Error_ParsingFailed,Name,/vk/bin/softinv --components #"));
    EXPECT_EQ(CIMException::NOT_FOUND, StatusOf([&] { InstallOf("2"); }));

    // Refused choices change nothing.
    Choose("0", true);
    const CIMProperty no(CIMNULL), yes("Install", CIMValue(true)), nullInstall("Install");
    const CIMProperty nullID("InstanceID"), unknownID("InstanceID", CIMValue(String("5")));
    const CIMProperty secondID("InstanceID", CIMValue(String("1")));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, Modify(no, yes));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, Modify(nullID, yes));
    EXPECT_EQ(CIMException::NOT_FOUND, Modify(unknownID, yes));
    EXPECT_EQ(CIMException::NOT_FOUND, Modify(secondID, no));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, Modify(secondID, nullInstall));
    EXPECT_EQ("alpha", Chosen());

    const CIMObjectPath first = KeyedPath(kClass, "0");
    CIMParamValueArray in, out;
    EXPECT_EQ(
        CIMException::METHOD_NOT_FOUND,
        StatusOf([&] { provider.invokeMethod(env, kTestNamespace, first, "Install", in, out); }));
    EXPECT_EQ(
        CIMException::NOT_SUPPORTED,
        StatusOf([&] { provider.deleteInstance(env, kTestNamespace, KeyedPath(kClass, "0")); }));
}

TEST_F(ComponentTest, NamesReachTheShellAsSingleWords)
{
    SetOptionalComponentContext("my pkg", "1;reboot");
    const std::string listing = "/vk/bin/softinv --components 'my pkg' '1;reboot' 2>&1";
    List(listing, "two words\nplain\n$(halt)\n");
    EXPECT_EQ(std::vector<std::string>{listing}, runner->commandLines());
    Choose("0", true);
    Choose("1", true);
    Choose("2", true);
    EXPECT_EQ("'two words' plain '$(halt)'", Chosen());
}

TEST_F(ComponentTest, LongListingsKeepUniqueInstanceIDs)
{
    SetOptionalComponentContext("pkg", "2.1");
    runner->script(kPkgListing,
                   ScriptedRunner::Exit(0, Lines(kLinesPastSixteenBits, [](size_t i)
                                                 { return "c" + std::to_string(i) + "\n"; })));
    EXPECT_TRUE(provider.UpdateList());
    EXPECT_EQ(kLinesPastSixteenBits, (InstanceIDsOf<ComponentContextLock>(gComponentList).size()));
    Choose("65536", true);
    EXPECT_EQ("c65536", Chosen());
}

TEST_F(ComponentTest, ListingRunsOutsideTheLockAndYieldsToANewerContext)
{
    SetOptionalComponentContext("pkg", "2.1");
    List(kPkgListing, "alpha\nbeta\n");
    Choose("1", true);
    Printed();

    // The run leaves the list (and the choices in it) alone; only the fill replaces it.
    runner->script(kPkgListing, ScriptedRunner::Exit(0, "alpha\nbeta\ngamma\n"));
    ComponentListingRun run = RunComponentListing();
    EXPECT_EQ("Exit code: 0\n", Printed());
    EXPECT_EQ("beta", Chosen());
    {
        ComponentContextLock lock;
        EXPECT_EQ(3u, FillComponentList(run).size());
        EXPECT_EQ(3u, gComponentList.size());
    }
    EXPECT_EQ("", Chosen());

    // A check while the tool runs: the listing counts as finished before it, so the caller gets
    // the old update's components and the list stays as the check left it.
    run = RunComponentListing();
    SetOptionalComponentContext("other", "1");
    Array<Component> records;
    {
        ComponentContextLock lock;
        records = FillComponentList(run);
        EXPECT_TRUE(gComponentList.empty());
    }
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ("alpha", std::string(records[0].getName().c_str()));
    EXPECT_EQ("", Chosen());

    // Errors are thrown the same way whether the context moved on or not.
    SetOptionalComponentContext("pkg", "2.1");
    runner->script(kPkgListing, ScriptedRunner::Exit(0, "alpha\n\n"));
    run = RunComponentListing();
    SetOptionalComponentContext("pkg", "2.1");
    std::string message;
    EXPECT_EQ(CIMException::FAILED, StatusOf(
                                        [&]
                                        {
                                            ComponentContextLock lock;
                                            FillComponentList(run);
                                        },
                                        &message));
    EXPECT_NE(std::string::npos, message.find("#SWU_Error_ParsingFailed,Name,"));
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { EnumNames(provider, kClass); }));
    EXPECT_EQ(1u, (InstanceIDsOf<ComponentContextLock>(gComponentList).size()));

    // Without a context the refusal comes before any command and empties the list.
    runner->reset();
    SetOptionalComponentContext("", "");
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { RunComponentListing(); }));
    EXPECT_TRUE(runner->commandLines().empty());
}

TEST_F(ComponentTest, ConcurrentChecksListingsAndChoicesStayConsistent)
{
    // Update "p" in version v has the components "v-0", "v-1", ...
    const char* const kVersions[] = {"1", "2"};
    const size_t kLines = 60;
    const int kListings = 60;
    for (const char* v : kVersions)
    {
        runner->script(
            std::string("/vk/bin/softinv --components p ") + v + " 2>&1",
            ScriptedRunner::Exit(
                0, Lines(kLines, [v](size_t i) { return v + ("-" + std::to_string(i)) + "\n"; })));
    }
    SetOptionalComponentContext("p", "1");

    // One thread lists a fixed number of times; the others keep at it until it is done.
    std::atomic<bool> listingsDone(false);
    std::atomic<int> faults(0);
    std::vector<std::thread> threads;
    threads.emplace_back(
        [&]
        {
            for (int round = 0; round < kListings; ++round)
            {
                // A listing lists all of the update of the context it started with.
                std::vector<CIMInstance> listed;
                if (StatusOf([&] { listed = Enum(provider, kClass); }) != -1 ||
                    listed.size() != kLines)
                {
                    ++faults;
                    continue;
                }
                std::string version = Text(listed[0], "Name").substr(0, 1);
                for (size_t i = 0; i < listed.size(); ++i)
                {
                    faults += Text(listed[i], "Name") != version + "-" + std::to_string(i);
                }
            }
            listingsDone = true;
        });
    threads.emplace_back(
        [&]
        {
            for (size_t round = 0; !listingsDone; ++round)
            {
                SetOptionalComponentContext("p", kVersions[round % 2]);
            }
        });
    threads.emplace_back(
        [&]
        {
            for (size_t round = 0; !listingsDone; ++round)
            {
                int status = Choose(std::to_string(round % kLines), true);
                faults += status != -1 && status != CIMException::NOT_FOUND;
            }
        });
    threads.emplace_back(
        [&]
        {
            while (!listingsDone)
            {
                // The chosen names are whole and all come from one listing.
                std::istringstream names(Chosen());
                std::set<char> versions;
                std::string name;
                while (names >> name)
                {
                    versions.insert(name[0]);
                    size_t line = std::strtoul(name.c_str() + 2, nullptr, 10);
                    faults += name.size() < 3 || name[1] != '-' || line >= kLines ||
                              name.substr(2) != std::to_string(line);
                }
                faults += versions.size() > 1;
            }
        });
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    EXPECT_EQ(0, faults.load());
}

} // namespace
