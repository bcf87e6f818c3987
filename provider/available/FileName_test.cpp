// The file-name listing and class against the scripted runner: splitting the listing, the
// default names, failures, lookups by name, and the refused operations.
#include "available/FileNameProvider.h"
#include "testsupport/ProviderTestSupport.h"

#include "OW_CIMParamValue.hpp"

using namespace OpenWBEM;

namespace
{

const char kClass[] = "ZVQ_AvailableSoftwareFileName";
const std::string kAllFiles = "/vk/bin/softinv --files  2>&1";

class FileNameTest : public SubProviderTest
{
protected:
    std::vector<std::string> Listed(const std::string& patchName, const std::string& output)
    {
        runner->script("/vk/bin/softinv --files " + patchName + " 2>&1",
                       ScriptedRunner::Exit(0, output));
        FileName_ObjectList list;
        EXPECT_TRUE(list.getObjectList(String(patchName.c_str())));
        std::vector<std::string> names;
        list.begin();
        while (list.hasObject())
        {
            names.push_back(list.getName().c_str());
            list.next();
        }
        list.end();
        EXPECT_FALSE(list.hasObject());
        return names;
    }

    FileNameProvider& provider = gFileNameProvider;
};

TEST_F(FileNameTest, ListingIsSplitAtWhiteSpace)
{
    EXPECT_EQ((std::vector<std::string>{"a.bin", "b.bin", "c.bin", "D.bin"}),
              Listed("p-2", "a.bin  b.bin\nc.bin\r\n\t\vD.bin"));
    EXPECT_EQ(std::vector<std::string>{}, Listed("", "\n"));
    EXPECT_EQ((std::vector<std::string>{"Filename1", "Testname"}), Listed("", ""));
    EXPECT_TRUE(logger->waitForText("no file name, use default: Filename1     Testname",
                                    std::chrono::milliseconds(0)));

    // The patch name is one word on the command line, whatever it holds.
    runner->reset();
    FileName_ObjectList list(String("my pkg-1;x"));
    list.getObjectList();
    EXPECT_EQ("/vk/bin/softinv --files 'my pkg-1;x' 2>&1", runner->commandLines().back());
    // A new listing replaces the names of the last one.
    list.getObjectList(String("q-1"));
    list.begin();
    EXPECT_TRUE(list.hasObject());
    EXPECT_EQ("Filename1", std::string(list.getName().c_str()));

    runner->script(kAllFiles, ScriptedRunner::Exit(12));
    runner->script("/vk/bin/softinv --errors 12 2>&1", ScriptedRunner::Exit(0, "Unknown\n"));
    std::string message;
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { EnumNames(provider, kClass); }, &message));
    EXPECT_EQ(FailedText("Unknown\n\n#SWU_Softinv_SoftwareUpdateFailed#"), message);
}

TEST_F(FileNameTest, ClassServesTheListingWithoutPatchName)
{
    runner->script(kAllFiles, ScriptedRunner::Exit(0, "a.bin\nB.bin\n"));
    std::vector<CIMObjectPath> paths = EnumNames(provider, kClass);
    ASSERT_EQ(2u, paths.size());
    EXPECT_EQ("/root/cimv2:ZVQ_AvailableSoftwareFileName.FileName=\"B.bin\"",
              std::string(paths[1].toString().c_str()));

    std::vector<CIMInstance> instances = Enum(provider, kClass);
    ASSERT_EQ(2u, instances.size());
    EXPECT_EQ(String(kClass), instances[0].getClassName());
    EXPECT_EQ("a.bin", Text(instances[0], "FileName"));
    EXPECT_TRUE(instances[0].getProperty("FileName").isKey());
    EXPECT_EQ(1u, instances[0].getProperties().size());

    runner->reset();
    runner->script(kAllFiles, ScriptedRunner::Exit(0, "a.bin\nB.bin\n"));
    EXPECT_EQ("B.bin", Text(Get(provider, KeyedPath(kClass, "B.bin", "FileName")), "FileName"));
    EXPECT_EQ(1u, runner->commandLines().size());
    // Names are compared exactly, and only against the listing without a patch name.
    EXPECT_EQ(CIMException::NOT_FOUND,
              StatusOf([&] { Get(provider, KeyedPath(kClass, "b.bin", "FileName")); }));
    runner->script(kAllFiles, ScriptedRunner::Exit(0, ""));
    EXPECT_EQ("Filename1",
              Text(Get(provider, KeyedPath(kClass, "Filename1", "FileName")), "FileName"));

    // A path that names no file is refused before the tool runs.
    runner->reset();
    CIMObjectPath numeric(kClass, kTestNamespace);
    numeric.setKeyValue("FileName", CIMValue(UInt32(5)));
    EXPECT_EQ(CIMException::INVALID_PARAMETER, StatusOf([&] { Get(provider, numeric); }));
    EXPECT_EQ(CIMException::INVALID_PARAMETER,
              StatusOf([&] { Get(provider, KeyedPath(kClass, "a.bin")); }));
    EXPECT_TRUE(runner->commandLines().empty());

    CIMInstance instance(kClass);
    CIMParamValueArray in, out;
    EXPECT_EQ(
        CIMException::NOT_SUPPORTED,
        StatusOf([&] { provider.invokeMethod(env, kTestNamespace, paths[0], "Get", in, out); }));
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf([&] { provider.createInstance(env, kTestNamespace, instance); }));
}

} // namespace
