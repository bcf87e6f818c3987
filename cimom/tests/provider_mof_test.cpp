// The provider's MOF as the daemon loads it: all nine classes, bound to the provider, with the
// keys, property types and methods that the provider's instances and method calls rely on.
#include "repository.h"

#include "OW_Array.hpp"
#include "OW_String.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace cimom;
using OpenWBEM::CIMDataType;

namespace
{

// A property, method or parameter written back in MOF form, so a whole class compares at once.
// IN is left out where it holds, as the MOF files leave it out.
std::string typeText(const TypeDecl& t)
{
    const std::string name = t.type == CIMDataType::REFERENCE
                                 ? t.referenceClass + " REF"
                                 : OpenWBEM::CIMDataType(t.type).toString().c_str();
    return t.isArray ? name + "[]" : name;
}

std::string parameterText(const ParameterDecl& p)
{
    std::string flags = p.isIn() ? "" : "IN(false), ";
    flags += p.isOut() ? "OUT, " : "";
    flags += p.isRequired() ? "Required, " : "";
    const std::string type = typeText(p.type) + " " + p.name;
    return flags.empty() ? type : "[" + flags.substr(0, flags.size() - 2) + "] " + type;
}

std::string methodText(const MethodDecl& m)
{
    std::string text = typeText(m.returnType) + " " + m.name + "(";
    for (const ParameterDecl& p : m.parameters)
    {
        text += (&p == &m.parameters.front() ? "" : ", ") + parameterText(p);
    }
    return text + ")";
}

struct Expected
{
    const char* name;
    // Every property in the order the provider sets them, then every method. No parameter is
    // Required: the daemon passes a missing one on as null, so the provider's own checks decide
    // (retrieval methods answer refusals as results).
    std::vector<std::string> properties;
    std::vector<std::string> methods;
};

const std::vector<Expected>& expectedClasses()
{
    static const std::vector<Expected> classes = {
        {"ZVQ_AvailableSoftwareUpdate",
         {"[Key] string InstanceID", "string Name", "string ShortDescription",
          "string VersionString", "string Size", "boolean RebootRequired", "uint8 Status",
          "string UpdateDescription"},
         {"string GetViaFtp(string Address, string User, string Password, string Directory)",
          "string GetViaHttp(string Address, boolean Secure, string User, string Password, "
          "string Directory)",
          "string GetViaSamba(string Address, string User, string Password, string Directory)",
          "string GetViaUsb(string Path)", "string GetViaHardDrive(string Path)",
          "string GetViaElementManager()", "sint8 GetProgress([IN(false), OUT] string Status)",
          "string Apply()", "string Warnings()", "boolean HasOptionalComponents()",
          "string AddToSchedule(datetime StartTime, datetime EndTime)"}},
        {"ZVQ_ScheduledSoftwareUpdate",
         {"[Key] string InstanceID", "string Name", "string ShortDescription",
          "string UpdateDescription", "string VersionString", "string Location",
          "datetime DownloadDate", "datetime ApplyDate", "boolean RebootRequired", "string Status",
          "string Size"},
         {"string Modify(datetime StartTime, datetime EndTime)", "string Remove()"}},
        {"ZVQ_ActiveSoftwareUpdate",
         {"[Key] string InstanceID", "string Name", "string ShortDescription",
          "string UpdateDescription", "string VersionString", "string Location",
          "datetime ApplyDate", "boolean RebootRequired", "string Status", "string Size"},
         {"string Cancel()"}},
        {"ZVQ_HistorySoftwareUpdate",
         {"[Key] string InstanceID", "string Name", "string VersionString",
          "string ShortDescription", "string Category", "datetime Date", "boolean Removeable",
          "string UpdateDescription"},
         {"boolean Remove()"}},
        {"ZVQ_SoftwareUpdateComponent",
         {"[Key] string InstanceID", "string Name", "string VersionString",
          "string ShortDescription", "boolean Install"},
         {}},
        {"ZVQ_SoftwareIdentity",
         {"[Key] string InstanceID", "string Name", "string PackageVersion",
          "string RevisionNumber", "uint16 Classifications", "datetime InstalledDate"},
         {}},
        {"ZVQ_ElementManagerCartridgeVersionInfo", {"[Key] string Version"}, {}},
        {"ZVQ_AvailableSoftwareFileName", {"[Key] string FileName"}, {}},
        {"ZVQ_AvailableSoftwareFileList",
         {"[Key] ZVQ_AvailableSoftwareUpdate REF Antecedent",
          "[Key] ZVQ_AvailableSoftwareFileName REF Dependent"},
         {}},
    };
    return classes;
}

bool hasText(const QualifierDecl* q)
{
    return q && q->value && q->value.getType() == CIMDataType::STRING &&
           !q->value.toString().empty();
}

std::vector<std::string> valueList(const QualifierDecl* q)
{
    std::vector<std::string> out;
    if (q && q->value && q->value.isArray())
    {
        for (const OpenWBEM::String& s : q->value.toStringArray())
        {
            out.push_back(s.c_str());
        }
    }
    return out;
}

} // namespace

TEST(ProviderMof, DeclaresTheNineClassesTheProviderServes)
{
    // From a repository that knows no qualifier, as the daemon's and owmofc's: the file
    // declares what it uses. Without those declarations its first class is refused.
    Repository bare(Repository::StartingQualifiers::None);
    try
    {
        bare.loadMofFile(PROVIDER_MOF_DIR "/ZVQ_AvailableSoftwareUpdate.mof");
        ADD_FAILURE() << "a class with undeclared qualifiers was accepted";
    }
    catch (const MofError& e)
    {
        EXPECT_NE(std::string(e.what()).find("unknown qualifier Description"), std::string::npos)
            << e.what();
    }
    EXPECT_TRUE(bare.allClasses().empty());
    Repository repo(Repository::StartingQualifiers::None);
    repo.loadMofFile(PROVIDER_MOF_DIR "/SoftwareUpdate.mof");
    ASSERT_EQ(expectedClasses().size(), repo.allClasses().size());
    for (const Expected& e : expectedClasses())
    {
        SCOPED_TRACE(e.name);
        const ClassDecl* c = repo.find(e.name);
        ASSERT_TRUE(c);
        EXPECT_EQ(e.name, c->name);
        EXPECT_EQ("SoftwareUpdateProvider", c->providerId());
        EXPECT_TRUE(c->superClass.empty());
        EXPECT_FALSE(c->isAbstract());
        EXPECT_TRUE(hasText(c->qualifier("Description")));

        std::vector<std::string> properties;
        for (const PropertyDecl& p : c->properties)
        {
            properties.push_back((p.isKey() ? "[Key] " : "") + typeText(p.type) + " " + p.name);
            EXPECT_TRUE(hasText(p.qualifier("Description"))) << p.name;
        }
        EXPECT_EQ(e.properties, properties);
        std::vector<std::string> methods;
        for (const MethodDecl& m : c->methods)
        {
            methods.push_back(methodText(m));
            EXPECT_TRUE(hasText(m.qualifier("Description"))) << m.name;
        }
        EXPECT_EQ(e.methods, methods);
    }
}

TEST(ProviderMof, AssociationAndCodedValuesMatchTheProvider)
{
    Repository repo;
    repo.loadMofFile(PROVIDER_MOF_DIR "/SoftwareUpdate.mof");
    const ClassDecl* list = repo.find("ZVQ_AvailableSoftwareFileList");
    EXPECT_TRUE(list->isAssociation());
    const std::vector<std::string> ends = {"ZVQ_AvailableSoftwareFileList"};
    for (const char* end : {"ZVQ_AvailableSoftwareUpdate", "ZVQ_AvailableSoftwareFileName"})
    {
        std::vector<std::string> found;
        for (const ClassDecl* a : repo.associationsReferencing(end))
        {
            found.push_back(a->name);
        }
        EXPECT_EQ(ends, found) << end;
    }

    const PropertyDecl* status = repo.find("ZVQ_AvailableSoftwareUpdate")->property("Status");
    EXPECT_EQ((std::vector<std::string>{"0", "1", "2", "3", "4", "154"}),
              valueList(status->qualifier("ValueMap")));
    EXPECT_EQ(6u, valueList(status->qualifier("Values")).size());
    const PropertyDecl* classifications =
        repo.find("ZVQ_SoftwareIdentity")->property("Classifications");
    const std::vector<std::string> codes = valueList(classifications->qualifier("ValueMap"));
    const std::vector<std::string> words = valueList(classifications->qualifier("Values"));
    ASSERT_EQ(12u, codes.size());
    ASSERT_EQ(12u, words.size());
    EXPECT_EQ("8", codes[8]);
    EXPECT_EQ("Operating System", words[8]);
    EXPECT_EQ("BIOS/FCode", words[11]);

    // The retrievals and progress polling act on no particular update.
    const ClassDecl* available = repo.find("ZVQ_AvailableSoftwareUpdate");
    for (const MethodDecl& m : available->methods)
    {
        const bool onClass = m.name.compare(0, 3, "Get") == 0;
        EXPECT_EQ(onClass, m.qualifier("Static") != nullptr) << m.name;
    }
    EXPECT_TRUE(repo.find("ZVQ_SoftwareUpdateComponent")->property("Install")->qualifier("Write"));
}
