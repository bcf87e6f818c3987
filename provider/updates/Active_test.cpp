// The apply listing parser, the lookup and the commands of an active update, against the
// scripted runner.
#include "updates/Active.h"
#include "testsupport/ProviderTestSupport.h"

using namespace OpenWBEM;

namespace
{

const std::string kListing = "/vk/bin/softinv --apply  2>&1";
const std::string kSource = "/vk/bin/softinv --apply ";

using ActiveListTest = ProviderTest;

} // namespace

TEST_F(ActiveListTest, TakesEightFieldsByPosition)
{
    runner->script(kListing, ScriptedRunner::Exit(0, "Base patch\t2\tShort  text\t/opt/a\t"
                                                     "Tue Feb 10 22:00:00 2004\treboot\t10 MB\t"
                                                     "Applying\tninth field\n"));
    ActiveUpdate_ObjectList list;
    list.getObjectList();
    list.begin();
    ASSERT_TRUE(list.hasObject());
    EXPECT_STREQ("Base patch 2", list.getInstanceID().c_str());
    EXPECT_STREQ("Short  text", list.getShortDescription().c_str());
    EXPECT_STREQ("/opt/a", list.getLocation().c_str());
    EXPECT_STREQ("Tue Feb 10 22:00:00 2004", list.getApplyDate().c_str());
    EXPECT_TRUE(list.getRebootRequired());
    EXPECT_STREQ("10 MB", list.getSize().c_str());
    EXPECT_STREQ("Applying", list.getStatus().c_str());
    EXPECT_FALSE(list.hasObject());
}

TEST_F(ActiveListTest, FailuresNameTheApplyListing)
{
    ActiveUpdate_ObjectList list;
    std::string message;
    runner->script(kListing, ScriptedRunner::Exit(0, "A\t1\tS\tL\tD\treboot\t7\n"));
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { list.getObjectList(); }, &message));
    EXPECT_EQ(FailedText("Failed to parse Status field from " + kSource +
                         "\n#SWU_Error_ParsingFailed,Status," + kSource + "#"),
              message);

    runner->script(kListing, ScriptedRunner::Exit(34));
    runner->script("/vk/bin/softinv --errors 34 2>&1", ScriptedRunner::Exit(0, "No zone\n"));
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { list.getObjectList(); }, &message));
    EXPECT_EQ(FailedText("No zone\n\n#SWU_Softinv_TimeZoneNotSet#"), message);
}

TEST_F(ActiveListTest, CancelAndDescriptionRunTheirExactCommands)
{
    runner->script(kListing, ScriptedRunner::Exit(0, "A\t1\tS\tL\tD\treboot\t7\tApplying\n"
                                                     "$(reboot)\t1 2\tS\tL\tD\tno\t7\tApplying\n"));
    runner->script("/vk/bin/softinv -l A-1 2>&1", ScriptedRunner::Exit(0, "About A"));
    runner->script("/vk/bin/softinv --rback '$(reboot)' '1 2'", ScriptedRunner::Exit(16));
    runner->script("/vk/bin/softinv --errors 16 2>&1", ScriptedRunner::Exit(0, "Busy\n"));
    ActiveUpdate_ObjectInstanceManager manager;
    ActiveUpdate record;

    manager.getOneObject("A 1", record);
    String description;
    EXPECT_TRUE(record.getUpdateDescription(description));
    EXPECT_STREQ("About A", description.c_str());
    EXPECT_STREQ("", record.Cancel().c_str());

    manager.getOneObject("$(reboot) 1 2", record);
    std::string message;
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { record.Cancel(); }, &message));
    EXPECT_EQ(FailedText("Busy\n\n#SWU_Softinv_PatchRemoveFailed#"), message);

    std::vector<std::string> expected = {
        kListing,
        "/vk/bin/softinv -l A-1 2>&1",
        "/vk/bin/softinv --rback A 1",
        kListing,
        "/vk/bin/softinv --rback '$(reboot)' '1 2'",
        "/vk/bin/softinv --errors 16 2>&1",
    };
    EXPECT_EQ(expected, runner->commandLines());
}
