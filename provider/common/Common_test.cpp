// The InstanceID lookups in record lists, the key-property helper and the shared context.
#include "common/Common.h"
#include "common/RecordArray.h"
#include "testsupport/ScriptedRunner.h"

#include "OW_CIMQualifier.hpp"

#include <string>
#include <vector>

using namespace OpenWBEM;

namespace
{

using CommonTest = ProviderTest;

// The shape the lookups expect of a record: its InstanceID through getInstanceID().
class Record
{
public:
    explicit Record(const char* id) : m_id(id) {}
    String getInstanceID() const { return m_id; }

private:
    String m_id;
};
// Arrays of it are written to, which needs the clone of the records' header here too.
using ::COWReferenceClone;

CIMObjectPath PathWithKey(const char* name, const CIMValue& value)
{
    CIMObjectPath path("ZVQ_HistorySoftwareUpdate", "root/cimv2");
    path.setKeyValue(name, value);
    return path;
}

template <class Action> CIMException::ErrNoType ErrNoOf(Action action)
{
    try
    {
        action();
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(std::string(e.getMessage()),
                  std::string(CIMException(__FILE__, __LINE__, e.getErrNo()).getMessage()))
            << "refusals carry no message text";
        return e.getErrNo();
    }
    ADD_FAILURE() << "no CIMException was thrown";
    return CIMException::SUCCESS;
}

} // namespace

TEST_F(CommonTest, GetIndexFromInstanceIDFindsTheFirstExactMatch)
{
    Array<Record> list;
    list.push_back(Record("0"));
    list.push_back(Record("1"));
    list.push_back(Record("2"));
    list.push_back(Record("1"));
    EXPECT_EQ(GetIndexFromInstanceID(String("0"), list), 0);
    EXPECT_EQ(GetIndexFromInstanceID(String("1"), list), 1);
    EXPECT_EQ(GetIndexFromInstanceID(String("2"), list), 2);
    EXPECT_EQ(ErrNoOf([&] { GetIndexFromInstanceID(String("01"), list); }),
              CIMException::NOT_FOUND);
    EXPECT_EQ(ErrNoOf([&] { GetIndexFromInstanceID(String(" 1"), list); }),
              CIMException::NOT_FOUND);
    EXPECT_EQ(ErrNoOf([&] { GetIndexFromInstanceID(String(""), list); }), CIMException::NOT_FOUND);

    // Any list with size() and indexed access will do.
    std::vector<Record> empty;
    EXPECT_EQ(ErrNoOf([&] { GetIndexFromInstanceID(String("0"), empty); }),
              CIMException::NOT_FOUND);
    EXPECT_TRUE(logger->lines().empty()) << "a failed lookup logs nothing";
}

TEST_F(CommonTest, GetIndexFromObjectPathReadsTheInstanceIDKey)
{
    std::vector<Record> list;
    list.push_back(Record("0"));
    list.push_back(Record("1"));
    list.push_back(Record("2"));
    EXPECT_EQ(GetIndexFromObjectPath(PathWithKey("InstanceID", CIMValue(String("1"))), list), 1);
    // The key's text form is compared, whatever its type.
    EXPECT_EQ(GetIndexFromObjectPath(PathWithKey("InstanceID", CIMValue(UInt16(2))), list), 2);
    EXPECT_EQ(
        ErrNoOf(
            [&]
            { GetIndexFromObjectPath(PathWithKey("InstanceID", CIMValue(String("01"))), list); }),
        CIMException::NOT_FOUND);
    EXPECT_TRUE(logger->lines().empty());

    EXPECT_EQ(
        ErrNoOf([&] { GetIndexFromObjectPath(PathWithKey("Name", CIMValue(String("1"))), list); }),
        CIMException::INVALID_PARAMETER);
    EXPECT_EQ(logger->textsAt(E_ERROR_LEVEL),
              std::vector<std::string>{"Missing InstanceID property"});

    logger->clear();
    EXPECT_EQ(
        ErrNoOf([&]
                { GetIndexFromObjectPath(PathWithKey("InstanceID", CIMValue(CIMNULL)), list); }),
        CIMException::INVALID_PARAMETER);
    EXPECT_EQ(logger->textsAt(E_ERROR_LEVEL), std::vector<std::string>{"Missing InstanceID value"});
}

TEST_F(CommonTest, ProvPropCreateKeyMakesAKeyProperty)
{
    CIMProperty property = ProvPropCreateKey("InstanceID", CIMValue(String("3")));
    EXPECT_EQ(std::string(property.getName().c_str()), "InstanceID");
    EXPECT_EQ(std::string(property.getValue().toString().c_str()), "3");
    EXPECT_TRUE(property.isKey());
    EXPECT_TRUE(property.hasTrueQualifier("Key"));
}
