#include "output.h"

#include <gtest/gtest.h>

using namespace swu;

namespace
{

Value text(const std::string& t)
{
    Value v;
    v.null = false;
    v.text = t;
    return v;
}

} // namespace

TEST(Output, ServerTextCannotDriveTheTerminal)
{
    EXPECT_EQ(printable("evil\x1b]0;pwned\x07name"), "evil\\x1b]0;pwned\\x07name");
    EXPECT_EQ(printable("a\nb\rc\td"), "a\\x0ab\\x0dc d");
    EXPECT_EQ(printable("a\nb", true), "a\nb");
    EXPECT_EQ(printable("caf\xc3\xa9"), "caf\xc3\xa9");
}

TEST(Output, TablesAlignOnCharactersAndRecordsMapTheirValues)
{
    Instance i;
    i.properties = {{"Name", text("caf\xc3\xa9")},
                    {"VersionString", text("1")},
                    {"Status", text("3")},
                    {"Size", text("2 MB")},
                    {"RebootRequired", text("true")},
                    {"ShortDescription", Value{}},
                    {"InstanceID", text("0")}};
    Instance j = i;
    j.properties[0].second = text("tz-data");
    j.properties[2].second = text("99");
    std::string t = table({i, j}, availableView());
    EXPECT_EQ(t, "NAME     VERSION  STATUS     SIZE  REBOOT  SUMMARY\n"
                 "caf\xc3\xa9     1        Available  2 MB  yes     -\n"
                 "tz-data  1        99         2 MB  yes     -\n");

    Json a = toJson(i, availableView());
    EXPECT_EQ(a["status"], "Available");
    EXPECT_EQ(a["status_code"], 3);
    EXPECT_EQ(a["reboot_required"], true);
    EXPECT_TRUE(a["summary"].is_null());
    EXPECT_TRUE(a["description"].is_null()); // absent, not empty
    EXPECT_EQ(toJson(j, availableView())["status"], "99");
    // The field names are an interface: scripts depend on them in this order.
    std::vector<std::string> keys;
    for (auto it = a.begin(); it != a.end(); ++it)
    {
        keys.push_back(it.key());
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"name", "version", "status", "status_code", "size",
                                              "reboot_required", "summary", "description",
                                              "instance_id"}));
}

TEST(Output, JsonSurvivesInvalidUtf8AndTheBarFitsOneLine)
{
    EXPECT_NO_THROW(dump(Json{{"name", std::string("bad\xff\xfe")}}));
    std::string line = ProgressDisplay::barLine("Applying x: step 2 of 4, installing a very "
                                                "long package name that does not fit",
                                                0, 40);
    EXPECT_EQ(line.size(), 39u);
    EXPECT_EQ(line.substr(0, 32), "[######..................]  25% ");
    EXPECT_EQ(ProgressDisplay::barLine("starting", 3, 80).substr(0, 26),
              "[...###..................]");
}
