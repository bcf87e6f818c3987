// The repository built from MOF: inheritance and overrides, references and associations,
// lookups, loading files with includes, failed loads, and the provider API's view of a class.
#include "repository.h"

#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMClass.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMQualifier.hpp"
#include "OW_String.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace cimom;
using OpenWBEM::CIMDataType;

namespace
{

const char kSchema[] = R"(
    [Abstract, Description("base"), Provider("c++::BaseProvider")]
    class T_Element
    {
        [Key, Description("id")] string Id;
        string Caption = "element";
        uint16 Level;
        [Description("old")] string Run(string A);
    };

    class T_Disk : T_Element
    {
        [Description("new caption"), Override("Caption")] string Caption;
        uint64 Size;
        [Description("new")] string Run(string A, string B);
    };

    [Provider("c++::DiskProvider")]
    class T_Ssd : T_Disk { uint8 Wear; };

    class T_Host { [Key] string Name; };

    [Association, Provider("c++::LinkProvider")]
    class T_Mounts
    {
        [Key] T_Element REF Antecedent;
        [Key] t_host REF Dependent;
    };

    class T_SsdMounts : T_Mounts
    {
        [Override("Antecedent")] T_Ssd REF Antecedent;
    };
)";

std::vector<std::string> names(const std::vector<const ClassDecl*>& classes)
{
    std::vector<std::string> out;
    for (const ClassDecl* c : classes)
    {
        out.push_back(c->name);
    }
    return out;
}

std::vector<std::string> propertyNames(const ClassDecl& c)
{
    std::vector<std::string> out;
    for (const PropertyDecl& p : c.properties)
    {
        out.push_back(p.name + "@" + p.classOrigin);
    }
    return out;
}

struct LoadErrorCase
{
    const char* text;
    const char* message;
};

// Each text, loaded on top of what `repo` holds, fails with a message that starts as expected.
void expectLoadErrors(Repository& repo, std::initializer_list<LoadErrorCase> cases)
{
    for (const LoadErrorCase& c : cases)
    {
        try
        {
            repo.loadMofText(c.text, "t.mof");
            ADD_FAILURE() << c.text << "\n  loaded";
        }
        catch (const MofError& e)
        {
            EXPECT_EQ(0u, std::string(e.what()).find(c.message))
                << c.text << "\n  gave: " << e.what();
        }
    }
}

// A scratch directory under the build tree's temporary area, removed at the end of the test.
class TempDir
{
public:
    TempDir()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "cimom_mof_XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path_); }

    std::string write(const std::string& name, const std::string& text) const
    {
        const std::filesystem::path file = std::filesystem::path(path_) / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text;
        return file.string();
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace

TEST(RepositoryInheritance, InheritedFeaturesComeFirstAndOverridesReplaceThem)
{
    Repository repo;
    repo.loadMofText(kSchema, "schema.mof");
    const ClassDecl* ssd = repo.find("T_Ssd");
    ASSERT_TRUE(ssd);
    EXPECT_EQ("T_Disk", ssd->superClass);
    EXPECT_EQ((std::vector<std::string>{"Id@T_Element", "Caption@T_Disk", "Level@T_Element",
                                        "Size@T_Disk", "Wear@T_Ssd"}),
              propertyNames(*ssd));
    // An override keeps the inherited default and key-ness but takes its own description.
    const PropertyDecl* caption = ssd->property("Caption");
    EXPECT_EQ("element", std::string(caption->defaultValue.toString().c_str()));
    EXPECT_EQ("new caption",
              std::string(caption->qualifier("Description")->value.toString().c_str()));
    ASSERT_EQ(1u, ssd->keys().size());
    EXPECT_EQ("Id", ssd->keys()[0]->name);
    EXPECT_TRUE(ssd->property("Id")->qualifier("Key")->propagated);
    EXPECT_FALSE(repo.find("T_Element")->property("Id")->qualifier("Key")->propagated);

    // Restricted qualifiers (Abstract) stay with their class; the others are inherited and
    // may be overridden (Provider).
    EXPECT_TRUE(repo.find("T_Element")->isAbstract());
    EXPECT_FALSE(ssd->isAbstract());
    EXPECT_EQ("BaseProvider", repo.find("T_Disk")->providerId());
    EXPECT_TRUE(repo.find("T_Disk")->qualifier("Provider")->propagated);
    EXPECT_EQ("DiskProvider", ssd->providerId());
    EXPECT_FALSE(ssd->qualifier("Provider")->propagated);

    ASSERT_EQ(1u, ssd->methods.size());
    const MethodDecl* run = ssd->method("run");
    EXPECT_EQ("T_Disk", run->classOrigin);
    EXPECT_EQ(2u, run->parameters.size());
    EXPECT_EQ("new", std::string(run->qualifier("Description")->value.toString().c_str()));

    const ClassDecl* ssdMounts = repo.find("T_SsdMounts");
    EXPECT_TRUE(ssdMounts->isAssociation());
    EXPECT_EQ("T_Ssd", ssdMounts->property("Antecedent")->type.referenceClass);
    EXPECT_EQ("T_Host", ssdMounts->property("Dependent")->type.referenceClass); // as defined
    EXPECT_FALSE(ssdMounts->property("Antecedent")->qualifier("Override")->propagated);
    // Override is restricted: it stays on the class that wrote it.
    EXPECT_TRUE(repo.find("T_Disk")->property("Caption")->qualifier("Override"));
    EXPECT_FALSE(caption->qualifier("Override"));

    expectLoadErrors(
        repo,
        {{"class T_X : T_Nowhere {};", "t.mof:1: unknown superclass T_Nowhere of class T_X"},
         {"\nclass t_disk { };", "t.mof:2: class t_disk is already defined (schema.mof:"},
         {"class T_X : T_Element {\n [Key(false)] string Id;\n};",
          "t.mof:2: qualifier Key of property Id of class T_X is inherited and cannot be "
          "overridden"},
         {"class T_X : T_Element {\n uint32 Level;\n};",
          "t.mof:2: property Level of class T_X is declared as uint32 but inherits uint16"},
         {"class T_X : T_Element {\n uint8 Run(string A);\n};",
          "t.mof:2: method Run of class T_X returns uint8 but inherits a method returning "
          "string"},
         {"class T_X : T_Mounts {\n T_Host REF Antecedent;\n};",
          "t.mof:2: property Antecedent of class T_X is declared as T_Host REF but inherits "
          "T_Element REF"},
         {"[Association(false)] class T_X : T_Mounts {};", "t.mof:1: qualifier Association of "
                                                           "class T_X is inherited"}});
    EXPECT_EQ(6u, repo.allClasses().size()); // no failed load left anything behind
}

TEST(RepositoryAssociations, ReferencesAreCheckedAndFoundThroughSuperclasses)
{
    Repository repo;
    repo.loadMofText(kSchema, "schema.mof");
    EXPECT_EQ((std::vector<std::string>{"T_Mounts", "T_SsdMounts"}),
              names(repo.associationsReferencing("t_ssd")));
    EXPECT_EQ((std::vector<std::string>{"T_Mounts"}),
              names(repo.associationsReferencing("T_Disk")));
    EXPECT_EQ((std::vector<std::string>{"T_Mounts", "T_SsdMounts"}),
              names(repo.associationsReferencing("T_Host")));
    EXPECT_TRUE(repo.associationsReferencing("T_Mounts").empty());
    EXPECT_TRUE(repo.associationsReferencing("T_Unknown").empty());

    expectLoadErrors(
        repo, {{"class T_X {\n [Key] string Id;\n T_Host REF H;\n};",
                "t.mof:3: reference H is declared in class T_X, which is not an association"},
               {"[Association] class T_X {\n T_Host REF A;\n T_Nowhere REF B;\n};",
                "t.mof:3: unknown class T_Nowhere in the reference property B of class T_X"},
               {"[Association]\nclass T_X {\n T_Host REF A;\n};",
                "t.mof:2: association T_X needs at least two references"},
               {"class T_X {\n uint8 M(\n T_Nowhere REF R);\n};",
                "t.mof:2: unknown class T_Nowhere in the reference parameter R of method M"}});
}

TEST(RepositoryLookup, NamesCompareWithoutCaseAndHierarchiesAreWalked)
{
    Repository repo;
    repo.loadMofText(kSchema, "schema.mof");
    ASSERT_TRUE(repo.find("t_ELEMENT"));
    EXPECT_EQ("T_Element", repo.find("t_ELEMENT")->name);
    EXPECT_FALSE(repo.find("T_Elemen"));
    EXPECT_EQ("Size", repo.find("T_SSD")->property("SIZE")->name);
    EXPECT_EQ("Caption", repo.find("T_Disk")->property("caption")->name);
    EXPECT_EQ("A", repo.find("T_Disk")->method("RUN")->parameter("a")->name);
    EXPECT_EQ("schema.mof", repo.find("T_Disk")->sourceFile);
    EXPECT_EQ(11, repo.find("T_Disk")->sourceLine);

    EXPECT_EQ((std::vector<std::string>{"T_Element", "T_Disk", "T_Ssd", "T_Host", "T_Mounts",
                                        "T_SsdMounts"}),
              names(repo.allClasses()));
    EXPECT_EQ((std::vector<std::string>{"T_Disk"}), names(repo.subclasses("t_element", false)));
    EXPECT_EQ((std::vector<std::string>{"T_Disk", "T_Ssd"}),
              names(repo.subclasses("T_Element", true)));
    EXPECT_TRUE(repo.subclasses("T_Ssd", true).empty());
    EXPECT_TRUE(repo.subclasses("T_Unknown", true).empty());

    EXPECT_TRUE(repo.isSubclassOf("T_Ssd", "t_element"));
    EXPECT_TRUE(repo.isSubclassOf("T_Disk", "T_Disk"));
    EXPECT_FALSE(repo.isSubclassOf("T_Element", "T_Disk"));
    EXPECT_FALSE(repo.isSubclassOf("T_Host", "T_Element"));
    EXPECT_FALSE(repo.isSubclassOf("T_Unknown", "T_Element"));
    EXPECT_FALSE(repo.isSubclassOf("T_Disk", "T_Unknown"));

    EXPECT_EQ("", repo.find("T_Host")->providerId());
    repo.loadMofText("[Provider(\"cmpi::x\")] class T_Cmpi {};\n"
                     "[Provider(\"c++::\")] class T_Empty {};",
                     "p.mof");
    EXPECT_EQ("", repo.find("T_Cmpi")->providerId());
    EXPECT_EQ("", repo.find("T_Empty")->providerId());
}

TEST(RepositoryFiles, IncludesResolveAgainstTheIncludingFile)
{
    TempDir dir;
    dir.write("top.mof", "#pragma include(\"sub/base.mof\")\n"
                         "class T_Top : T_Base { };\n");
    dir.write("sub/base.mof", "#pragma include (\"../qualifiers.mof\")\n"
                              "[Colour] class T_Base { [Key] string Id; };\n");
    dir.write("qualifiers.mof", "Qualifier Colour : boolean = false, Scope(class);\n");
    Repository repo;
    repo.loadMofFile(dir.path() + "/top.mof");
    EXPECT_EQ((std::vector<std::string>{"T_Base", "T_Top"}), names(repo.allClasses()));
    EXPECT_EQ(dir.path() + "/sub/base.mof", repo.find("T_Base")->sourceFile);
    EXPECT_TRUE(repo.find("T_Top")->qualifier("Colour")->propagated);

    // Problems name the file and the line where they are, included files included.
    const std::string missing = dir.write("missing.mof", "\n#pragma include(\"nope.mof\")\n");
    const std::string cycle = dir.write("cycle.mof", "#pragma include(\"cycle2.mof\")\n");
    dir.write("cycle2.mof", "\n\n#pragma include(\"cycle.mof\")\n");
    const std::string broken = dir.write("broken.mof", "#pragma include(\"sub/bad.mof\")\n");
    dir.write("sub/bad.mof", "class T_Bad {\n  string X\n};\n");
    const struct
    {
        std::string file;
        std::string message;
    } errors[] = {
        {missing, missing + ":2: cannot read included file '" + dir.path() + "/nope.mof': "},
        {cycle, dir.path() + "/cycle2.mof:3: '" + dir.path() +
                    "/cycle.mof' is already being read (an include cycle)"},
        {broken, dir.path() + "/sub/bad.mof:2: expected ';' after property X"},
        {dir.path() + "/absent.mof", dir.path() + "/absent.mof: cannot read MOF file: "},
        {dir.path(), dir.path() + ": cannot read MOF file: is a directory"},
    };
    for (const auto& e : errors)
    {
        try
        {
            repo.loadMofFile(e.file);
            ADD_FAILURE() << e.file << " loaded";
        }
        catch (const MofError& error)
        {
            EXPECT_EQ(0u, std::string(error.what()).find(e.message)) << error.what();
        }
    }
}

TEST(RepositoryFiles, AFailedLoadLeavesTheRepositoryAsItWas)
{
    Repository repo;
    repo.loadMofText("class T_Kept { [Key] string Id; };", "kept.mof");
    expectLoadErrors(repo, {{"Qualifier Colour : string, Scope(any);\nclass T_Lost { };\n"
                             "class T_Broken : T_Nowhere { };\n",
                             "t.mof:3: unknown superclass"}});
    EXPECT_EQ((std::vector<std::string>{"T_Kept"}), names(repo.allClasses()));
    EXPECT_FALSE(repo.find("T_Lost"));
    // The qualifier declaration went with the failed load, and T_Lost may now be defined.
    expectLoadErrors(repo,
                     {{"[Colour(\"x\")] class T_Lost { };", "t.mof:1: unknown qualifier Colour"}});
    repo.loadMofText("class T_Lost { };", "again.mof");
    EXPECT_EQ("again.mof", repo.find("T_Lost")->sourceFile);
}

TEST(RepositoryConversion, TheProviderApiSeesNameTypesKeysAndDefaults)
{
    Repository repo;
    repo.loadMofText(kSchema, "schema.mof");
    repo.loadMofText("class T_Typed : T_Host { string Tags[4] = {\"a\"}; datetime When; };",
                     "typed.mof");
    const OpenWBEM::CIMClass ssd = repo.find("T_Ssd")->toCIMClass();
    EXPECT_EQ("T_Ssd", std::string(ssd.getName().c_str()));
    EXPECT_EQ("T_Disk", std::string(ssd.getSuperClass().c_str()));
    EXPECT_EQ(5, ssd.numberOfProperties());
    EXPECT_FALSE(ssd.isAbstract());
    ASSERT_EQ(1u, ssd.getKeys().size());
    EXPECT_EQ("Id", std::string(ssd.getKeys()[0].getName().c_str()));
    const OpenWBEM::CIMProperty size = ssd.getProperty("size");
    EXPECT_EQ(CIMDataType::UINT64, size.getDataType().getType());
    EXPECT_EQ("T_Disk", std::string(size.getOriginClass().c_str()));
    EXPECT_TRUE(size.getPropagated());
    EXPECT_FALSE(ssd.getProperty("Wear").getPropagated());
    EXPECT_EQ("element", std::string(ssd.getProperty("Caption").getValue().toString().c_str()));
    EXPECT_EQ("c++::DiskProvider",
              std::string(ssd.getQualifier("Provider").getValue().toString().c_str()));

    const OpenWBEM::CIMClass mounts = repo.find("T_Mounts")->toCIMClass();
    EXPECT_TRUE(mounts.isAssociation());
    const OpenWBEM::CIMProperty antecedent = mounts.getProperty("Antecedent");
    EXPECT_TRUE(antecedent.isReference());
    EXPECT_EQ("T_Element", std::string(antecedent.getDataType().getRefClassName().c_str()));
    EXPECT_EQ(2u, mounts.getKeys().size());

    const OpenWBEM::CIMClass typed = repo.find("T_Typed")->toCIMClass();
    const OpenWBEM::CIMDataType tags = typed.getProperty("Tags").getDataType();
    EXPECT_TRUE(tags.isArrayType());
    EXPECT_EQ(4, tags.getSize());
    EXPECT_EQ(CIMDataType::DATETIME, typed.getProperty("When").getDataType().getType());
    EXPECT_FALSE(typed.getProperty("When").getValue());
    EXPECT_EQ("a", std::string(typed.getProperty("Tags").getValue().toString().c_str()));
}
