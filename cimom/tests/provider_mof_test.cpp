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

struct Param
{
    const char* name;
    CIMDataType::Type type;
    bool in;
    bool out;
};

struct Method
{
    const char* name;
    CIMDataType::Type returns;
    std::vector<Param> params;
};

struct Expected
{
    const char* name;
    std::vector<std::string> keys;
    // Every property with its type, in the order the provider sets them.
    std::vector<std::pair<const char*, CIMDataType::Type>> properties;
    std::vector<Method> methods;
};

const CIMDataType::Type S = CIMDataType::STRING;
const CIMDataType::Type B = CIMDataType::BOOLEAN;
const CIMDataType::Type D = CIMDataType::DATETIME;

const std::vector<Expected>& expectedClasses()
{
    static const std::vector<Expected> classes = {
        {"ZVQ_AvailableSoftwareUpdate",
         {"InstanceID"},
         {{"InstanceID", S},
          {"Name", S},
          {"ShortDescription", S},
          {"VersionString", S},
          {"Size", S},
          {"RebootRequired", B},
          {"Status", CIMDataType::UINT8},
          {"UpdateDescription", S}},
         {{"GetViaFtp",
           S,
           {{"Address", S, true, false},
            {"User", S, true, false},
            {"Password", S, true, false},
            {"Directory", S, true, false}}},
          {"GetViaHttp",
           S,
           {{"Address", S, true, false},
            {"Secure", B, true, false},
            {"User", S, true, false},
            {"Password", S, true, false},
            {"Directory", S, true, false}}},
          {"GetViaSamba",
           S,
           {{"Address", S, true, false},
            {"User", S, true, false},
            {"Password", S, true, false},
            {"Directory", S, true, false}}},
          {"GetViaUsb", S, {{"Path", S, true, false}}},
          {"GetViaHardDrive", S, {{"Path", S, true, false}}},
          {"GetViaElementManager", S, {}},
          {"GetProgress", CIMDataType::SINT8, {{"Status", S, false, true}}},
          {"Apply", S, {}},
          {"Warnings", S, {}},
          {"HasOptionalComponents", B, {}},
          {"AddToSchedule", S, {{"StartTime", D, true, false}, {"EndTime", D, true, false}}}}},
        {"ZVQ_ScheduledSoftwareUpdate",
         {"InstanceID"},
         {{"InstanceID", S},
          {"Name", S},
          {"ShortDescription", S},
          {"UpdateDescription", S},
          {"VersionString", S},
          {"Location", S},
          {"DownloadDate", D},
          {"ApplyDate", D},
          {"RebootRequired", B},
          {"Status", S},
          {"Size", S}},
         {{"Modify", S, {{"StartTime", D, true, false}, {"EndTime", D, true, false}}},
          {"Remove", S, {}}}},
        {"ZVQ_ActiveSoftwareUpdate",
         {"InstanceID"},
         {{"InstanceID", S},
          {"Name", S},
          {"ShortDescription", S},
          {"UpdateDescription", S},
          {"VersionString", S},
          {"Location", S},
          {"ApplyDate", D},
          {"RebootRequired", B},
          {"Status", S},
          {"Size", S}},
         {{"Cancel", S, {}}}},
        {"ZVQ_HistorySoftwareUpdate",
         {"InstanceID"},
         {{"InstanceID", S},
          {"Name", S},
          {"VersionString", S},
          {"ShortDescription", S},
          {"Category", S},
          {"Date", D},
          {"Removeable", B},
          {"UpdateDescription", S}},
         {{"Remove", B, {}}}},
        {"ZVQ_SoftwareUpdateComponent",
         {"InstanceID"},
         {{"InstanceID", S},
          {"Name", S},
          {"VersionString", S},
          {"ShortDescription", S},
          {"Install", B}},
         {}},
        {"ZVQ_SoftwareIdentity",
         {"InstanceID"},
         {{"InstanceID", S},
          {"Name", S},
          {"PackageVersion", S},
          {"RevisionNumber", S},
          {"Classifications", CIMDataType::UINT16},
          {"InstalledDate", D}},
         {}},
        {"ZVQ_ElementManagerCartridgeVersionInfo", {"Version"}, {{"Version", S}}, {}},
        {"ZVQ_AvailableSoftwareFileName", {"FileName"}, {{"FileName", S}}, {}},
        {"ZVQ_AvailableSoftwareFileList",
         {"Antecedent", "Dependent"},
         {{"Antecedent", CIMDataType::REFERENCE}, {"Dependent", CIMDataType::REFERENCE}},
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
    Repository repo;
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

        std::vector<std::string> keys;
        for (const PropertyDecl* k : c->keys())
        {
            keys.push_back(k->name);
        }
        EXPECT_EQ(e.keys, keys);

        ASSERT_EQ(e.properties.size(), c->properties.size());
        for (std::size_t i = 0; i < e.properties.size(); ++i)
        {
            const PropertyDecl& p = c->properties[i];
            EXPECT_EQ(e.properties[i].first, p.name);
            EXPECT_EQ(e.properties[i].second, p.type.type) << p.name;
            EXPECT_FALSE(p.type.isArray) << p.name;
            EXPECT_TRUE(hasText(p.qualifier("Description"))) << p.name;
        }

        ASSERT_EQ(e.methods.size(), c->methods.size());
        for (std::size_t i = 0; i < e.methods.size(); ++i)
        {
            const Method& em = e.methods[i];
            const MethodDecl& m = c->methods[i];
            EXPECT_EQ(em.name, m.name);
            EXPECT_EQ(em.returns, m.returnType.type) << m.name;
            EXPECT_TRUE(hasText(m.qualifier("Description"))) << m.name;
            ASSERT_EQ(em.params.size(), m.parameters.size()) << m.name;
            for (std::size_t k = 0; k < em.params.size(); ++k)
            {
                const ParameterDecl& p = m.parameters[k];
                EXPECT_EQ(em.params[k].name, p.name) << m.name;
                EXPECT_EQ(em.params[k].type, p.type.type) << m.name << "." << p.name;
                EXPECT_EQ(em.params[k].in, p.isIn()) << m.name << "." << p.name;
                EXPECT_EQ(em.params[k].out, p.isOut()) << m.name << "." << p.name;
                // Not Required: the daemon passes a missing parameter on as null, so the
                // provider's own checks decide (retrieval methods answer refusals as results).
                EXPECT_FALSE(p.isRequired()) << m.name << "." << p.name;
            }
        }
    }
}

TEST(ProviderMof, AssociationAndCodedValuesMatchTheProvider)
{
    Repository repo;
    repo.loadMofFile(PROVIDER_MOF_DIR "/SoftwareUpdate.mof");
    const ClassDecl* list = repo.find("ZVQ_AvailableSoftwareFileList");
    EXPECT_TRUE(list->isAssociation());
    EXPECT_EQ("ZVQ_AvailableSoftwareUpdate", list->property("Antecedent")->type.referenceClass);
    EXPECT_EQ("ZVQ_AvailableSoftwareFileName", list->property("Dependent")->type.referenceClass);
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
