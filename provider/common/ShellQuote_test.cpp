// Shell quoting: ordinary words pass unchanged, everything else comes back from a real shell
// as exactly the text that went in.
#include "common/Execute.h"
#include "common/ShellQuote.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

using namespace OpenWBEM;

namespace
{

std::string Quote(const std::string& text)
{
    return ShellQuote(String(text.c_str(), text.size())).c_str();
}

} // namespace

TEST(ShellQuoteTest, OrdinaryWordsPassUnchanged)
{
    for (const char* word : {"", "BasePatch", "1.2.3-4", "10.0.0.1", "/var/tmp/x_y+z",
                             "user@host:21", "a=b,c%d", "ABCxyz0189"})
    {
        EXPECT_EQ(Quote(word), word);
    }
}

TEST(ShellQuoteTest, EverythingElseBecomesOneSingleQuotedWord)
{
    EXPECT_EQ(Quote("Base patch"), "'Base patch'");
    EXPECT_EQ(Quote("it's"), "'it'\\''s'");
    EXPECT_EQ(Quote("'"), "''\\'''");
    EXPECT_EQ(Quote("a;b"), "'a;b'");
    EXPECT_EQ(Quote("caf\xc3\xa9"), "'caf\xc3\xa9'");
}

TEST(ShellQuoteTest, RealShellReadsBackTheExactText)
{
    const char* texts[] = {
        "plain",
        "two words",
        "it's",
        "'; touch /tmp/swu_pwned; '",
        "$(touch /tmp/swu_pwned)",
        "`touch /tmp/swu_pwned`",
        "a\nb",
        "tab\there",
        "*",
        "~root",
        "$HOME",
        "back\\slash",
        "\"dq\"",
        "-n",
        "& | > < ( ) { } [ ] ! #",
        "caf\xc3\xa9",
    };
    for (const char* text : texts)
    {
        String output;
        EXPECT_EQ(Execute(String("printf '%s' ") + ShellQuote(String(text)), output), 0) << text;
        EXPECT_EQ(std::string(output.c_str()), text);
    }
    EXPECT_NE(access("/tmp/swu_pwned", F_OK), 0) << "a quoted text ran a command";
}
