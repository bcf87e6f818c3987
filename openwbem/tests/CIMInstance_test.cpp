// CIMInstance with its separate key list, CIMClass as the template of instances, and
// CIMParamValue.
#include "OW_config.h"
#include "OW_CIMInstance.hpp"
#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMClass.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMQualifier.hpp"
#include "OW_CIMValue.hpp"
#include "OW_NoSuchPropertyException.hpp"
#include "OW_String.hpp"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace OpenWBEM;

namespace
{

CIMProperty keyProperty(const char* name, const CIMValue& value)
{
    CIMProperty p(name, value);
    p.addQualifier(CIMQualifier::createKeyQualifier());
    return p;
}

// Key names in key-list order, joined by ",".
std::string keyNames(const CIMInstance& inst)
{
    const CIMPropertyArray keys = inst.getKeyValuePairs();
    std::string out;
    for (size_t i = 0; i < keys.size(); ++i)
    {
        out += (i ? "," : "") + std::string(keys[i].getName().c_str());
    }
    return out;
}

} // end anonymous namespace

TEST(CIMInstance, OnlyKeyPropertiesFeedTheKeyList)
{
    CIMInstance inst("Test_Class");
    inst.setProperty("Id", CIMValue(UInt16(5)));
    EXPECT_EQ("", keyNames(inst));
    EXPECT_EQ("/root:Test_Class", CIMObjectPath("root", inst).toString());
    EXPECT_EQ(CIMDataType::UINT16, inst.getProperty("Id").getDataType().getType());
    EXPECT_FALSE(inst.getProperty("Id").isKey());

    inst.setProperty(keyProperty("InstanceID", CIMValue("1")));
    EXPECT_EQ("InstanceID", keyNames(inst));
    EXPECT_EQ("/root/cimv2:Test_Class.InstanceID=\"1\"",
              CIMObjectPath("root/cimv2", inst).toString());

    // Setting the value of a key by name also updates the key list ...
    inst.setProperty("instanceid", CIMValue("2"));
    EXPECT_EQ(CIMValue("2"), inst.getKeyValuePairs()[0].getValue());
    EXPECT_EQ("InstanceID", inst.getProperty("INSTANCEID").getName());
    // ... while the type of an existing property is neither changed nor checked.
    inst.setProperty("InstanceID", CIMValue(UInt8(3)));
    EXPECT_EQ(CIMDataType::STRING, inst.getProperty("InstanceID").getDataType().getType());
    EXPECT_EQ(CIMValue(UInt8(3)), inst.getPropertyValue("InstanceID"));

    // Added by name and value, even a reference is no key: the instance would go out
    // unnamed under the real library. Given whole, a reference property is one.
    inst.setProperty("Antecedent", CIMValue(CIMObjectPath("Other")));
    EXPECT_EQ("InstanceID", keyNames(inst));
    inst.setProperty(CIMProperty("Antecedent", CIMValue(CIMObjectPath("Other"))));
    EXPECT_EQ("InstanceID,Antecedent", keyNames(inst));

    // Removing a key property removes its key too.
    inst.removeProperty("antecedent");
    EXPECT_EQ("InstanceID", keyNames(inst));
    EXPECT_FALSE(inst.getProperty("Antecedent"));

    // Replacing a key property by a plain one takes it out of the key list: no stale key
    // value survives in the instance's name.
    inst.setProperty(CIMProperty("InstanceID", CIMValue("9")));
    EXPECT_EQ("", keyNames(inst));
    EXPECT_EQ("/root/cimv2:Test_Class", CIMObjectPath("root/cimv2", inst).toString());

    // The list is made anew from the properties when a key comes: a reference added earlier
    // by name is then one of them, in property order.
    inst.setProperty("Dependent", CIMValue(CIMObjectPath("Other")));
    inst.setProperty(keyProperty("Name", CIMValue("n")));
    EXPECT_EQ("Dependent,Name", keyNames(inst));
}

TEST(CIMInstance, SetKeysAndSetPropertiesOwnTheKeyList)
{
    CIMInstance inst("C");
    CIMPropertyArray keys;
    keys.append(CIMProperty("K", CIMValue("k")));
    inst.setKeys(keys);
    // setKeys touches only the keys.
    EXPECT_EQ("K", keyNames(inst));
    EXPECT_FALSE(inst.getProperty("K"));

    CIMPropertyArray props;
    props.append(CIMProperty("Plain", CIMValue("p")));
    props.append(keyProperty("Id", CIMValue(UInt32(1))));
    inst.setProperties(props);
    EXPECT_EQ("Id", keyNames(inst));
    EXPECT_EQ(2u, inst.getProperties().size());
    EXPECT_EQ(1u, inst.getProperties(CIMDataType::UINT32).size());
    EXPECT_EQ(0u, inst.getProperties(CIMDataType::BOOLEAN).size());

    // updatePropertyValues only touches properties that exist.
    CIMPropertyArray updates;
    updates.append(CIMProperty("plain", CIMValue("q")));
    updates.append(CIMProperty("Missing", CIMValue("m")));
    inst.updatePropertyValues(updates);
    EXPECT_EQ(CIMValue("q"), inst.getPropertyValue("Plain"));
    EXPECT_FALSE(inst.getProperty("Missing"));
}

TEST(CIMInstance, LookupIsCaseInsensitiveAndAbsenceIsNull)
{
    CIMInstance inst("C");
    inst.setProperty("Name", CIMValue("x"));
    inst.setProperty("Empty", CIMValue(CIMNULL));
    EXPECT_EQ("Name", inst.getProperty("nAME").getName());
    EXPECT_FALSE(inst.getProperty("Other"));
    EXPECT_FALSE(inst.getProperty(""));
    EXPECT_FALSE(inst.getPropertyValue("Other"));
    EXPECT_TRUE(inst.propertyHasValue("NAME"));
    EXPECT_FALSE(inst.propertyHasValue("Empty"));
    EXPECT_TRUE(bool(inst.getProperty("Empty")));
    try
    {
        inst.getPropertyT("Other");
        ADD_FAILURE() << "no exception";
    }
    catch (const NoSuchPropertyException& e)
    {
        EXPECT_STREQ("Other", e.getMessage());
    }
    EXPECT_EQ(1u, inst.getProperties(CIMDataType::STRING).size());
}

TEST(CIMInstance, TextFormsAndNames)
{
    CIMInstance inst("X");
    inst.setProperty("Name", CIMValue("foo"));
    inst.setProperty("Null", CIMValue(CIMNULL));
    EXPECT_EQ("instance of X {\nName = foo;\nNull = null;\n}\n", inst.toString());
    EXPECT_EQ("instance of X\n{\n    Name = \"foo\";\n    Null = NULL;\n};\n", inst.toMOF());

    inst.setName("Y"); // the name is the class name
    EXPECT_EQ("Y", inst.getClassName());

    // Elements compare by name only, ignoring case.
    CIMInstance other("y");
    EXPECT_TRUE(inst == other);
    EXPECT_FALSE(CIMInstance(CIMNULL));
    EXPECT_THROW(CIMInstance(CIMNULL).getClassName(), Exception);
}

TEST(CIMInstance, CopiesAreIndependent)
{
    CIMInstance original("C");
    original.setProperty(keyProperty("Id", CIMValue("1")));
    CIMInstance copy(original);
    copy.setProperty("Id", CIMValue("2"));
    copy.setProperty("Extra", CIMValue(true));
    EXPECT_EQ(CIMValue("1"), original.getPropertyValue("Id"));
    EXPECT_EQ(CIMValue("1"), original.getKeyValuePairs()[0].getValue());
    EXPECT_FALSE(original.getProperty("Extra"));

    // Copies of one instance modified on several threads at once stay separate.
    std::vector<std::thread> threads;
    std::vector<CIMInstance> results(4, CIMInstance(CIMNULL));
    for (size_t t = 0; t < results.size(); ++t)
    {
        threads.emplace_back(
            [&original, &results, t]
            {
                for (UInt32 i = 0; i < 200; ++i)
                {
                    CIMInstance mine(original);
                    mine.setProperty("Id", CIMValue(String(UInt32(t))));
                    results[t] = mine;
                }
            });
    }
    for (std::thread& th : threads)
    {
        th.join();
    }
    for (size_t t = 0; t < results.size(); ++t)
    {
        EXPECT_EQ(CIMValue(String(UInt32(t))), results[t].getPropertyValue("Id"));
    }
    EXPECT_EQ(CIMValue("1"), original.getPropertyValue("Id"));
}

TEST(CIMClass, DefinitionAndNewInstance)
{
    CIMClass cls("Test_Class");
    cls.addProperty(keyProperty("Id", CIMValue("default")));
    cls.addProperty(CIMProperty("Count", CIMDataType(CIMDataType::UINT32)));
    EXPECT_EQ(2, cls.numberOfProperties());
    EXPECT_EQ("Id", cls.getProperty("ID").getName());
    EXPECT_FALSE(cls.getProperty("Nope"));
    EXPECT_TRUE(cls.isKeyed());
    EXPECT_EQ(1u, cls.getKeys().size());
    EXPECT_THROW(cls.addProperty(CIMProperty("count", CIMDataType(CIMDataType::UINT8))),
                 CIMException);

    EXPECT_FALSE(cls.isAssociation());
    cls.setIsAssociation(true);
    EXPECT_TRUE(cls.isAssociation());
    EXPECT_TRUE(cls.getQualifier("association").getValue().toBool());
    EXPECT_FALSE(cls.isAbstract());

    const CIMInstance inst = cls.newInstance();
    EXPECT_EQ("Test_Class", inst.getClassName());
    EXPECT_EQ(2u, inst.getProperties().size());
    EXPECT_EQ(CIMValue("default"), inst.getPropertyValue("Id"));
    EXPECT_EQ(1u, inst.getKeyValuePairs().size());
    EXPECT_EQ("/root:Test_Class.Id=\"default\"", CIMObjectPath("root", inst).toString());

    EXPECT_FALSE(CIMClass(CIMNULL));
}

TEST(CIMParamValue, NameValueAndText)
{
    const CIMParamValue p("When", CIMValue(UInt16(3)));
    EXPECT_EQ("CIMParamValue(When): 3", p.toString());
    EXPECT_EQ("CIMParamValue(Empty): (null)", CIMParamValue("Empty").toString());
    EXPECT_FALSE(CIMParamValue("Empty").getValue());

    CIMParamValue q;
    q.setName("N").setValue(CIMValue("v"));
    EXPECT_EQ("CIMParamValue(N): v", q.toString());
    EXPECT_FALSE(CIMParamValue(CIMNULL));
}

TEST(CIMInstance, Qualifiers)
{
    CIMInstance inst("C");
    CIMQualifier d("Description");
    d.setValue(CIMValue("first"));
    inst.setQualifier(d);
    d.setValue(CIMValue("second"));
    inst.setQualifier(d);
    ASSERT_EQ(1u, inst.getQualifiers().size());
    EXPECT_EQ(CIMValue("second"), inst.getQualifier("DESCRIPTION").getValue());
    EXPECT_FALSE(inst.getQualifier("Other"));
    EXPECT_TRUE(inst.removeQualifier("description"));
    EXPECT_FALSE(inst.removeQualifier("description"));
    EXPECT_TRUE(inst.getQualifiers().empty());
}
