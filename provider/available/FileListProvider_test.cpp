// The update-to-file association against the scripted runner: both directions with result
// classes and roles, references, and enumeration over the last listing of available updates.
#include "available/AvaliableTestSupport.h"
#include "available/FileListProvider.h"

#include "OW_CIMQualifier.hpp"

#include <algorithm>

using namespace OpenWBEM;
using namespace OpenWBEM::WBEMFlags;

namespace
{

const char kFileList[] = "ZVQ_AvailableSoftwareFileList";
const char kFileName[] = "ZVQ_AvailableSoftwareFileName";
const char kOtherNamespace[] = "other/ns";

class FileListTest : public AvaliableTest
{
protected:
    std::vector<CIMInstance> Associators(const CIMObjectPath& path, const char* resultClass,
                                         const char* role, const char* resultRole)
    {
        CIMInstanceArray instances;
        CIMInstanceArrayBuilder builder(instances);
        fileList.associators(env, builder, kOtherNamespace, path, kFileList, resultClass, role,
                             resultRole, E_EXCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN, nullptr);
        return std::vector<CIMInstance>(instances.begin(), instances.end());
    }
    std::vector<std::string> AssociatorNames(const CIMObjectPath& path, const char* resultClass,
                                             const char* role = "", const char* resultRole = "")
    {
        CIMObjectPathArray paths;
        CIMObjectPathArrayBuilder builder(paths);
        fileList.associatorNames(env, builder, kOtherNamespace, path, kFileList, resultClass, role,
                                 resultRole);
        std::vector<std::string> texts;
        for (size_t i = 0; i < paths.size(); ++i)
        {
            texts.push_back(paths[i].toString().c_str());
        }
        return texts;
    }
    std::vector<CIMInstance> References(const CIMObjectPath& path, const char* role)
    {
        CIMInstanceArray instances;
        CIMInstanceArrayBuilder builder(instances);
        fileList.references(env, builder, kOtherNamespace, path, kFileList, role,
                            E_EXCLUDE_QUALIFIERS, E_EXCLUDE_CLASS_ORIGIN, nullptr);
        return std::vector<CIMInstance>(instances.begin(), instances.end());
    }

    FileListMapProvider& fileList = gFileList;
};

TEST_F(FileListTest, AssociatorsFollowResultClassRoleAndResultRole)
{
    List(CacheRow("pkg", "2.1") + CacheRow("b", "3"));
    runner->script("/vk/bin/softinv --files pkg-2.1 2>&1",
                   ScriptedRunner::Exit(0, "a.bin\nz.bin\n"));
    const CIMObjectPath pkg = KeyedPath(kAvaliableClass, "0");
    const std::vector<std::string> files = {
        "/other/ns:ZVQ_AvailableSoftwareFileName.FileName=\"a.bin\"",
        "/other/ns:ZVQ_AvailableSoftwareFileName.FileName=\"z.bin\""};
    EXPECT_EQ(files, AssociatorNames(pkg, kFileName));
    EXPECT_EQ(files, AssociatorNames(pkg, "", "Antecedent"));
    EXPECT_EQ(files, AssociatorNames(pkg, "", "", "Dependent"));
    std::vector<CIMInstance> instances = Associators(pkg, "", "Antecedent", "");
    ASSERT_EQ(2u, instances.size());
    EXPECT_EQ(String(kFileName), instances[1].getClassName());
    EXPECT_EQ("z.bin", Text(instances[1], "FileName"));
    EXPECT_TRUE(instances[1].getProperty("FileName").isKey());

    // The update end is tested first and needs no tool run.
    runner->reset();
    for (const std::vector<const char*>& args :
         std::vector<std::vector<const char*>>{{kAvaliableClass, "", ""},
                                               {"", "Dependent", ""},
                                               {"", "", "Antecedent"},
                                               {kAvaliableClass, "Antecedent", ""}})
    {
        instances = Associators(pkg, args[0], args[1], args[2]);
        ASSERT_EQ(1u, instances.size());
        EXPECT_EQ("pkg", Text(instances[0], "Name"));
        EXPECT_EQ("<absent>", Text(instances[0], "UpdateDescription"));
    }
    EXPECT_EQ((std::vector<std::string>{"/other/ns:ZVQ_AvailableSoftwareUpdate.InstanceID=\"1\""}),
              AssociatorNames(KeyedPath(kAvaliableClass, "1"), kAvaliableClass));
    EXPECT_TRUE(runner->commandLines().empty());

    // A file path carries no InstanceID; a stale one names nothing; no direction is refused.
    const CIMObjectPath file = KeyedPath(kFileName, "a.bin", "FileName");
    EXPECT_EQ(CIMException::INVALID_PARAMETER,
              StatusOf([&] { Associators(file, kAvaliableClass, "", ""); }));
    EXPECT_EQ(CIMException::INVALID_PARAMETER,
              StatusOf([&] { Associators(file, kFileName, "", ""); }));
    EXPECT_EQ(CIMException::NOT_FOUND,
              StatusOf([&] { Associators(KeyedPath(kAvaliableClass, "2"), kFileName, "", ""); }));
    EXPECT_EQ(CIMException::NOT_SUPPORTED, StatusOf([&] { Associators(pkg, "", "", ""); }));
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf([&] { AssociatorNames(pkg, "CIM_Other", "antecedent"); }));

    runner->script("/vk/bin/softinv --files b-3 2>&1", ScriptedRunner::Exit(12));
    EXPECT_EQ(CIMException::FAILED,
              StatusOf([&] { Associators(KeyedPath(kAvaliableClass, "1"), kFileName, "", ""); }));
}

TEST_F(FileListTest, ReferencesAreSeenFromTheUpdate)
{
    List(CacheRow("pkg", "2.1"));
    runner->script("/vk/bin/softinv --files pkg-2.1 2>&1", ScriptedRunner::Exit(0, "a.bin z.bin"));
    const CIMObjectPath pkg = KeyedPath(kAvaliableClass, "0");
    const std::string antecedent = "/other/ns:ZVQ_AvailableSoftwareUpdate.InstanceID=\"0\"";
    for (const char* role : {"", "Dependent", "Nonsense"})
    {
        std::vector<CIMInstance> links = References(pkg, role);
        ASSERT_EQ(2u, links.size()) << role;
        EXPECT_EQ(String(kFileList), links[0].getClassName());
        EXPECT_EQ(antecedent, Text(links[0], "Antecedent"));
        EXPECT_EQ("/other/ns:ZVQ_AvailableSoftwareFileName.FileName=\"z.bin\"",
                  Text(links[1], "Dependent"));
        EXPECT_EQ(2u, links[1].getKeyValuePairs().size());
        for (const char* end : {"Antecedent", "Dependent"})
        {
            EXPECT_TRUE(links[1].getProperty(end).hasTrueQualifier(CIMQualifier::CIM_QUAL_KEY))
                << role << " " << end;
        }
    }

    CIMObjectPathArray paths;
    CIMObjectPathArrayBuilder builder(paths);
    fileList.referenceNames(env, builder, kOtherNamespace, pkg, kFileList, "");
    ASSERT_EQ(2u, paths.size());
    EXPECT_EQ(String(kFileList), paths[0].getClassName());
    EXPECT_EQ(antecedent, std::string(paths[0].getKeyValue("Antecedent").toString().c_str()));
    EXPECT_EQ("/other/ns:ZVQ_AvailableSoftwareFileName.FileName=\"a.bin\"",
              std::string(paths[0].getKeyValue("Dependent").toString().c_str()));
}

TEST_F(FileListTest, EnumerationFollowsTheLastListingOfUpdates)
{
    // Before any listing: the placeholder's patch name is "Dummy-"; empty listings give the
    // default names.
    std::vector<CIMInstance> links = Enum(fileList, kFileList);
    EXPECT_EQ((std::vector<std::string>{"/vk/bin/softinv --files Dummy- 2>&1"}),
              runner->commandLines());
    ASSERT_EQ(2u, links.size());
    EXPECT_EQ("/root/cimv2:ZVQ_AvailableSoftwareUpdate.InstanceID=\"1\"",
              Text(links[0], "Antecedent"));
    EXPECT_EQ("/root/cimv2:ZVQ_AvailableSoftwareFileName.FileName=\"Testname\"",
              Text(links[1], "Dependent"));
    EXPECT_TRUE(logger->waitForText("Patch: Dummy-", std::chrono::milliseconds(0)));
    EXPECT_TRUE(logger->waitForText("Filename: Testname", std::chrono::milliseconds(0)));

    List(CacheRow("pkg", "2.1") + CacheRow("b", "3"));
    runner->script("/vk/bin/softinv --files pkg-2.1 2>&1",
                   ScriptedRunner::Exit(0, "a.bin b.bin c.bin\n"));
    runner->script("/vk/bin/softinv --files b-3 2>&1", ScriptedRunner::Exit(0, " \n"));
    // The tool's cache changed meanwhile: the association still follows the last listing.
    runner->script(kCacheListing, ScriptedRunner::Exit(0, CacheRow("new", "9")));
    links = Enum(fileList, kFileList);
    ASSERT_EQ(3u, links.size());
    for (const CIMInstance& link : links)
    {
        EXPECT_EQ("/root/cimv2:ZVQ_AvailableSoftwareUpdate.InstanceID=\"0\"",
                  Text(link, "Antecedent"));
    }
    std::vector<CIMObjectPath> names = EnumNames(fileList, kFileList);
    ASSERT_EQ(3u, names.size());
    EXPECT_EQ("/root/cimv2:ZVQ_AvailableSoftwareFileName.FileName=\"c.bin\"",
              std::string(names[2].getKeyValue("Dependent").toString().c_str()));
    std::vector<std::string> lines = runner->commandLines();
    EXPECT_EQ(lines.end(), std::find(lines.begin(), lines.end(), kCacheListing));

    // Each link names itself by its two ends, and can be read back by that name; a name one of
    // whose ends does not exist is not found.
    EXPECT_EQ(std::string(names[2].toString().c_str()),
              std::string(CIMObjectPath(kTestNamespace, links[2]).toString().c_str()));
    CIMInstance read = Get(fileList, names[2]);
    EXPECT_EQ(String(kFileList), read.getClassName());
    EXPECT_EQ("/root/cimv2:ZVQ_AvailableSoftwareFileName.FileName=\"c.bin\"",
              Text(read, "Dependent"));
    auto withEnd = [&](const char* role, const CIMObjectPath& end)
    {
        CIMObjectPath path(names[2]);
        path.setKeyValue(role, CIMValue(end));
        return path;
    };
    CIMObjectPath otherFile(kFileName, kTestNamespace);
    otherFile.setKeyValue("FileName", CIMValue(String("nope.bin")));
    CIMObjectPath otherUpdate(kAvaliableClass, kTestNamespace);
    otherUpdate.setKeyValue("InstanceID", CIMValue(String("7")));
    CIMObjectPath wrongClass(kFileName, kTestNamespace);
    wrongClass.setKeyValue("InstanceID", CIMValue(String("0")));
    for (const CIMObjectPath& path :
         {withEnd("Dependent", otherFile), withEnd("Antecedent", otherUpdate),
          withEnd("Antecedent", wrongClass), CIMObjectPath(kFileList, kTestNamespace)})
    {
        EXPECT_EQ(CIMException::NOT_FOUND, StatusOf([&] { Get(fileList, path); }))
            << path.toString();
    }
    CIMInstance instance(kFileList);
    EXPECT_EQ(CIMException::NOT_SUPPORTED,
              StatusOf([&] { fileList.createInstance(env, kTestNamespace, instance); }));

    runner->script("/vk/bin/softinv --files b-3 2>&1", ScriptedRunner::Exit(12));
    CIMInstanceArray delivered;
    CIMInstanceArrayBuilder builder(delivered);
    EXPECT_EQ(CIMException::FAILED,
              StatusOf(
                  [&]
                  {
                      fileList.enumInstances(env, kTestNamespace, kFileList, builder,
                                             E_NOT_LOCAL_ONLY, E_DEEP, E_EXCLUDE_QUALIFIERS,
                                             E_EXCLUDE_CLASS_ORIGIN, nullptr, CIMClass(kFileList),
                                             CIMClass(kFileList));
                  }));
    EXPECT_EQ(3u, delivered.size());
}

} // namespace
