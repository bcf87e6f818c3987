// The three runner forms against the scripted runner: exact command lines, how output is cut
// into lines, exit codes, and what a pipe that cannot be opened leaves behind.
#include "common/Execute.h"
#include "testsupport/ScriptedRunner.h"

#include <string>
#include <vector>

using namespace OpenWBEM;

namespace
{

using ExecuteTest = ProviderTest;

std::vector<std::string> Texts(const Array<String>& lines)
{
    std::vector<std::string> texts;
    for (size_t i = 0; i < lines.size(); ++i)
    {
        texts.push_back(std::string(lines[i].c_str(), lines[i].length()));
    }
    return texts;
}

} // namespace

TEST_F(ExecuteTest, LineFormCapturesStandardErrorAndSplitsLikeFgets)
{
    const std::string line1023(1023, 'a');
    runner->script("/vk/bin/softinv --hist 2>&1",
                   ScriptedRunner::Exit(0, "one\ttwo\n\nlast-without-newline"));
    runner->script("long 2>&1", ScriptedRunner::Exit(4, line1023 + "\n" + std::string(2500, 'b')));

    Array<String> lines;
    EXPECT_EQ(Execute(String("/vk/bin/softinv --hist"), lines), 0);
    EXPECT_EQ(Texts(lines), (std::vector<std::string>{"one\ttwo\n", "\n", "last-without-newline"}));

    EXPECT_EQ(Execute(String("long"), lines), 4);
    EXPECT_EQ(Texts(lines),
              (std::vector<std::string>{line1023, "\n", std::string(1023, 'b'),
                                        std::string(1023, 'b'), std::string(454, 'b')}));

    ASSERT_EQ(runner->calls().size(), 2u);
    EXPECT_EQ(runner->calls()[0].commandLine, "/vk/bin/softinv --hist 2>&1");
    EXPECT_TRUE(runner->calls()[0].capturing);
}

TEST_F(ExecuteTest, WholeOutputForm)
{
    runner->script("/vk/bin/softinv --status  2>&1", ScriptedRunner::Exit(0, "50\nFetching\n"));
    String output("stale");
    EXPECT_EQ(Execute(String("/vk/bin/softinv --status "), output), 0);
    EXPECT_EQ(std::string(output.c_str()), "50\nFetching\n");
    EXPECT_EQ(runner->commandLines(), std::vector<std::string>{"/vk/bin/softinv --status  2>&1"});

    runner->script("fails 2>&1", ScriptedRunner::Exit(23, std::string(3000, 'e')));
    EXPECT_EQ(Execute(String("fails"), output), 23);
    EXPECT_EQ(output.length(), 3000u) << "the whole output is one text, not cut into pieces";
}

TEST_F(ExecuteTest, EmptyOutputReplacesAndUnopenablePipeKeeps)
{
    Array<String> lines;
    lines.push_back(String("stale"));
    String output("stale");
    EXPECT_EQ(Execute(String("quiet"), lines), 0);
    EXPECT_TRUE(lines.empty()) << "a run replaces what the list held";
    EXPECT_EQ(Execute(String("quiet"), output), 0);
    EXPECT_TRUE(output.empty());

    lines.push_back(String("kept"));
    output = String("kept");
    runner->script("broken 2>&1", ScriptedRunner::NoPipe());
    EXPECT_EQ(Execute(String("broken"), lines), -1);
    EXPECT_EQ(Texts(lines), std::vector<std::string>{"kept"});
    EXPECT_EQ(Execute(String("broken"), output), -1);
    EXPECT_EQ(std::string(output.c_str()), "kept");
}

TEST_F(ExecuteTest, StatusOnlyFormRunsTheCommandUnchanged)
{
    runner->script("/vk/bin/softinv --setinprogress", ScriptedRunner::Exit(7, "ignored"));
    EXPECT_EQ(Execute(String("/vk/bin/softinv --setinprogress")), 7);
    ASSERT_EQ(runner->calls().size(), 1u);
    EXPECT_EQ(runner->calls()[0].commandLine, "/vk/bin/softinv --setinprogress");
    EXPECT_FALSE(runner->calls()[0].capturing);

    // Exit codes are bits 8 to 15 of the wait status; nothing else is looked at.
    runner->script("nostart", ScriptedRunner::RawStatus(-1));
    EXPECT_EQ(Execute(String("nostart")), 255);
    runner->script("killed", ScriptedRunner::RawStatus(9));
    EXPECT_EQ(Execute(String("killed")), 0);
    runner->script("high", ScriptedRunner::Exit(255));
    EXPECT_EQ(Execute(String("high")), 255);
}
