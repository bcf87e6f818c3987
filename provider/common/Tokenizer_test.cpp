// GetNextToken: fields, separators, the parse failure and per-thread positions.
#include "common/Common.h"
#include "testsupport/ScriptedRunner.h"

#include <string>
#include <thread>
#include <vector>

using namespace OpenWBEM;

namespace
{

using TokenizerTest = ProviderTest;

const char kSource[] = "/vk/bin/softinv --sched ";

std::string Next(const char* text, const char* label = "Field")
{
    return GetNextToken(text, label, kSource).c_str();
}

// The exception text of a missing field, as the client receives it.
std::string ParseFailure(const std::string& label)
{
    std::string message = "Failed to parse " + label + " field from " + kSource;
    return FailedText(message + "\n#SWU_Error_ParsingFailed," + label + "," + kSource + "#");
}

std::string FailureOf(const char* text, const char* label)
{
    try
    {
        GetNextToken(text, label, kSource);
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(e.getErrNo(), CIMException::FAILED);
        return e.getMessage();
    }
    return "no exception";
}

// Next() for use on a thread of its own, where an escaping exception would end the program.
std::string NextOnThread(const char* text)
{
    try
    {
        return Next(text);
    }
    catch (const CIMException&)
    {
        return "<parse failure>";
    }
}

} // namespace

TEST_F(TokenizerTest, SplitsOnTabsAndNewlinesSkippingEmptyFields)
{
    char line[] = "a\t\tb\n";
    EXPECT_EQ(Next(line), "a");
    EXPECT_EQ(Next(nullptr), "b");
    EXPECT_EQ(FailureOf(nullptr, "Third"), ParseFailure("Third"));
    EXPECT_STREQ(line, "a\t\tb\n") << "the caller's line is left as it was";

    // Spaces and carriage returns are part of a field; leading separators are skipped.
    EXPECT_EQ(Next("\n\tBase patch 2\r\t 7 \tlast"), "Base patch 2\r");
    EXPECT_EQ(Next(nullptr), " 7 ");
    EXPECT_EQ(Next(nullptr), "last");

    // A new line starts over, whatever was left of the previous one.
    EXPECT_EQ(Next("x\ty"), "x");
    EXPECT_EQ(Next("p\tq"), "p");
    EXPECT_EQ(Next(nullptr), "q");
}

TEST_F(TokenizerTest, MissingFieldLogsThenThrowsTheLocalisableMessage)
{
    EXPECT_EQ(FailureOf("\n", "Name"), ParseFailure("Name"));
    EXPECT_EQ(FailureOf("", "Version"), ParseFailure("Version"));
    EXPECT_EQ(FailureOf("\t\n\t", "Short Description"), ParseFailure("Short Description"));
    // Asking again after the end keeps failing rather than reading past the line.
    EXPECT_EQ(FailureOf(nullptr, "Size"), ParseFailure("Size"));

    logger->clear();
    FailureOf("\n", "Name");
    std::vector<RecordingLogger::Line> lines = logger->lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].level, E_ERROR_LEVEL);
    EXPECT_EQ(lines[0].text, "Failed to parse Name field from /vk/bin/softinv --sched ");
    EXPECT_EQ(lines[1].level, E_INFO_LEVEL);
    EXPECT_EQ(lines[1].text, "Exception: Failed to parse Name field from /vk/bin/softinv --sched "
                             "\n#SWU_Error_ParsingFailed,Name,/vk/bin/softinv --sched #");
}

TEST_F(TokenizerTest, EachThreadKeepsItsOwnPosition)
{
    // Between two fields of this thread's line a new thread first asks to continue a line it
    // never started, which must fail cleanly rather than read from nowhere or from this
    // thread's line, then parses a line of its own.
    EXPECT_EQ(Next("a1\ta2\ta3"), "a1");
    std::string fresh;
    std::vector<std::string> other;
    std::thread(
        [&]
        {
            fresh = FailureOf(nullptr, "Name");
            other = {NextOnThread("b1\tb2\tb3"), NextOnThread(nullptr), NextOnThread(nullptr)};
        })
        .join();
    EXPECT_EQ(fresh, ParseFailure("Name"));
    EXPECT_EQ(other, (std::vector<std::string>{"b1", "b2", "b3"}));
    EXPECT_EQ(Next(nullptr), "a2");
    EXPECT_EQ(Next(nullptr), "a3");
}
