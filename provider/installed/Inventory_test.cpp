// The two inventory classes against the scripted runner: parsing and the classification words,
// the listing's failures, lookups in the last listing, the cartridge class and its configured
// name, the refusals, wide line numbers, and the listing beside a held lock.
#include "installed/InventoryProvider.h"
#include "testsupport/ProviderTestSupport.h"

#include "OW_CIMDateTime.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_DateTime.hpp"

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

class InventoryTest : public SubProviderTest
{
protected:
    void SetUp() override
    {
        SubProviderTest::SetUp();
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
            EXPECT_EQ(1u, CIMObjectPath("root/cimv2", instance).getKeys().size());
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
    // The key is marked, so a CIMOM that names instances by their keys names it.
    EXPECT_EQ("/root/cimv2:ZVQ_SoftwareIdentity.InstanceID=\"0\"",
              std::string(CIMObjectPath("root/cimv2", kernel).toString().c_str()));
    EXPECT_EQ(
        (std::vector<std::string>{"InstanceID=0", "Name=kernel", "PackageVersion=1.0",
                                  "RevisionNumber=1.0", "Classifications=8",
                                  std::string("InstalledDate=") +
                                      CIMDateTime(DateTime(String(kDate))).toString().c_str()}),
        Properties(kernel));
    EXPECT_EQ(CIMDataType::UINT16, kernel.getProperty("Classifications").getValue().getType());
    // Words match whole and in their exact letter case only.
    EXPECT_EQ("0", Text(instances[1], "Classifications"));
    EXPECT_EQ("0", Text(instances[2], "Classifications"));
    EXPECT_EQ("9", Text(instances[3], "Classifications"));
    UInt16 number = 0;
    for (const char* word : {"Other", "Driver", "Configuration Software", "Application Software",
                             "Instrumentation", "Firmware/BIOS", "Diagnostic Software",
                             "Operating System", "Middleware", "Firmware", "BIOS/FCode"})
    {
        EXPECT_EQ(++number, ClassificationFromWord(word)) << word;
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
    const CIMObjectPath cartridge = KeyedPath(kCartridge, "0");
    CIMParamValueArray in, out;
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf([&] { provider.createInstance(env, kTestNamespace, instance); }));
    EXPECT_EQ(
        CIMException::NOT_SUPPORTED,
        StatusOf([&] { provider.invokeMethod(env, kTestNamespace, cartridge, "Any", in, out); }));
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
    std::vector<CIMObjectPath> paths = EnumNamesBesideLock<InventoryListLock>(
        provider, kIdentity, kListing, [] { EXPECT_TRUE(gInventoryList.empty()); });
    ASSERT_EQ(2u, paths.size());
    EXPECT_EQ("b", Text(Get(provider, paths[1]), "Name"));
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

} // namespace
