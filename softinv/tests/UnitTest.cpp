// The pieces whose faults would corrupt state or mislead a reader: the state file's
// escaping, the date texts, the manifest checks and the fault texts.
#include "Bundle.hpp"
#include "ExitCodes.hpp"
#include "Faults.hpp"
#include "State.hpp"
#include "Text.hpp"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace softinv
{
namespace
{

class LocalZone
{
public:
    explicit LocalZone(const char* zone)
    {
        const char* old = std::getenv("TZ");
        had_ = old != nullptr;
        old_ = had_ ? old : "";
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~LocalZone()
    {
        had_ ? ::setenv("TZ", old_.c_str(), 1) : ::unsetenv("TZ");
        ::tzset();
    }

private:
    bool had_ = false;
    std::string old_;
};

TEST(StateFileTest, AwkwardTextsSurviveARoundTrip)
{
    const std::string awkward = "a\tb,c;d=e%f\ng\rh 100% ,;=";
    State state;
    state.nextOpId = 42;
    state.progress.mark = Mark::Running;
    state.progress.kind = OpKind::Rollback;
    state.progress.opId = 41;
    state.progress.subject = awkward;
    state.progress.code = 1;
    state.progress.text = "Rolling back";
    state.packages.push_back({awkward, "1:2.3~rc1+b", "Operating System", 1700000000});
    state.cache.push_back({awkward, "2", "u-x", "smb://10.0.0.7/a b", 1700000001, ""});
    state.schedule.push_back({"n", "v", 1, 2, 3});
    PackageChange change{awkward, true, "1,0", "Firmware/BIOS", 5, "2;0", "x=y"};
    state.active.push_back({41, "n", "v", 7, 2, 4, {"c1", awkward}, {change}});
    state.history.push_back({"h", "1", 9, {}, {change, {"new", false, "", "", 0, "1", "Other"}}});

    auto text = serializeState(state);
    auto back = parseState(text);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(serializeState(*back), text);
    EXPECT_EQ(back->nextOpId, 42);
    EXPECT_EQ(back->progress.mark, Mark::Running);
    EXPECT_EQ(back->progress.kind, OpKind::Rollback);
    EXPECT_EQ(back->progress.subject, awkward);
    EXPECT_EQ(back->packages[0].name, awkward);
    EXPECT_EQ(back->cache[0].location, "smb://10.0.0.7/a b");
    EXPECT_EQ(back->active[0].components, (std::vector<std::string>{"c1", awkward}));
    EXPECT_EQ(back->active[0].changes[0].package, awkward);
    EXPECT_EQ(back->active[0].changes[0].oldVersion, "1,0");
    EXPECT_EQ(back->active[0].changes[0].newVersion, "2;0");
    EXPECT_TRUE(back->history[0].components.empty());
    ASSERT_EQ(back->history[0].changes.size(), 2u);
    EXPECT_FALSE(back->history[0].changes[1].hadOld);
    // Every record stays on one line whatever the texts hold.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 8);

    EXPECT_FALSE(parseState("").has_value());
    EXPECT_FALSE(parseState("softinv-state\t2\n").has_value());
    EXPECT_FALSE(parseState("softinv-state\t1\npackage\tonly-a-name\n").has_value());
    EXPECT_FALSE(parseState("softinv-state\t1\nsched\tn\tv\tnot-a-number\t2\t3\n").has_value());
}

TEST(DateTextTest, CtimeAndCimFormsInAZoneWithSummerTime)
{
    LocalZone zone("Europe/Berlin");
    // 2024-07-01 10:00:00 UTC is 12:00 in Berlin (summer), 2024-01-05 03:04:05 UTC is 04:04:05.
    EXPECT_EQ(formatDate(1719828000), "Mon Jul  1 12:00:00 2024");
    EXPECT_EQ(formatDate(1704423845), "Fri Jan  5 04:04:05 2024");
    EXPECT_EQ(parseDate("Mon Jul  1 12:00:00 2024"), std::optional<std::time_t>(1719828000));
    EXPECT_EQ(parseDate("Mon Jul 1 12:00:00 2024"), std::optional<std::time_t>(1719828000));
    EXPECT_EQ(parseDate(" Fri Jan  5 04:04:05 2024\n"), std::optional<std::time_t>(1704423845));
    EXPECT_EQ(parseDate("20240105030405.000000+000"), std::optional<std::time_t>(1704423845));
    EXPECT_EQ(parseDate("20240105040405.000000+060"), std::optional<std::time_t>(1704423845));
    EXPECT_EQ(parseDate("20240104220405.000000-300"), std::optional<std::time_t>(1704423845));
    for (auto bad : {"", "tomorrow", "2024-01-05 03:04:05", "Fri Jan  5 04:04 2024",
                     "Fri Jan  5 04:04:05 2024 extra", "20241305030405.000000+000",
                     "2024010503040x.000000+000"})
    {
        EXPECT_FALSE(parseDate(bad).has_value()) << bad;
    }
    for (std::time_t t : {std::time_t{0}, std::time_t{1711846800}, std::time_t{1729994400}})
    {
        EXPECT_EQ(parseDate(formatDate(t)), std::optional<std::time_t>(t)) << t;
    }
}

TEST(ManifestTest, AcceptsTheDocumentedKeysAndRefusesUnsafeOnes)
{
    Bundle b = parseManifest("# comment\n"
                             "name = Base patch\n"
                             "version = 2.0-1\n"
                             "summary = Fixes things\n"
                             "description = d.txt\n"
                             "warnings = w.txt\n"
                             "reboot = yes\n"
                             "removable = no\n"
                             "package = base 2.0-1\n"
                             "component = extra extra-pkg 1:1.0 Extra   part, 2 words\n"
                             "file = base.pkg 12\n"
                             "file = other.pkg\n"
                             "supersedes = base 1.0\n",
                             kExitDownloadFailed);
    EXPECT_EQ(b.name, "Base patch");
    EXPECT_TRUE(b.reboot);
    EXPECT_FALSE(b.removable);
    ASSERT_EQ(b.components.size(), 1u);
    EXPECT_EQ(b.components[0].package.version, "1:1.0");
    EXPECT_EQ(b.components[0].description, "Extra   part, 2 words");
    EXPECT_EQ(b.files[0].bytes, std::optional<std::uint64_t>(12));
    EXPECT_FALSE(b.files[1].bytes.has_value());
    EXPECT_EQ(b.allFileNames(),
              (std::vector<std::string>{"manifest", "d.txt", "w.txt", "base.pkg", "other.pkg"}));

    const std::string head = "name = n\nversion = 1\nsummary = s\ndescription = d.txt\n";
    for (auto bad :
         {"file = ../escape", "file = sub/dir", "file = d.txt", "file = manifest", "file = .hidden",
          "component = c/x pkg 1 text", "component = c pkg 1", "package = p", "package = p 1 extra",
          "reboot = 1", "colour = blue", "no equals sign", "name = -dash"})
    {
        EXPECT_THROW(parseManifest(head + bad + "\n", kExitDownloadFailed), ToolError) << bad;
    }
    try
    {
        parseManifest("name = n\nversion = 1\n", kExitDownloadFailed);
        FAIL();
    }
    catch (const ToolError& e)
    {
        EXPECT_EQ(e.code, kExitDownloadFailed);
    }
    EXPECT_FALSE(isFieldText("tab\there", 64));
    EXPECT_FALSE(isFieldText(" leading", 64));
    EXPECT_TRUE(isPlainToken("libtls-3.0.11-2.amd64.pkg", 200));
    EXPECT_FALSE(isPlainToken("a b", 200));
}

TEST(FaultTextTest, ParsesEveryKindAndRefusesTheRest)
{
    auto exit = parseFault("cache:exit:19");
    ASSERT_TRUE(exit.has_value());
    EXPECT_EQ(exit->kind, Fault::Exit);
    EXPECT_EQ(exit->command, "cache");
    EXPECT_EQ(exit->number, 19);
    auto garbage = parseFault("*:garbage:x:\\ty\\n");
    ASSERT_TRUE(garbage.has_value());
    EXPECT_EQ(garbage->text, "x:\ty\n");
    EXPECT_EQ(parseFault("l:sleep:250")->number, 250);
    EXPECT_EQ(parseFault(" apply:kill ")->kind, Fault::Kill);
    for (auto bad : {"", "cache", ":exit:1", "cache:exit", "cache:exit:256", "cache:exit:-1",
                     "cache:sleep:soon", "cache:kill:9", "cache:explode"})
    {
        EXPECT_FALSE(parseFault(bad).has_value()) << bad;
    }
}

} // namespace
} // namespace softinv
