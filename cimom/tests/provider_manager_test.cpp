// The provider loading protocol against real libraries (a good one and broken ones), the
// once-only initialization under concurrent first requests, the provider environment, the
// daemon logger, and several threads using one CimService at once.
#include "cim/service.h"
#include "cim_test_support.h"
#include "logger.h"
#include "provider_manager.h"
#include "repository.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <sstream>
#include <thread>
#include <unistd.h>
#include <vector>

namespace cimom
{
namespace
{

using namespace test;

OpenWBEM::LoggerRef quietLogger()
{
    return DaemonLogger::toStderr(OpenWBEM::E_FATAL_ERROR_LEVEL);
}

std::string loadError(ProviderManager& manager, const std::string& id)
{
    try
    {
        manager.provider(id);
    }
    catch (const ProviderLoadError& e)
    {
        return e.what();
    }
    return "";
}

int helloInitializeCalls()
{
    void* library = ::dlopen((std::string(TEST_PROVIDER_DIR) + "/libHelloProvider.so").c_str(),
                             RTLD_NOW | RTLD_NOLOAD);
    if (library == nullptr)
    {
        return 0;
    }
    auto count = reinterpret_cast<int (*)()>(::dlsym(library, "helloProviderInitializeCalls"));
    const int calls = count != nullptr ? count() : -1;
    ::dlclose(library);
    return calls;
}

TEST(ProviderManager, LoadsByIdAndInitializesOnceUnderConcurrentFirstRequests)
{
    ProviderManager manager(
        {{kProviderDirItem, TEST_PROVIDER_DIR}, {"hello.initialize_delay_ms", "100"}},
        quietLogger());
    const int before = helloInitializeCalls();
    std::atomic<bool> go{false};
    std::vector<OpenWBEM::CppProviderBaseIFC*> seen(8, nullptr);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
    {
        threads.emplace_back(
            [&, i]
            {
                while (!go)
                {
                    std::this_thread::yield();
                }
                seen[i] = &manager.provider("HelloProvider");
            });
    }
    go = true;
    for (std::thread& t : threads)
    {
        t.join();
    }
    EXPECT_EQ(helloInitializeCalls() - before, 1);
    for (OpenWBEM::CppProviderBaseIFC* p : seen)
    {
        EXPECT_EQ(p, seen[0]);
    }
    EXPECT_NE(seen[0]->getInstanceProvider(), nullptr);
    EXPECT_NE(seen[0]->getMethodProvider(), nullptr);
}

TEST(ProviderManager, BrokenLibrariesGetClearErrors)
{
    ProviderManager manager({{kProviderDirItem, TEST_PROVIDER_DIR}}, quietLogger());
    const std::string missing = loadError(manager, "Absent");
    EXPECT_NE(missing.find(std::string(TEST_PROVIDER_DIR) + "/libAbsent.so"), std::string::npos)
        << missing;
    const std::string version = loadError(manager, "BadVersionProvider");
    EXPECT_NE(version.find("3.0.2"), std::string::npos) << version;
    EXPECT_NE(version.find("3.0.3"), std::string::npos) << version;
    const std::string factory = loadError(manager, "NoFactoryProvider");
    EXPECT_NE(factory.find("createProviderNoFactoryProvider"), std::string::npos) << factory;
    EXPECT_NE(loadError(manager, "../test_providers/HelloProvider").find("invalid provider id"),
              std::string::npos);
    // A failed load is tried again, and still fails cleanly.
    EXPECT_EQ(loadError(manager, "BadVersionProvider"), version);

    ProviderManager unconfigured({}, quietLogger());
    EXPECT_EQ(unconfigured.providerDirectory(), kDefaultProviderDir);
}

TEST(ProviderManager, EnvironmentCarriesConfigUserAndLogger)
{
    ProviderManager manager({{"vk.em_filename", "/tmp/em.xml"}, {"empty.item", ""}}, quietLogger());
    const OpenWBEM::ProviderEnvironmentIFCRef env = manager.environment("alice");
    EXPECT_EQ(std::string(env->getConfigItem("vk.em_filename").c_str()), "/tmp/em.xml");
    EXPECT_EQ(std::string(env->getConfigItem("empty.item", "dflt").c_str()), "");
    EXPECT_EQ(std::string(env->getConfigItem("not.set", "dflt").c_str()), "dflt");
    EXPECT_EQ(std::string(env->getUserName().c_str()), "alice");
    EXPECT_TRUE(bool(env->getLogger()));
    EXPECT_FALSE(bool(env->getCIMOMHandle()));
    EXPECT_FALSE(bool(env->getRepository()));
    EXPECT_EQ(std::string(manager.environment("")->getUserName().c_str()), "");
}

TEST(DaemonLogger, WritesOneLinePerMessageAtTheConfiguredLevel)
{
    char path[] = "/tmp/cimom_logger_XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    {
        OpenWBEM::LoggerRef logger = DaemonLogger::toFile(path, OpenWBEM::E_INFO_LEVEL);
        logger->logInfo("first\nforged line");
        logger->logDebug("too detailed");
        logger->logError("second");
    }
    const std::string written = readFile(path);
    ::unlink(path);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 2) << written;
    EXPECT_NE(written.find(" INFO first\\nforged line\n"), std::string::npos) << written;
    EXPECT_NE(written.find(" ERROR second\n"), std::string::npos);
    EXPECT_EQ(written.find("too detailed"), std::string::npos);
    EXPECT_EQ(written[4], '-') << "lines start with the date";

    EXPECT_THROW(DaemonLogger::toFile("/nonexistent-dir/x.log", OpenWBEM::E_ERROR_LEVEL),
                 std::runtime_error);
    EXPECT_EQ(parseLogLevel("DEBUG"), OpenWBEM::E_DEBUG_LEVEL);
    EXPECT_EQ(parseLogLevel("fatal"), OpenWBEM::E_FATAL_ERROR_LEVEL);
    EXPECT_FALSE(parseLogLevel("verbose"));
}

// What log rotation and SIGHUP do: the file is moved away and opened again by name, the level
// changes, while other threads keep logging; no line is lost or split between the two files.
TEST(DaemonLogger, FollowsARotatedFileAndANewLevelWhileThreadsLog)
{
    char directory[] = "/tmp/cimom_logger_XXXXXX";
    ASSERT_NE(::mkdtemp(directory), nullptr);
    const std::string path = std::string(directory) + "/cimomd.log";
    const std::string rotated = path + ".1";
    const auto logger = DaemonLogger::create(path, OpenWBEM::E_INFO_LEVEL);
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
    {
        threads.emplace_back(
            [&]
            {
                while (!stop)
                {
                    logger->logInfo("steady");
                }
            });
    }
    logger->logDebug("hidden");
    ASSERT_EQ(::rename(path.c_str(), rotated.c_str()), 0);
    std::string problem;
    EXPECT_TRUE(logger->reopen(&problem)) << problem;
    logger->setThreshold(OpenWBEM::E_DEBUG_LEVEL);
    logger->logDebug("shown");
    stop = true;
    for (auto& thread : threads)
    {
        thread.join();
    }
    logger->setThreshold(OpenWBEM::E_ERROR_LEVEL);
    logger->logInfo("hidden again");
    const std::string before = readFile(rotated);
    const std::string after = readFile(path);
    ::unlink(path.c_str());
    ::unlink(rotated.c_str());
    ::rmdir(directory);
    EXPECT_EQ(before.find("hidden"), std::string::npos);
    EXPECT_EQ(after.find("hidden"), std::string::npos);
    EXPECT_NE(after.find(" DEBUG shown\n"), std::string::npos) << after;
    for (const std::string* text : {&before, &after})
    {
        std::istringstream lines(*text);
        std::string line;
        while (std::getline(lines, line))
        {
            ASSERT_TRUE(line.size() > 30 && line[4] == '-' && line.back() != ' ') << line;
        }
    }
    EXPECT_TRUE(DaemonLogger::create("stderr", OpenWBEM::E_INFO_LEVEL)->reopen());
}

TEST(CimServiceConcurrency, ManyThreadsGetCorrectAnswersAtOnce)
{
    Repository repository;
    repository.loadMofFile(std::string(CAPTURE_DIR) + "/Hello_Thing.mof");
    ProviderManager providers({{kProviderDirItem, TEST_PROVIDER_DIR}}, quietLogger());
    std::atomic<int> audited{0};
    CimService service(repository, providers, [&](const AuditRecord&) { ++audited; });
    const std::vector<std::string> names = {"ein", "ei",          "gi",         "gi_notfound",
                                            "cm",  "cm_instance", "cm_getclass"};
    std::vector<CimRequest> requests;
    std::vector<std::string> expected;
    for (const std::string& name : names)
    {
        requests.push_back(
            requestFrom(readCapture(std::string(CAPTURE_DIR) + "/" + name + ".txt")));
        expected.push_back(
            readCapture(std::string(CAPTURE_DIR) + "/" + name + ".response.txt").body);
    }
    constexpr int kThreads = 8;
    constexpr int kRoundsPerThread = 40;
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back(
            [&, t]
            {
                for (int round = 0; round < kRoundsPerThread; ++round)
                {
                    const size_t which = static_cast<size_t>(t + round) % requests.size();
                    if (service.handle(requests[which]).body != expected[which])
                    {
                        ++wrong;
                    }
                }
            });
    }
    for (std::thread& t : threads)
    {
        t.join();
    }
    EXPECT_EQ(wrong, 0);
    // Two of the seven exchanges are method calls, and each of those is audited.
    EXPECT_GT(audited, 0);
}

} // namespace
} // namespace cimom
