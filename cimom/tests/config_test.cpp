#include "config.h"
#include "daemon.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace cimom
{
namespace
{

// The error message of `f`, or a note that it did not throw.
template <class F> std::string errorOf(F&& f)
{
    try
    {
        f();
    }
    catch (const ConfigError& error)
    {
        return error.what();
    }
    return "(no error)";
}

ConfigItems minimal()
{
    return {{kMofFilesItem, "classes.mof"}};
}

// A fresh file under /tmp holding `text`; the caller removes it.
std::string temporaryFile(const std::string& text)
{
    char path[] = "/tmp/cimom_config_XXXXXX";
    const int fd = mkstemp(path);
    close(fd);
    std::ofstream(path) << text;
    return path;
}

TEST(ConfigTextTest, ReadsItemsCommentsAndBlankLines)
{
    const ConfigItems items = parseConfigText("# a comment\n"
                                              "\n"
                                              "http_server.http_port = 6000\n"
                                              "   # indented comment\n"
                                              "vk.em_filename=/opt/em/cartridge.tar  \r\n"
                                              "owcimomd.log_location =\n"
                                              "cimomd.realm = a = b\n",
                                              "test.conf");
    EXPECT_EQ(items.size(), 4u);
    EXPECT_EQ(items.at("http_server.http_port"), "6000");
    EXPECT_EQ(items.at("vk.em_filename"), "/opt/em/cartridge.tar");
    EXPECT_EQ(items.at("owcimomd.log_location"), "");
    EXPECT_EQ(items.at("cimomd.realm"), "a = b");
}

TEST(ConfigTextTest, NamesFileAndLineOfABadLine)
{
    EXPECT_EQ(errorOf([] { parseConfigText("a = 1\n\njust words\n", "my.conf"); }),
              "my.conf:3: expected 'name = value', got 'just words'");
    EXPECT_EQ(errorOf([] { parseConfigText("= 5\n", "my.conf"); }),
              "my.conf:1: missing item name before '='");
    EXPECT_EQ(errorOf([] { parseConfigText("bad key = 5\n", "my.conf"); }),
              "my.conf:1: item name 'bad key' may hold only letters, digits, '_', '.' and '-'");
    EXPECT_EQ(errorOf([] { parseConfigText("a = 1\n# c\na = 2\n", "my.conf"); }),
              "my.conf:3: 'a' is already set on line 1");
}

TEST(ConfigTextTest, ReadsFilesAndReportsMissingOnes)
{
    const std::string path = temporaryFile("cimomd.mof_files = a.mof b.mof\n");
    EXPECT_EQ(readConfigFile(path).at(kMofFilesItem), "a.mof b.mof");
    std::remove(path.c_str());
    EXPECT_NE(errorOf([&] { readConfigFile(path); }).find(path + ": cannot open"),
              std::string::npos);
}

TEST(ConfigTextTest, TheSampleConfigurationIsUsable)
{
    const ConfigItems items = readConfigFile(EXAMPLES_DIR "/cimomd.conf");
    const DaemonSettings settings = settingsFrom(items);
    EXPECT_EQ(settings.listenAddresses, std::vector<std::string>{"127.0.0.1"});
    EXPECT_EQ(settings.httpPort, kDefaultHttpPort);
    EXPECT_FALSE(settings.allowAnonymous);
    EXPECT_FALSE(settings.mofFiles.empty());
}

TEST(ConfigSettingsTest, DefaultsAreLoopbackPlainHttpWithoutAnonymousAccess)
{
    const DaemonSettings settings = settingsFrom(minimal());
    EXPECT_EQ(settings.listenAddresses, std::vector<std::string>{"127.0.0.1"});
    EXPECT_EQ(settings.httpPort, 5988);
    EXPECT_EQ(settings.httpsPort, 0); // no certificate
    EXPECT_FALSE(settings.allowAnonymous);
    EXPECT_EQ(settings.usersFile, kDefaultUsersFile);
    EXPECT_EQ(settings.mofFiles, std::vector<std::string>{"classes.mof"});
    EXPECT_EQ(settings.logLevel, OpenWBEM::E_INFO_LEVEL);
    EXPECT_EQ(settings.workerThreads, kDefaultWorkerThreads);
}

TEST(ConfigSettingsTest, ReadsPortsCertificatesAndLists)
{
    ConfigItems items = minimal();
    items[kCertificateItem] = "/etc/cimomd/server.pem";
    items[kListenAddressesItem] = "127.0.0.1, ::1";
    items[kMofFilesItem] = "a.mof,b.mof  c.mof";
    items[kHttpPortItem] = "-1";
    items[kLogLevelItem] = "DEBUG";
    items[kWorkerThreadsItem] = "3";
    DaemonSettings settings = settingsFrom(items);
    EXPECT_EQ(settings.httpPort, 0);
    EXPECT_EQ(settings.httpsPort, 5989);
    EXPECT_EQ(settings.privateKeyFile, "/etc/cimomd/server.pem"); // key in the certificate file
    EXPECT_EQ(settings.listenAddresses, (std::vector<std::string>{"127.0.0.1", "::1"}));
    EXPECT_EQ(settings.mofFiles, (std::vector<std::string>{"a.mof", "b.mof", "c.mof"}));
    EXPECT_EQ(settings.logLevel, OpenWBEM::E_DEBUG_LEVEL);
    EXPECT_EQ(settings.workerThreads, 3);

    items[kPrivateKeyItem] = "/etc/cimomd/server.key";
    items[kHttpsPortItem] = "0";
    items[kHttpPortItem] = "6000";
    settings = settingsFrom(items);
    EXPECT_EQ(settings.privateKeyFile, "/etc/cimomd/server.key");
    EXPECT_EQ(settings.httpsPort, 0);
    EXPECT_EQ(settings.httpPort, 6000);
}

TEST(ConfigSettingsTest, RefusesValuesItCannotUseNamingTheItem)
{
    const auto errorFor = [](const char* key, const char* value)
    {
        ConfigItems items = minimal();
        items[key] = value;
        return errorOf([&] { settingsFrom(items); });
    };
    EXPECT_EQ(errorFor(kHttpPortItem, "http"),
              "http_server.http_port = 'http': expected a whole number from -1 to 65535");
    EXPECT_NE(errorFor(kHttpPortItem, "65536").find("http_server.http_port"), std::string::npos);
    EXPECT_NE(errorFor(kHttpsPortItem, "5989").find("needs a certificate"), std::string::npos);
    EXPECT_NE(errorFor(kListenAddressesItem, "localhost").find("not a numeric"), std::string::npos);
    EXPECT_NE(errorFor(kListenAddressesItem, " ").find("no address"), std::string::npos);
    EXPECT_NE(errorFor(kAllowAnonymousItem, "yes").find("expected true or false"),
              std::string::npos);
    EXPECT_NE(errorFor(kLogLevelItem, "verbose").find("owcimomd.log_level"), std::string::npos);
    EXPECT_NE(errorFor(kWorkerThreadsItem, "0").find("from 1 to 256"), std::string::npos);
    EXPECT_NE(errorFor(kAnonymousRoleItem, "root").find("readonly or admin"), std::string::npos);
    EXPECT_NE(errorFor(kRealmItem, "a\"b").find("quotes"), std::string::npos);
    EXPECT_NE(errorOf([] { settingsFrom({}); }).find("cimomd.mof_files is not set"),
              std::string::npos);

    ConfigItems off = minimal();
    off[kHttpPortItem] = "0";
    EXPECT_NE(errorOf([&] { settingsFrom(off); }).find("nothing to listen on"), std::string::npos);
}

TEST(ConfigSettingsTest, AllowsAnonymousAccessOnlyOnLoopback)
{
    ConfigItems items = minimal();
    items[kAllowAnonymousItem] = "TRUE";
    items[kListenAddressesItem] = "127.0.0.1 ::1 127.0.0.2";
    EXPECT_TRUE(settingsFrom(items).allowAnonymous);
    EXPECT_EQ(settingsFrom(items).anonymousRole, Role::ReadOnly);
    items[kAnonymousRoleItem] = "admin";
    EXPECT_EQ(settingsFrom(items).anonymousRole, Role::Admin);

    for (const char* address : {"0.0.0.0", "::", "192.168.1.4", "127.0.0.1 10.0.0.1"})
    {
        items[kListenAddressesItem] = address;
        EXPECT_NE(errorOf([&] { settingsFrom(items); }).find("loopback"), std::string::npos)
            << address;
    }
    items[kAllowAnonymousItem] = "false";
    EXPECT_FALSE(settingsFrom(items).allowAnonymous); // any address without anonymous access
}

TEST(ConfigSettingsTest, RecognisesLoopbackAddresses)
{
    for (const char* address : {"127.0.0.1", "127.255.0.9", "::1", "::ffff:127.0.0.1"})
    {
        EXPECT_TRUE(isLoopbackAddress(address)) << address;
    }
    for (const char* address : {"128.0.0.1", "0.0.0.0", "::", "::ffff:10.0.0.1", "localhost", ""})
    {
        EXPECT_FALSE(isLoopbackAddress(address)) << address;
    }
}

TEST(CommandLineTest, OverridesFileItemsInOrder)
{
    const std::string path = temporaryFile("http_server.http_port = 5988\nvk.em_filename = /a\n");
    const CommandLine line =
        parseCommandLine({"--config", path, "--set", "http_server.http_port=7000", "--set=x.y = z",
                          "--pid-file", "/run/c.pid", "--foreground"});
    const ConfigItems items = loadConfiguration(line);
    EXPECT_EQ(items.at("http_server.http_port"), "7000");
    EXPECT_EQ(items.at("vk.em_filename"), "/a");
    EXPECT_EQ(items.at("x.y"), "z");
    EXPECT_EQ(items.at(kPidFileItem), "/run/c.pid");
    std::remove(path.c_str());

    EXPECT_TRUE(parseCommandLine({"--help"}).help);
    const auto errorFor = [](const std::vector<std::string>& arguments)
    { return errorOf([&] { parseCommandLine(arguments); }); };
    EXPECT_EQ(errorFor({"--bogus"}), "unknown option '--bogus'");
    EXPECT_EQ(errorFor({"--set"}), "--set needs a value");
    EXPECT_EQ(errorFor({"--set", "novalue"}), "'novalue': expected name=value");
    const CommandLine missing = parseCommandLine({"--config", path});
    EXPECT_NE(errorOf([&] { loadConfiguration(missing); }).find(path + ": cannot open"),
              std::string::npos);
}

TEST(ConfigReloadTest, NamesTheChangedItemsThatNeedARestart)
{
    const ConfigItems running = {{kHttpPortItem, "5988"},
                                 {kLogLevelItem, "info"},
                                 {"vk.em_filename", "cartridge"},
                                 {kRealmItem, ""}};
    const struct
    {
        ConfigItems reread;
        std::vector<std::string> expected;
    } cases[] = {
        {running, {}},
        // The level is what a reload applies; blanks around a value and an empty item left
        // out change nothing.
        {{{kHttpPortItem, " 5988 "}, {kLogLevelItem, "debug"}, {"vk.em_filename", "cartridge"}},
         {}},
        {{{kHttpPortItem, "5990"}, {"vk.em_filename", "other"}, {kUsersFileItem, "/x"}},
         {kUsersFileItem, kHttpPortItem, "vk.em_filename"}},
        {{}, {kHttpPortItem, "vk.em_filename"}},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(itemsNeedingRestart(running, c.reread), c.expected);
    }
}

} // namespace
} // namespace cimom
