// The schedule listing parser, the lookup by InstanceID and the command lines of the actions on
// a scheduled update, all against the scripted runner.
#include "updates/Scheduled.h"
#include "testsupport/ProviderTestSupport.h"

using namespace OpenWBEM;

namespace
{

const std::string kListing = "/vk/bin/softinv --sched  2>&1";
const std::string kSource = "/vk/bin/softinv --sched ";

std::string Row(const std::string& name, const std::string& version,
                const std::string& status = "Pending", const std::string& reboot = "reboot")
{
    return name + "\t" + version + "\tShort\t/opt/" + name +
           "\tMon Jan  5 03:04:05 2004\tTue Feb 10 22:00:00 2004\t" + reboot + "\t2048\t" + status +
           "\n";
}

std::string Text(bool (ScheduledUpdate::*getter)(String&) const, const ScheduledUpdate& record)
{
    String value;
    EXPECT_TRUE((record.*getter)(value));
    return value.c_str();
}

using ScheduledListTest = ProviderTest;

} // namespace

TEST_F(ScheduledListTest, TakesNineFieldsByPosition)
{
    runner->script(kListing, ScriptedRunner::Exit(0, "Base patch\t2\tFixes  it\t/opt/a\t"
                                                     "Mon Jan  5 03:04:05 2004\tTue Feb 10 "
                                                     "22:00:00 2004\treboot\t10 MB\tPending\r"
                                                     "\textra\n" +
                                                         Row("B", "1", "Done", "Reboot") +
                                                         Row("C", "1", "Done", "yes") +
                                                         "D\t\t1\tS\tL\tMon Jan  5 03:04:05 "
                                                         "2004\tMon Jan  5 03:04:05 2004\t"
                                                         "reboot\t7\tLast"));
    ScheduledUpdate_ObjectList list;
    EXPECT_TRUE(list.getObjectList());
    list.begin();
    std::vector<std::string> names, statuses;
    std::vector<bool> reboots;
    while (list.hasObject())
    {
        names.push_back(list.getName().c_str());
        statuses.push_back(list.getStatus().c_str());
        reboots.push_back(list.getRebootRequired());
        if (names.size() == 1)
        {
            EXPECT_STREQ("Base patch 2", list.getInstanceID().c_str());
            EXPECT_STREQ("Fixes  it", list.getShortDescription().c_str());
            EXPECT_STREQ("/opt/a", list.getLocation().c_str());
            EXPECT_STREQ("Mon Jan  5 03:04:05 2004", list.getDownloadDate().c_str());
            EXPECT_STREQ("Tue Feb 10 22:00:00 2004", list.getApplyDate().c_str());
            // Size comes before Status in the output.
            EXPECT_STREQ("10 MB", list.getSize().c_str());
        }
    }
    EXPECT_FALSE(list.hasObject());
    // Runs of tabs are one separator; text after the ninth field and a missing final newline
    // change nothing; a carriage return stays in the last field.
    EXPECT_EQ((std::vector<std::string>{"Base patch", "B", "C", "D"}), names);
    EXPECT_EQ((std::vector<std::string>{"Pending\r", "Done", "Done", "Last"}), statuses);
    EXPECT_EQ((std::vector<bool>{true, false, false, true}), reboots);
    EXPECT_EQ((std::vector<std::string>{kListing}), runner->commandLines());
}

TEST_F(ScheduledListTest, ShortLinesFailNamingTheFirstMissingField)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"A\t1\tS\tL\tD\tD\treboot\t7\n", "Status"},
        // An empty field between two tabs vanishes, so the later fields move left.
        {"A\t1\tS\t\tD\tD\treboot\t7\tPending\n", "Status"},
        {Row("A", "1") + "\n", "Name"},
        // The runner hands the first 1023 characters over as a line of their own.
        {"A\t1\t" + std::string(1100, 'x') + "\tL\tD\tD\treboot\t7\tPending\n", "Location"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.second);
        runner->script(kListing, ScriptedRunner::Exit(0, c.first));
        logger->clear();
        std::string message;
        ScheduledUpdate_ObjectList list;
        EXPECT_EQ(CIMException::FAILED, StatusOf([&] { list.getObjectList(); }, &message));
        std::string text = "Failed to parse " + c.second + " field from " + kSource;
        EXPECT_EQ(FailedText(text + "\n#SWU_Error_ParsingFailed," + c.second + "," + kSource + "#"),
                  message);
        EXPECT_EQ(std::vector<std::string>{text}, logger->textsAt(E_ERROR_LEVEL));
    }

    runner->script(kListing, ScriptedRunner::Exit(17, Row("A", "1")));
    runner->script("/vk/bin/softinv --errors 17 2>&1", ScriptedRunner::Exit(0, "Cannot read\n"));
    std::string message;
    ScheduledUpdate_ObjectList list;
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { list.getObjectList(); }, &message));
    EXPECT_EQ(FailedText("Cannot read\n\n#SWU_Softinv_PatchScheduleFailed#"), message);
}

TEST_F(ScheduledListTest, HoldsMoreRowsThanASixteenBitCursorCounts)
{
    runner->script(kListing,
                   ScriptedRunner::Exit(0, Lines(kLinesPastSixteenBits, [](size_t i)
                                                 { return Row("P" + std::to_string(i), "1"); })));
    ScheduledUpdate_ObjectList list;
    list.getObjectList();
    list.begin();
    size_t seen = 0;
    std::string last;
    while (list.hasObject())
    {
        last = list.getName().c_str();
        ++seen;
    }
    EXPECT_EQ(kLinesPastSixteenBits, seen);
    EXPECT_EQ("P65536", last);
}

TEST_F(ScheduledListTest, LookupFindsTheFirstExactInstanceIDAndRunsTheListingEachTime)
{
    runner->script(kListing,
                   ScriptedRunner::Exit(0, Row("Base patch", "2", "First") + Row("Other", "1") +
                                               Row("Base patch", "2", "Second")));
    ScheduledUpdate_ObjectInstanceManager manager;
    ScheduledUpdate record;
    manager.getOneObject("Base patch 2", record);
    EXPECT_EQ("Base patch 2", Text(&ScheduledUpdate::getInstanceID, record));
    EXPECT_EQ("First", Text(&ScheduledUpdate::getStatus, record));
    EXPECT_EQ(CIMException::NOT_FOUND,
              StatusOf([&] { manager.getOneObject("Base patch  2", record); }));
    EXPECT_EQ(2u, runner->commandLines().size());

    // Iteration keeps both duplicates, in output order.
    std::vector<std::string> statuses;
    for (manager.startIteration(); manager.hasNext();)
    {
        manager.getNext(record);
        statuses.push_back(Text(&ScheduledUpdate::getStatus, record));
    }
    manager.endIteration();
    EXPECT_EQ((std::vector<std::string>{"First", "Pending", "Second"}), statuses);

    runner->script(kListing, ScriptedRunner::Exit(0, ""));
    EXPECT_EQ(CIMException::NOT_FOUND, StatusOf([&] { manager.getOneObject("Other 1", record); }));
}

TEST_F(ScheduledListTest, ActionsRunTheirExactCommands)
{
    runner->script(kListing,
                   ScriptedRunner::Exit(0, Row("A", "1") + Row("x;touch /tmp/p", "1'2") +
                                               "B\t1\tS\tL\tnot a date\tMon Jan  5 03:04:05 "
                                               "2004\tno\t7\tPending\n"));
    runner->script("/vk/bin/softinv -l A-1 2>&1", ScriptedRunner::Exit(0, "Long\ntext\n"));
    runner->script("/vk/bin/softinv --msched B 1", ScriptedRunner::Exit(16));
    runner->script("/vk/bin/softinv --errors 16 2>&1", ScriptedRunner::Exit(1));
    ScheduledUpdate_ObjectInstanceManager manager;
    ScheduledUpdate record;

    manager.getOneObject("A 1", record);
    String description;
    EXPECT_TRUE(record.getUpdateDescription(description));
    EXPECT_STREQ("Long\ntext\n", description.c_str());
    EXPECT_STREQ("", record.remove().c_str());
    EXPECT_STREQ("", record.modify("Mon Jan  5 03:04:05 2004", "Tue Feb 10 22:00:00 2004").c_str());

    // Hostile names reach the tool as one word each and run nothing.
    manager.getOneObject("x;touch /tmp/p 1'2", record);
    runner->script("/vk/bin/softinv -l 'x;touch /tmp/p'-'1'\\''2' 2>&1", ScriptedRunner::Exit(3));
    EXPECT_FALSE(record.getUpdateDescription(description));
    record.remove();

    // Dates are read when asked for; the tool's refusal becomes the exception.
    manager.getOneObject("B 1", record);
    CIMDateTime date;
    EXPECT_THROW(record.getDownloadDate(date), Exception);
    EXPECT_TRUE(record.getApplyDate(date));
    EXPECT_EQ(5u, date.getDay());
    std::string message;
    EXPECT_EQ(CIMException::FAILED, StatusOf([&] { record.remove(); }, &message));
    EXPECT_EQ(FailedText("SWU_Softinv_PatchRemoveFailed"), message);

    std::vector<std::string> expected = {
        kListing,
        "/vk/bin/softinv -l A-1 2>&1",
        "/vk/bin/softinv --msched A 1",
        "/vk/bin/softinv --msched A 1 \"Mon Jan  5 03:04:05 2004\" \"Tue Feb 10 22:00:00 2004\"",
        kListing,
        "/vk/bin/softinv -l 'x;touch /tmp/p'-'1'\\''2' 2>&1",
        "/vk/bin/softinv --msched 'x;touch /tmp/p' '1'\\''2'",
        kListing,
        "/vk/bin/softinv --msched B 1",
        "/vk/bin/softinv --errors 16 2>&1",
    };
    EXPECT_EQ(expected, runner->commandLines());
}
