// The listings and single-update answers: their layouts (field count, no empty field, no
// header, short lines), the date texts, the exit codes, and names that hold blanks.
#include "ToolHarness.hpp"

#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <set>

namespace softinv::test
{
namespace
{

constexpr std::size_t kProviderLineLimitChars = 1023; // the provider reads lines in 1 KiB

bool isCtimeDate(const std::string& text)
{
    std::tm parts{};
    const char* end = strptime(text.c_str(), "%a %b %d %H:%M:%S %Y", &parts);
    // The provider's parser wants the day padded to two characters, as asctime does.
    return end != nullptr && *end == '\0' && text.size() == 24 && text[7] == ' ' && text[10] == ' ';
}

void expectWellFormed(const std::string& out, std::size_t fields)
{
    for (const auto& record : records(out))
    {
        ASSERT_EQ(record.size(), fields) << out;
        for (const auto& f : record)
        {
            EXPECT_FALSE(f.empty()) << out;
            EXPECT_EQ(f.find('\r'), std::string::npos);
        }
    }
    for (const auto& line : lines(out))
    {
        EXPECT_LT(line.size() + 1, kProviderLineLimitChars);
    }
}

class ListingTest : public ::testing::Test
{
protected:
    void fetchExamples()
    {
        auto r = tool.run({"--hd", examplesDir().string()});
        ASSERT_EQ(r.code, 0) << r.err;
    }
    ToolEnv tool;
};

TEST_F(ListingTest, FreshStateListsTheBaselineInventory)
{
    EXPECT_FALSE(std::filesystem::exists(tool.stateDir()));
    auto r = tool.run({});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.err.empty());
    EXPECT_TRUE(std::filesystem::is_directory(tool.stateDir()));
    expectWellFormed(r.out, 4);
    const std::set<std::string> classifications{"Other",
                                                "Driver",
                                                "Configuration Software",
                                                "Application Software",
                                                "Instrumentation",
                                                "Firmware/BIOS",
                                                "Diagnostic Software",
                                                "Operating System",
                                                "Middleware",
                                                "Firmware",
                                                "BIOS/FCode"};
    bool cartridge = false;
    for (const auto& f : records(r.out))
    {
        EXPECT_EQ(classifications.count(f[2]), 1u) << f[2];
        EXPECT_TRUE(isCtimeDate(f[3])) << f[3];
        cartridge = cartridge || (f[0] == "zvq77EMcartridge" && f[1] == "3.1.0");
    }
    EXPECT_TRUE(cartridge);
    // Empty listings are empty output with success, not an error.
    for (auto option : {"--cache", "--hist", "--sched", "--apply"})
    {
        auto empty = tool.run({option});
        EXPECT_EQ(empty.code, 0) << option;
        EXPECT_EQ(empty.out, "") << option;
    }
    EXPECT_EQ(tool.run({"--status"}).out, "0\nNo operation has run yet\n");
}

TEST_F(ListingTest, CacheListsEveryFetchedBundleWithItsStatus)
{
    fetchExamples();
    auto r = tool.run({"--cache"});
    ASSERT_EQ(r.code, 0);
    expectWellFormed(r.out, 6);
    auto rows = records(r.out);
    ASSERT_EQ(rows.size(), 7u);
    std::map<std::string, std::vector<std::string>> byId;
    for (const auto& row : rows)
    {
        byId[row[0] + " " + row[1]] = row;
        EXPECT_TRUE(row[4] == "reboot" || row[4] == "noreboot");
    }
    EXPECT_EQ(byId["kernel-security-fix 5.10.209-1"][4], "reboot");
    EXPECT_EQ(byId["mgmt-webapp 4.2.0"][4], "noreboot");
    EXPECT_EQ(byId["mgmt-webapp 4.2.0"][5], "Available");
    EXPECT_EQ(byId["mgmt-webapp 4.1.3"][5], "Obsolete"); // superseded by 4.2.0
    EXPECT_EQ(byId["tz-data 2024a"][3], "71 B");
}

TEST_F(ListingTest, AnswersAboutOneUpdate)
{
    fetchExamples();
    auto description = tool.run({"-l", "tz-data-2024a"});
    EXPECT_EQ(description.code, 0);
    std::ifstream source(examplesDir() / "tz-data-2024a/description.txt");
    std::string expected((std::istreambuf_iterator<char>(source)), {});
    EXPECT_EQ(description.out, expected);
    EXPECT_EQ(tool.run({"-l", "tz-data-2024b"}).code, 12);
    EXPECT_EQ(tool.run({"-l", "tz-data", "2024a"}).code, 2);

    auto warnings = tool.run({"--warnings", "mgmt-webapp", "4.2.0"});
    EXPECT_EQ(warnings.code, 0);
    EXPECT_NE(warnings.out.find("open sessions are closed"), std::string::npos);
    auto none = tool.run({"--warnings", "tz-data", "2024a"});
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(tool.run({"--warnings", "nothing", "1"}).code, 12);

    EXPECT_EQ(tool.run({"--hascomponents", "mgmt-webapp", "4.2.0"}).code, 0);
    EXPECT_EQ(tool.run({"--hascomponents", "tz-data", "2024a"}).code, 1);
    EXPECT_EQ(tool.run({"--hascomponents", "nothing", "1"}).code, 12);

    auto components = tool.run({"--components", "mgmt-webapp", "4.2.0"});
    EXPECT_EQ(components.code, 0);
    expectWellFormed(components.out, 2);
    auto rows = records(components.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "reports");
    EXPECT_EQ(rows[2][0], "snmp-agent");
    EXPECT_EQ(tool.run({"--components", "tz-data", "2024a"}).out, "");

    auto files = tool.run({"--files", "mgmt-webapp-4.2.0"});
    EXPECT_EQ(files.code, 0);
    EXPECT_EQ(lines(files.out).size(), 4u);
    EXPECT_EQ(lines(files.out)[0], "mgmt-webapp-4.2.0.noarch.pkg");
    auto all = lines(tool.run({"--files"}).out);
    EXPECT_EQ(all.size(), 12u); // every payload file of every cached update, once
    EXPECT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size());
    EXPECT_EQ(tool.run({"--files", "nothing-1"}).code, 12);
}

TEST_F(ListingTest, ErrorTextsAndCommandLineMistakes)
{
    auto text = tool.run({"--errors", "11"});
    EXPECT_EQ(text.code, 0);
    EXPECT_NE(text.out.find("FTP"), std::string::npos);
    for (int code : {12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 33, 34})
    {
        auto r = tool.run({"--errors", std::to_string(code)});
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(lines(r.out).size(), 1u) << code;
        EXPECT_EQ(r.out.find("Unknown"), std::string::npos) << code;
    }
    EXPECT_NE(tool.run({"--errors", "99"}).out.find("Unknown error (exit code 99)"),
              std::string::npos);
    EXPECT_EQ(tool.run({"--errors", "x"}).code, 2);
    EXPECT_EQ(tool.run({"--bogus"}).code, 2);
    EXPECT_EQ(tool.run({"--hist", "extra"}).code, 2);
    EXPECT_EQ(tool.run({"--apply", "only-a-name"}).code, 2);
    EXPECT_EQ(tool.run({"--msched", "a", "1", "one date"}).code, 2);
    EXPECT_EQ(tool.run({"--http", "127.0.0.1", "", "", "x", "maybe"}).code, 2);
}

// The provider quotes a name with a blank, so it arrives as one word; a bundle named with
// path characters must not escape the cache.
TEST_F(ListingTest, NamesWithBlanksAndHostileBundles)
{
    auto repo = tool.dir() / "repo";
    writeBundle(repo / "base", "Base patch", "2",
                {"component = extra extra-pkg 1.0 An extra part", "package = base-pkg 2"});
    writeBundle(repo / "evil", "../../outside", "1", {});
    writeBundle(repo / "traversal", "traversal", "1", {"file = ../../etc/passwd"});
    auto fetch = tool.run({"--hd", repo.string()});
    EXPECT_EQ(fetch.code, 14); // one bundle refused, the others fetched
    auto status = tool.status();
    ASSERT_EQ(status.size(), 2u);
    EXPECT_EQ(status[0], "2");
    EXPECT_NE(status[1].find("Fetched 2 of 3"), std::string::npos);

    auto cache = records(tool.run({"--cache"}).out);
    ASSERT_EQ(cache.size(), 2u);
    EXPECT_EQ(cache[0][0], "Base patch");
    EXPECT_EQ(cache[1][0], "../../outside");
    EXPECT_EQ(tool.run({"--components", "Base patch", "2"}).out, "extra\tAn extra part\n");
    EXPECT_EQ(tool.run({"-l", "Base patch-2"}).out, "About Base patch 2.\n");
    EXPECT_EQ(tool.run({"--apply", "Base patch", "2", "extra"}).code, 0);
    EXPECT_EQ(records(tool.run({"--hist"}).out)[0][0], "Base patch");
    // Nothing was written beside the state directory.
    for (const auto& entry : std::filesystem::directory_iterator(tool.dir()))
    {
        auto name = entry.path().filename().string();
        EXPECT_TRUE(name == "state" || name == "repo") << name;
    }
}

} // namespace
} // namespace softinv::test
