// Applying, cancelling, rolling back and scheduling; the in-progress mark; faults on demand;
// and concurrent runs on one state.
#include "ToolHarness.hpp"

#include <chrono>
#include <csignal>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace softinv::test
{
namespace
{

std::string ctime(std::time_t when)
{
    std::tm parts{};
    gmtime_r(&when, &parts); // the runs use TZ=UTC
    char buffer[64];
    std::strftime(buffer, sizeof buffer, "%a %b %e %H:%M:%S %Y", &parts);
    return buffer;
}

std::map<std::string, std::string> inventory(const ToolEnv& tool)
{
    std::map<std::string, std::string> versions;
    for (const auto& f : records(tool.run({}).out))
    {
        versions[f[0]] = f[1];
    }
    return versions;
}

// Polls --status until its text contains the given piece; bounded.
bool waitForStatus(const ToolEnv& tool, const std::string& piece)
{
    for (int i = 0; i < 250; ++i)
    {
        auto s = tool.status();
        if (s.size() == 2 && s[1].find(piece) != std::string::npos)
        {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

class OperationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto r = tool.run({"--hd", examplesDir().string()});
        ASSERT_EQ(r.code, 0) << r.err;
    }
    ToolEnv tool;
};

TEST_F(OperationTest, ApplyWithComponentsThenRollBackRestoresThePackages)
{
    auto before = inventory(tool);
    auto apply = tool.run({"--apply", "mgmt-webapp", "4.2.0", "reports", "ldap-auth"});
    ASSERT_EQ(apply.code, 0) << apply.err;
    EXPECT_EQ(tool.status(), (std::vector<std::string>{"0", "Applied mgmt-webapp 4.2.0 with "
                                                            "reports ldap-auth"}));
    auto after = inventory(tool);
    EXPECT_EQ(after["mgmt-webapp"], "4.2.0");
    EXPECT_EQ(after["mgmt-webapp-reports"], "4.2.0");
    EXPECT_EQ(after["mgmt-webapp-ldap"], "4.2.0");
    EXPECT_EQ(after.count("mgmt-webapp-snmp"), 0u); // not chosen
    auto hist = records(tool.run({"--hist"}).out);
    ASSERT_EQ(hist.size(), 1u);
    ASSERT_EQ(hist[0].size(), 6u);
    EXPECT_EQ(hist[0][3], "Application");
    EXPECT_EQ(hist[0][5], "Removable");
    for (const auto& row : records(tool.run({"--cache"}).out))
    {
        if (row[0] == "mgmt-webapp" && row[1] == "4.2.0")
        {
            EXPECT_EQ(row[5], "Applied");
        }
    }
    EXPECT_EQ(tool.run({"--apply", "mgmt-webapp", "4.2.0"}).code, 15); // already applied
    EXPECT_EQ(tool.run({"--apply", "mgmt-webapp", "4.1.3"}).code, 15); // superseded
    EXPECT_EQ(tool.run({"--apply", "tz-data", "2024a", "nosuch"}).code, 15);
    EXPECT_EQ(tool.run({"--apply", "nothing", "1"}).code, 15);

    ASSERT_EQ(tool.run({"--rback", "mgmt-webapp", "4.2.0"}).code, 0);
    EXPECT_EQ(inventory(tool), before);
    EXPECT_EQ(tool.run({"--hist"}).out, "");
    EXPECT_EQ(tool.run({"--rback", "mgmt-webapp", "4.2.0"}).code, 16);
}

TEST_F(OperationTest, CartridgeFirmwareAndFailingUpdates)
{
    ASSERT_EQ(tool.run({"--apply", "em-cartridge", "3.2.0"}).code, 0);
    EXPECT_EQ(inventory(tool)["zvq77EMcartridge"], "3.2.0");

    ASSERT_EQ(tool.run({"--apply", "bmc-firmware", "2.14.0"}).code, 0);
    EXPECT_EQ(records(tool.run({"--hist"}).out)[1][5], "Permanent");
    EXPECT_EQ(tool.run({"--rback", "bmc-firmware", "2.14.0"}).code, 16);
    EXPECT_EQ(inventory(tool)["bmc-firmware"], "2.14.0");

    // Installs its first package, fails on the second, and puts the first one back.
    auto before = inventory(tool);
    auto failed = tool.run({"--apply", "raid-driver", "7.3.1"});
    EXPECT_EQ(failed.code, 13);
    auto s = tool.status();
    EXPECT_EQ(s[0], "2");
    EXPECT_NE(s[1].find("kernel headers"), std::string::npos);
    EXPECT_EQ(inventory(tool), before);
    EXPECT_EQ(tool.run({"--apply"}).out, "");
    EXPECT_EQ(records(tool.run({"--hist"}).out).size(), 2u);
}

// Rolling back an update whose packages a later update changed again would undo that later
// update's work; only the latest one is removable.
TEST_F(OperationTest, OnlyTheLatestChangeOfAPackageIsRemovable)
{
    auto repo = tool.dir() / "layers";
    writeBundle(repo / "a", "layer-a", "1", {"package = shared-pkg 1"});
    writeBundle(repo / "b", "layer-b", "2", {"package = shared-pkg 2"});
    ASSERT_EQ(tool.run({"--hd", repo.string()}).code, 0);
    ASSERT_EQ(tool.run({"--apply", "layer-a", "1"}).code, 0);
    ASSERT_EQ(tool.run({"--apply", "layer-b", "2"}).code, 0);
    auto hist = records(tool.run({"--hist"}).out);
    EXPECT_EQ(hist[0][5], "Permanent");
    EXPECT_EQ(hist[1][5], "Removable");
    EXPECT_EQ(tool.run({"--rback", "layer-a", "1"}).code, 16);
    EXPECT_EQ(inventory(tool)["shared-pkg"], "2");
    ASSERT_EQ(tool.run({"--rback", "layer-b", "2"}).code, 0);
    EXPECT_EQ(inventory(tool)["shared-pkg"], "1");
    EXPECT_EQ(records(tool.run({"--hist"}).out)[0][5], "Removable");
    ASSERT_EQ(tool.run({"--rback", "layer-a", "1"}).code, 0);
    EXPECT_EQ(inventory(tool).count("shared-pkg"), 0u); // it was new, so it goes again
}

TEST_F(OperationTest, OneOperationAtATimeAndCancel)
{
    ASSERT_EQ(tool.run({"--setinprogress"}).code, 0);
    EXPECT_EQ(tool.status(), (std::vector<std::string>{"1", "Waiting for the operation to start"}));
    EXPECT_NE(tool.run({"--setinprogress"}).code, 0);

    // Ten packages and a second per step: the apply runs for ten seconds after its first
    // package is in, enough for slow (sanitized) runs, and the cancel cuts it short.
    auto repo = tool.dir() / "long";
    std::vector<std::string> packages{"reboot = yes"};
    for (int i = 0; i < 10; ++i)
    {
        packages.push_back("package = p" + std::to_string(i) + " 1");
    }
    writeBundle(repo, "long-update", "1", packages);
    ASSERT_EQ(tool.run({"--hd", repo.string()}).code, 0);
    auto before = inventory(tool);
    Env slow{{"SOFTINV_APPLY_MS", "11000"}};
    Running apply = tool.start({"--apply", "long-update", "1"}, slow);
    ASSERT_TRUE(waitForStatus(tool, "installing p0"));
    EXPECT_EQ(tool.status()[0], "1");
    auto active = records(tool.run({"--apply"}).out);
    ASSERT_EQ(active.size(), 1u);
    ASSERT_EQ(active[0].size(), 8u);
    EXPECT_EQ(active[0][0], "long-update");
    EXPECT_EQ(active[0][5], "reboot");
    EXPECT_EQ(active[0][7].rfind("Applying, step ", 0), 0u);
    EXPECT_NE(active[0][7].find(" of 12"), std::string::npos);
    EXPECT_EQ(inventory(tool)["p0"], "1"); // the first package is in

    EXPECT_NE(tool.run({"--setinprogress"}).code, 0);
    EXPECT_EQ(tool.run({"--apply", "tz-data", "2024a"}).code, 15);
    EXPECT_EQ(tool.run({"--rback", "tz-data", "2024a"}).code, 16);
    EXPECT_EQ(tool.run({"--hd", examplesDir().string()}).code, 14);

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(tool.run({"--rback", "long-update", "1"}).code, 0);
    EXPECT_EQ(tool.finish(apply).code, 15);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(tool.status(),
              (std::vector<std::string>{"2", "Apply of long-update 1 was cancelled; packages "
                                             "restored"}));
    EXPECT_EQ(inventory(tool), before);
    EXPECT_EQ(tool.run({"--apply"}).out, "");
    EXPECT_EQ(tool.run({"--hist"}).out, "");
    EXPECT_EQ(tool.run({"--setinprogress"}).code, 0);
}

TEST_F(OperationTest, AnnouncedOperationThatNeverStartsExpires)
{
    Env quick{{"SOFTINV_RESERVATION_TIMEOUT_MS", "100"}};
    ASSERT_EQ(tool.run({"--setinprogress"}, quick).code, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(tool.status()[0], "1"); // the default timeout has not passed
    EXPECT_EQ(tool.run({"--status"}, quick).out.substr(0, 2), "2\n");
    EXPECT_EQ(tool.run({"--setinprogress"}).code, 0);
    // A fetch that fails before it reaches its source still ends the announced operation.
    EXPECT_EQ(tool.run({"--usb", (tool.dir() / "missing").string()}).code, 22);
    EXPECT_EQ(tool.status()[0], "2");
    EXPECT_EQ(tool.run({"--setinprogress"}).code, 0);
    EXPECT_EQ(tool.run({"--samba", "999.1.1.1", "", "", "share"}).code, 21);
    EXPECT_EQ(tool.status()[0], "2");
}

TEST_F(OperationTest, ScheduleChangeRemoveAndDueApply)
{
    std::time_t now = std::time(nullptr);
    auto later = ctime(now + 3600);
    auto end = ctime(now + 7200);
    auto sched = tool.run({"--sched", "tz-data", "2024a", later, end});
    ASSERT_EQ(sched.code, 0) << sched.err;
    EXPECT_NE(sched.out.find("Scheduled tz-data 2024a"), std::string::npos);
    auto rows = records(tool.run({"--sched"}).out);
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0].size(), 9u);
    EXPECT_EQ(rows[0][3], "hd:" + examplesDir().string());
    EXPECT_EQ(rows[0][5], later);
    EXPECT_EQ(rows[0][6], "noreboot");
    EXPECT_EQ(rows[0][8], "Scheduled");
    EXPECT_EQ(records(tool.run({"--cache"}).out)[6][5], "Schedule");

    EXPECT_EQ(tool.run({"--sched", "tz-data", "2024a", later, end}).code, 17);
    EXPECT_EQ(tool.run({"--sched", "bmc-firmware", "2.14.0", end, later}).code, 17);
    EXPECT_EQ(tool.run({"--sched", "bmc-firmware", "2.14.0", "tomorrow", end}).code, 17);
    EXPECT_EQ(
        tool.run({"--sched", "bmc-firmware", "2.14.0", ctime(now - 7200), ctime(now - 3600)}).code,
        17);
    EXPECT_EQ(tool.run({"--sched", "nothing", "1", later, end}).code, 17);

    auto sooner = ctime(now + 1800);
    ASSERT_EQ(tool.run({"--msched", "tz-data", "2024a", sooner, end}).code, 0);
    EXPECT_EQ(records(tool.run({"--sched"}).out)[0][5], sooner);
    EXPECT_EQ(tool.run({"--msched", "tz-data", "2024a", end, sooner}).code, 18);
    EXPECT_EQ(tool.run({"--msched", "bmc-firmware", "2.14.0"}).code, 18);
    ASSERT_EQ(tool.run({"--msched", "tz-data", "2024a"}).code, 0);
    EXPECT_EQ(tool.run({"--sched"}).out, "");

    // A window that has opened: the next run starts the apply on its own.
    ASSERT_EQ(tool.run({"--sched", "tz-data", "2024a", ctime(now + 3600), end}).code, 0);
    ASSERT_EQ(tool.run({"--msched", "tz-data", "2024a", ctime(now - 60), end}).code, 0);
    tool.run({"--cache"});
    auto idle = tool.waitIdle();
    EXPECT_EQ(lines(idle.out)[1], "Applied tz-data 2024a");
    EXPECT_EQ(inventory(tool)["tz-data"], "2024a");
    EXPECT_EQ(tool.run({"--sched"}).out, "");
}

TEST_F(OperationTest, KilledOperationsAreRepairedByTheNextRun)
{
    auto before = inventory(tool);
    auto killed = tool.run({"--apply", "kernel-security-fix", "5.10.209-1"},
                           {{"SOFTINV_FAULT", "apply:kill"}});
    EXPECT_EQ(killed.signal, SIGKILL);
    auto s = tool.status();
    EXPECT_EQ(s[0], "2");
    EXPECT_NE(s[1].find("was interrupted; packages restored"), std::string::npos);
    EXPECT_EQ(inventory(tool), before);
    EXPECT_EQ(tool.run({"--apply"}).out, "");

    ASSERT_EQ(tool.run({"--apply", "tz-data", "2024a"}).code, 0);
    auto rollback = tool.run({"--rback", "tz-data", "2024a"}, {{"SOFTINV_FAULT", "rback:kill"}});
    EXPECT_EQ(rollback.signal, SIGKILL);
    EXPECT_NE(tool.status()[1].find("remains applied"), std::string::npos);
    EXPECT_EQ(inventory(tool)["tz-data"], "2024a");
    EXPECT_EQ(tool.run({"--setinprogress"}).code, 0);
}

TEST_F(OperationTest, FaultsOnDemand)
{
    auto failed = tool.run({"--cache"}, {{"SOFTINV_FAULT", "cache:exit:19"}});
    EXPECT_EQ(failed.code, 19);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(tool.run({"--hist"}, {{"SOFTINV_FAULT", "cache:exit:19"}}).code, 0);
    EXPECT_EQ(tool.run({}, {{"SOFTINV_FAULT", "inventory:exit:3"}}).code, 3);

    auto garbage = tool.run({"--status"}, {{"SOFTINV_FAULT", "status:garbage"}});
    EXPECT_EQ(garbage.code, 0);
    EXPECT_EQ(lines(garbage.out).size(), 1u);
    EXPECT_EQ(garbage.out.find('\t'), std::string::npos);
    EXPECT_EQ(tool.run({"--cache"}, {{"SOFTINV_FAULT", "*:garbage:a\\tb"}}).out, "a\tb\n");

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(tool.run({"--hist"}, {{"SOFTINV_FAULT", "hist:sleep:300"}}).code, 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(tool.run({"--hist"}, {{"SOFTINV_FAULT", "hist:kill"}}).signal, SIGKILL);

    // One-shot faults from the state directory strike the next matching run only.
    std::ofstream(tool.stateDir() / "faults") << "cache:exit:23\ncache:garbage\nhist:exit:5\n";
    EXPECT_EQ(tool.run({"--cache"}).code, 23);
    EXPECT_EQ(tool.run({"--cache"}).out, "softinv: malformed output (injected fault)\n");
    EXPECT_EQ(records(tool.run({"--cache"}).out).size(), 7u);
    EXPECT_EQ(tool.run({"--hist"}).code, 5);
    EXPECT_EQ(tool.run({"--hist"}).code, 0);

    // A fault naming an update strikes only that update's run of the option.
    std::ofstream(tool.stateDir() / "faults") << "apply tz-data:exit:9\n";
    EXPECT_EQ(tool.run({"--apply"}).code, 0);
    EXPECT_EQ(tool.run({"--apply", "tz-data", "2024a"}).code, 9);
    EXPECT_EQ(std::ifstream(tool.stateDir() / "faults").get(), EOF);

    // An injected failure of a long operation ends its announcement.
    ASSERT_EQ(tool.run({"--setinprogress"}).code, 0);
    EXPECT_EQ(tool.run({"--apply", "tz-data", "2024a"}, {{"SOFTINV_FAULT", "apply:exit:15"}}).code,
              15);
    EXPECT_EQ(tool.status()[0], "2");
}

// Many runs at once on one state: every change survives, and every reader sees a whole state.
TEST_F(OperationTest, ConcurrentRunsNeverLoseChanges)
{
    constexpr int kUpdates = 16;
    auto repo = tool.dir() / "many";
    for (int i = 0; i < kUpdates; ++i)
    {
        writeBundle(repo / std::to_string(i), "pkg" + std::to_string(i), "1",
                    {"package = p" + std::to_string(i) + " 1"});
    }
    ASSERT_EQ(tool.run({"--hd", repo.string()}).code, 0);
    std::time_t now = std::time(nullptr);
    std::vector<Running> runs;
    for (int i = 0; i < kUpdates; ++i)
    {
        runs.push_back(tool.start(
            {"--sched", "pkg" + std::to_string(i), "1", ctime(now + 3600), ctime(now + 7200)}));
        runs.push_back(tool.start({"--cache"}));
    }
    for (std::size_t i = 0; i < runs.size(); ++i)
    {
        auto r = tool.finish(runs[i]);
        EXPECT_EQ(r.code, 0) << r.err;
        if (i % 2 == 1)
        {
            EXPECT_EQ(records(r.out).size(), static_cast<std::size_t>(kUpdates + 7));
        }
    }
    EXPECT_EQ(records(tool.run({"--sched"}).out).size(), static_cast<std::size_t>(kUpdates));
    // Removing them again concurrently leaves nothing behind.
    runs.clear();
    for (int i = 0; i < kUpdates; ++i)
    {
        runs.push_back(tool.start({"--msched", "pkg" + std::to_string(i), "1"}));
    }
    for (auto& r : runs)
    {
        EXPECT_EQ(tool.finish(r).code, 0);
    }
    EXPECT_EQ(tool.run({"--sched"}).out, "");
}

} // namespace
} // namespace softinv::test
