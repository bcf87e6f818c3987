// The two inventory classes against the scripted runner: parsing and the classification words,
// the listing's failures, lookups in the last listing, the cartridge class and its configured
// name, the refusals, wide line numbers; and the road of all four installed-software classes
// through the master provider.
#include "installed/ComponentProvider.h"
#include "installed/InventoryProvider.h"
#include "installed/InstalledTestSupport.h"
#include "master/MasterProvider.h"
#include "common/Common.h"

#include "OW_Bool.hpp"
#include "OW_CIMDateTime.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_DateTime.hpp"

#include <chrono>
#include <thread>

using namespace OpenWBEM;

namespace
{

const char kIdentity[] = "ZVQ_SoftwareIdentity";
const char kCartridge[] = "ZVQ_ElementManagerCartridgeVersionInfo";
const std::string kListing = "/vk/bin/softinv  2>&1";
const char kDate[] = "Tue Feb 10 22:00:00 2004";

std::string Package(const std::string& name, const std::string& version,
                    const std::string& classification = "Other")
{
    return Line({name, version, classification, kDate});
}

class InventoryTest : public InstalledProviderTest
{
protected:
    void SetUp() override
    {
        InstalledProviderTest::SetUp();
        Initialize({});
        InventoryListLock lock;
        gInventoryList.clear();
    }
    void Initialize(std::map<std::string, std::string> config)
    {
        provider.initialize(
            ProviderEnvironmentIFCRef(new TestEnvironment(LoggerRef(logger), config)));
    }
    int GetStatus(const char* className, const std::string& key, const char* keyName = "InstanceID")
    {
        return StatusOf([&] { Get(provider, KeyedPath(className, key, keyName)); });
    }
    // The versions the cartridge class lists, as paths and then as instances.
    std::vector<std::string> CartridgeVersions()
    {
        std::vector<std::string> versions;
        for (const CIMObjectPath& path : EnumNames(provider, kCartridge))
        {
            versions.push_back(KeyText(path, "Version"));
        }
        for (const CIMInstance& instance : Enum(provider, kCartridge))
        {
            EXPECT_EQ(1u, instance.getProperties().size());
            versions.push_back(Text(instance, "Version"));
        }
        return versions;
    }

    InventoryProvider& provider = gInventoryProvider;
};

TEST_F(InventoryTest, ListingBecomesSoftwareIdentities)
{
    runner->script(kListing,
                   ScriptedRunner::Exit(0, Package("kernel", "1.0", "Operating System") +
                                               Package("tool", "2", "operating system") +
                                               Package("drv", "3", "Driver ") +
                                               Line({"app", "4", "Middleware", kDate, "ignored"})));
    std::vector<CIMInstance> instances = Enum(provider, kIdentity);
    ASSERT_EQ(4u, instances.size());
    const CIMInstance& kernel = instances[0];
    EXPECT_EQ(String(kIdentity), kernel.getClassName());
    EXPECT_FALSE(kernel.getProperty("InstanceID").isKey());
    EXPECT_EQ("0", Text(kernel, "InstanceID"));
    EXPECT_EQ("kernel", Text(kernel, "Name"));
    EXPECT_EQ("1.0", Text(kernel, "PackageVersion"));
    EXPECT_EQ("1.0", Text(kernel, "RevisionNumber"));
    EXPECT_EQ(CIMDataType::UINT16, kernel.getProperty("Classifications").getValue().getType());
    EXPECT_EQ("8", Text(kernel, "Classifications"));
    EXPECT_EQ(CIMDateTime(DateTime(String(kDate))).toString().c_str(),
              Text(kernel, "InstalledDate"));
    // Words match whole and in their exact letter case only.
    EXPECT_EQ("0", Text(instances[1], "Classifications"));
    EXPECT_EQ("0", Text(instances[2], "Classifications"));
    EXPECT_EQ("9", Text(instances[3], "Classifications"));
    const char* const words[] = {"Other",
                                 "Driver",
                                 "Configuration Software",
                                 "Application Software",
                                 "Instrumentation",
                                 "Firmware/BIOS",
                                 "Diagnostic Software",
                                 "Operating System",
                                 "Middleware",
                                 "Firmware",
                                 "BIOS/FCode"};
    for (UInt16 number = 1; number <= 11; ++number)
    {
        EXPECT_EQ(number, ClassificationFromWord(words[number - 1])) << words[number - 1];
    }
    EXPECT_EQ("/root/cimv2:ZVQ_SoftwareIdentity.InstanceID=\"3\"",
              std::string(EnumNames(provider, kIdentity).back().toString().c_str()));
}

TEST_F(InventoryTest, FailuresAndLookupsInTheLastListing)
{
    EXPECT_EQ(CIMException::NOT_FOUND, GetStatus(kIdentity, "0"));
    runner->script(kListing, ScriptedRunner::Exit(0, Package("a", "1") + Package("b", "2") +
                                                         Package("c", "3")));
    EnumNames(provider, kIdentity);
    runner->script(kListing, ScriptedRunner::Exit(0, Package("new", "9")));
    EXPECT_EQ("b", Text(Get(provider, KeyedPath(kIdentity, "1")), "Name"));
    EXPECT_EQ(CIMException::NOT_FOUND, GetStatus(kIdentity, "3"));

    runner->script(kListing, ScriptedRunner::Exit(0, Package("a", "1") + "b\t2\tOther\n"));
    std::string message;
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { Enum(provider, kIdentity); }, &message));
    EXPECT_NE(std::string::npos, message.find("#SWU_Error_ParsingFailed,Date,/vk/bin/softinv #"));
    EXPECT_EQ(-1, GetStatus(kIdentity, "0"));
    EXPECT_EQ(CIMException::NOT_FOUND, GetStatus(kIdentity, "1"));

    runner->script(kListing, ScriptedRunner::Exit(33));
    runner->script("/vk/bin/softinv --errors 33 2>&1", ScriptedRunner::Exit(2, "ignored"));
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { EnumNames(provider, kCartridge); }, &message));
    EXPECT_EQ(FailedText("SWU_Softinv_NoLocalPatchesFound"), message);
    EXPECT_EQ(CIMException::NOT_FOUND, GetStatus(kIdentity, "0"));

    CIMInstance instance(kIdentity);
    CIMParamValueArray in, out;
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf([&] { provider.createInstance(env, kTestNamespace, instance); }));
    EXPECT_EQ(CIMException::NOT_SUPPORTED, StatusOf(
                                               [&] {
                                                   provider.invokeMethod(env, kTestNamespace,
                                                                         KeyedPath(kCartridge, "0"),
                                                                         "Any", in, out);
                                               }));
}

TEST_F(InventoryTest, CartridgeVersionIsThePackageWithTheConfiguredName)
{
    runner->script(
        kListing,
        ScriptedRunner::Exit(0, Package("kernel", "1.0") + Package("zvq77EMcartridge", "5.2") +
                                    Package("mine", "7.0") + Package("zvq77EMcartridge", "5.3")));
    EXPECT_EQ((std::vector<std::string>{"5.2", "5.3", "5.2", "5.3"}), CartridgeVersions());
    // The first cartridge record answers, whatever version the path names.
    EXPECT_EQ("5.2", Text(Get(provider, KeyedPath(kCartridge, "5.3", "Version")), "Version"));
    EXPECT_EQ("mine", Text(Get(provider, KeyedPath(kIdentity, "2")), "Name"));

    Initialize({{"vk.em_filename", "mine"}});
    EXPECT_EQ((std::vector<std::string>{"7.0", "7.0"}), CartridgeVersions());

    // Without a cartridge a cartridge path, which has no InstanceID, is refused.
    Initialize({{"vk.em_filename", "absent"}});
    EXPECT_TRUE(CartridgeVersions().empty());
    logger->clear();
    EXPECT_EQ(CIMException::INVALID_PARAMETER, GetStatus(kCartridge, "7.0", "Version"));
    EXPECT_EQ(std::vector<std::string>{"Missing InstanceID property"},
              logger->textsAt(E_ERROR_LEVEL));
}

TEST_F(InventoryTest, LongListingsKeepUniqueInstanceIDs)
{
    runner->script(kListing, ScriptedRunner::Exit(
                                 0, Lines(kLinesPastSixteenBits, [](size_t i)
                                          { return Package("p" + std::to_string(i), "1"); })));
    EXPECT_TRUE(provider.UpdateList());
    EXPECT_EQ(kLinesPastSixteenBits, (InstanceIDsOf<InventoryListLock>(gInventoryList).size()));
    EXPECT_EQ("p65536", Text(Get(provider, KeyedPath(kIdentity, "65536")), "Name"));
}

TEST_F(InventoryTest, ListingRunsWhileTheListIsLockedAndFillsItAfterwards)
{
    runner->script(kListing, ScriptedRunner::Exit(0, Package("a", "1") + Package("b", "2")));
    std::vector<CIMInstance> listed;
    std::thread enumerator;
    {
        // Another request busy with the list must not keep this one from starting the tool.
        InventoryListLock lock;
        enumerator = std::thread([&] { listed = Enum(provider, kIdentity); });
        EXPECT_TRUE(runner->waitForCall(kListing, std::chrono::seconds(5)));
        EXPECT_TRUE(gInventoryList.empty());
    }
    enumerator.join();
    ASSERT_EQ(2u, listed.size());
    EXPECT_EQ("b", Text(listed[1], "Name"));
    EXPECT_EQ(2u, (InstanceIDsOf<InventoryListLock>(gInventoryList).size()));

    // The refresh without an enumeration behaves alike, failures included.
    runner->script(kListing, ScriptedRunner::Exit(0, Package("c", "3") + "d\t4\n"));
    std::string message;
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { provider.UpdateList(); }, &message));
    EXPECT_NE(std::string::npos, message.find("#SWU_Error_ParsingFailed,Classification,"));
    EXPECT_EQ("c", Text(Get(provider, KeyedPath(kIdentity, "0")), "Name"));
    EXPECT_EQ(1u, (InstanceIDsOf<InventoryListLock>(gInventoryList).size()));
    runner->script(kListing, ScriptedRunner::Exit(12));
    runner->script("/vk/bin/softinv --errors 12 2>&1", ScriptedRunner::Exit(0, "Update failed\n"));
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { provider.UpdateList(); }));
    EXPECT_TRUE((InstanceIDsOf<InventoryListLock>(gInventoryList).empty()));
}

TEST_F(InventoryTest, AllFourClassesAnswerThroughTheMasterProvider)
{
    SoftwareUpdateProvider master;
    master.initialize(ProviderEnvironmentIFCRef(
        new TestEnvironment(LoggerRef(logger), {{"vk.em_filename", "em"}})));
    runner->script(kListing,
                   ScriptedRunner::Exit(0, Package("kernel", "1.0") + Package("em", "4")));
    runner->script("/vk/bin/softinv --hist 2>&1",
                   ScriptedRunner::Exit(0, Line({"pkg", "2", "d", "c", kDate, "Removable"})));
    runner->script("/vk/bin/softinv --components pkg 2 2>&1", ScriptedRunner::Exit(0, "alpha\n"));
    SetOptionalComponentContext("pkg", "2");
    testing::internal::CaptureStdout();
    for (const char* className :
         {"ZVQ_HistorySoftwareUpdate", "ZVQ_SoftwareUpdateComponent", kIdentity, kCartridge})
    {
        std::vector<CIMObjectPath> paths = EnumNames(master, className);
        ASSERT_EQ(className == kIdentity ? 2u : 1u, paths.size()) << className;
        EXPECT_EQ(String(className), Get(master, paths.back()).getClassName());
    }
    testing::internal::GetCapturedStdout();
    SetOptionalComponentContext("", "");
    CIMParamValueArray in, out;
    EXPECT_TRUE(master
                    .invokeMethod(env, kTestNamespace, KeyedPath("ZVQ_HistorySoftwareUpdate", "0"),
                                  "Remove", in, out)
                    .toBool());
    EXPECT_TRUE(runner->waitForCall("/vk/bin/softinv --rback pkg 2", std::chrono::seconds(5)));
}

} // namespace
