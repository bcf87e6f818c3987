// Fetching from every kind of source: what arrives in the cache, where it is said to come
// from, the progress while it runs, and the exit code of each way it can fail.
#include "ToolHarness.hpp"

#include <chrono>
#include <fstream>
#include <thread>
#include <gtest/gtest.h>

namespace softinv::test
{
namespace
{

TEST(FetchTest, HttpFromALoopbackServer)
{
    ToolEnv tool;
    // One server for the sample repository and for a repository whose index lies.
    auto served = tool.dir() / "served";
    std::filesystem::create_directories(served / "repo");
    std::filesystem::create_directory_symlink(examplesDir(), served / "updates");
    writeBundle(served / "repo/good", "good", "1", {});
    std::ofstream(served / "repo/INDEX") << "good\nabsent\n";
    HttpServer server(served);
    Env port{{"SOFTINV_HTTP_PORT", std::to_string(server.port())},
             {"SOFTINV_HTTPS_PORT", std::to_string(server.port())}};
    auto fetch = tool.run({"--http", "127.0.0.1", "", "", "updates", "false"}, port);
    ASSERT_EQ(fetch.code, 0) << fetch.err;
    std::string location = "http://127.0.0.1:" + std::to_string(server.port()) + "/updates/";
    EXPECT_EQ(tool.status(),
              (std::vector<std::string>{"0", "Fetched 7 of 7 updates from " + location}));
    EXPECT_EQ(records(tool.run({"--cache"}).out).size(), 7u);
    std::ifstream source(examplesDir() / "mgmt-webapp-4.2.0/description.txt");
    std::string expected((std::istreambuf_iterator<char>(source)), {});
    EXPECT_EQ(tool.run({"-l", "mgmt-webapp-4.2.0"}).out, expected);
    ASSERT_EQ(tool.run({"--sched", "tz-data", "2024a", "20991231230000.000000+000",
                        "20991231235900.000000+000"})
                  .code,
              0);
    EXPECT_EQ(records(tool.run({"--sched"}).out)[0][3], location);

    // "127.1" is how inet_aton also reads 127.0.0.1.
    EXPECT_EQ(tool.run({"--http", "127.1", "", "", "/updates/", "false"}, port).code, 0);
    EXPECT_EQ(tool.run({"--http", "127.0.0.1", "", "", "missing", "false"}, port).code, 19);
    EXPECT_EQ(tool.status()[0], "2");
    EXPECT_EQ(tool.run({"--http", "127.0.0.1", "", "", "updates/..", "false"}, port).code, 19);
    EXPECT_EQ(tool.run({"--http", "not-an-address", "", "", "updates", "false"}, port).code, 19);
    // A plain HTTP server cannot answer TLS.
    EXPECT_EQ(tool.run({"--http", "127.0.0.1", "", "", "updates", "true"}, port).code, 20);
    // Listed in the index but not there: reachable server, download failure.
    EXPECT_EQ(tool.run({"--http", "127.0.0.1", "", "", "repo", "false"}, port).code, 14);
    EXPECT_NE(tool.status()[1].find("Fetched 1 of 2"), std::string::npos);
}

TEST(FetchTest, ProgressWhileFetching)
{
    ToolEnv tool;
    Running fetch = tool.start({"--hd", examplesDir().string()}, {{"SOFTINV_FETCH_MS", "1400"}});
    bool seen = false;
    for (int i = 0; i < 100 && !seen; ++i)
    {
        auto s = tool.status();
        seen = s.size() == 2 && s[0] == "1" && s[1].rfind("Downloading ", 0) == 0 &&
               s[1].find(" of 7: ") != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(seen);
    EXPECT_EQ(tool.finish(fetch).code, 0);
    EXPECT_EQ(tool.status()[0], "0");
}

TEST(FetchTest, UnreachableAndEmptySources)
{
    ToolEnv tool;
    auto empty = tool.dir() / "empty";
    std::filesystem::create_directories(empty);
    auto missing = (tool.dir() / "missing").string();
    Env closedPort{{"SOFTINV_FTP_PORT", "1"}, {"SOFTINV_HTTP_PORT", "1"}};
    EXPECT_EQ(tool.run({"--ftp", "127.0.0.1", "user", "secret", "pub"}, closedPort).code, 11);
    EXPECT_EQ(tool.status()[1].find("secret"), std::string::npos);
    EXPECT_EQ(tool.run({"--ftp", "300.1.1.1", "", "", "pub"}).code, 11);
    EXPECT_EQ(tool.run({"--http", "127.0.0.1", "", "", "x", "false"}, closedPort).code, 19);
    EXPECT_EQ(tool.run({"--usb", missing}).code, 22);
    EXPECT_EQ(tool.run({"--usb", empty.string()}).code, 33);
    EXPECT_EQ(tool.run({"--hd", missing}).code, 33);
    EXPECT_EQ(tool.run({"--hd", empty.string()}).code, 33);
    EXPECT_EQ(tool.run({"--em"}).code, 14);
    EXPECT_EQ(tool.run({"--em"}, {{"SOFTINV_EM_DIR", missing}}).code, 14);
    EXPECT_EQ(tool.run({"--em"}, {{"SOFTINV_EM_DIR", empty.string()}}).code, 23);
    EXPECT_EQ(tool.run({"--samba", "10.0.0.7", "", "", "updates"}).code, 21);
    EXPECT_EQ(tool.run({}).code, 0); // nothing of this touched the inventory
    EXPECT_EQ(tool.run({"--cache"}).out, "");
}

TEST(FetchTest, DirectorySourcesSambaAndElementManager)
{
    ToolEnv tool;
    auto root = tool.dir() / "smb";
    std::filesystem::create_directories(root / "10.0.0.7/share");
    std::filesystem::copy(examplesDir() / "tz-data-2024a", root / "10.0.0.7/share/tz",
                          std::filesystem::copy_options::recursive);
    std::ofstream(root / "10.0.0.7/.credentials") << "admin:pw\n";
    Env samba{{"SOFTINV_SAMBA_ROOT", root.string()}};
    EXPECT_EQ(tool.run({"--samba", "10.0.0.7", "admin", "wrong", "share"}, samba).code, 21);
    EXPECT_EQ(tool.run({"--samba", "10.0.0.8", "admin", "pw", "share"}, samba).code, 21);
    EXPECT_EQ(tool.run({"--samba", "10.0.0.7", "admin", "pw", "absent"}, samba).code, 21);
    ASSERT_EQ(tool.run({"--samba", "10.0.0.7", "admin", "pw", "share"}, samba).code, 0);
    auto rows = records(tool.run({"--cache"}).out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "tz-data");

    // A path that is itself one bundle is fetched as that bundle.
    EXPECT_EQ(tool.run({"--usb", (examplesDir() / "bmc-firmware-2.14.0").string()}).code, 0);
    EXPECT_EQ(tool.run({"--em"}, {{"SOFTINV_EM_DIR", examplesDir().string()}}).code, 0);
    EXPECT_EQ(records(tool.run({"--cache"}).out).size(), 7u);

    // A payload whose size differs from its manifest is kept but marked invalid.
    auto repo = tool.dir() / "corrupt";
    writeBundle(repo, "corrupt", "1", {"file = payload.bin 999"});
    std::ofstream(repo / "payload.bin") << "short";
    EXPECT_EQ(tool.run({"--hd", repo.string()}).code, 0);
    EXPECT_NE(tool.status()[1].find("1 invalid"), std::string::npos);
    EXPECT_EQ(records(tool.run({"--cache"}).out).back()[5], "Invalid");
    EXPECT_EQ(tool.run({"--apply", "corrupt", "1"}).code, 15);
}

} // namespace
} // namespace softinv::test
