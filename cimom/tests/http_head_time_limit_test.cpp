// The limit on the time a client may take to send a request head, against a server with four
// workers and a limit of 500 ms.
#include "http/server.h"

#include "auth.h"
#include "http_test_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <mutex>
#include <thread>

namespace cimom
{
namespace
{

using namespace std::chrono_literals;
using test::cimPost;
using test::RawConnection;

const std::string kAdminAuth = "Authorization: Basic " + encodeBase64("root:rootpw") + "\r\n";

// Keeps every line logged, for tests that look for one.
class CapturingLogger : public OpenWBEM::Logger
{
public:
    CapturingLogger() : OpenWBEM::Logger(OpenWBEM::E_DEBUG_LEVEL) {}

    // How many of the lines logged so far contain `text`.
    std::size_t countLinesWith(const std::string& text) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto contains = [&](const std::string& line)
        { return line.find(text) != std::string::npos; };
        return static_cast<std::size_t>(std::count_if(lines_.begin(), lines_.end(), contains));
    }

protected:
    void doLogMessage(const OpenWBEM::String& message, OpenWBEM::ELogLevel) const override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.emplace_back(message.c_str());
    }

private:
    mutable std::mutex mutex_;
    mutable std::vector<std::string> lines_;
};

// A request with the body "slow" keeps its handler busy for longer than the limit.
class HttpHeadTimeLimitTest : public ::testing::Test
{
protected:
    void SetUp() override { std::signal(SIGPIPE, SIG_IGN); }

    void startServer()
    {
        HttpServerOptions options;
        options.listeners = {{"127.0.0.1", 0, false}};
        options.workerThreads = 4;
        options.headerTimeLimit = 500ms;
        server_ = std::make_unique<HttpServer>(
            options, authenticator_,
            [this](const CimRequest& request)
            {
                ++handled_;
                if (request.body == "slow")
                {
                    std::this_thread::sleep_for(1000ms);
                }
                return CimResponse{200, "<CIM/>", "", {}};
            },
            loggerRef_);
        server_->start();
        port_ = server_->boundPorts().at(0);
    }

    std::size_t requests() const { return handled_.load(); }

    Authenticator authenticator_{{{"root", Role::Admin, hashPassword("rootpw")}}, {}};
    CapturingLogger* logger_ = new CapturingLogger; // owned by loggerRef_
    OpenWBEM::LoggerRef loggerRef_{logger_};
    std::atomic<std::size_t> handled_{0};
    std::unique_ptr<HttpServer> server_;
    int port_ = 0;
};

TEST_F(HttpHeadTimeLimitTest, CutsOffClientsThatTrickleTheirRequestHeads)
{
    const auto started = std::chrono::steady_clock::now();
    startServer();
    const std::string request = cimPost("<CIM/>", kAdminAuth);
    std::vector<std::unique_ptr<RawConnection>> slow;
    for (int i = 0; i < 4; ++i)
    {
        slow.push_back(std::make_unique<RawConnection>(port_));
        if (i == 0)
        {
            // A prompt request first does not earn the next head any more time.
            ASSERT_TRUE(slow.back()->send(request));
            ASSERT_EQ(slow.back()->readResponse().status, 200);
        }
        ASSERT_TRUE(slow.back()->send(request.substr(0, 1)));
    }
    // Every worker now reads a head that is never finished; this client waits behind them.
    RawConnection prompt(port_);
    ASSERT_TRUE(prompt.send(request));

    // One byte per client every 200 ms, well within the library's timeout for a single read.
    std::vector<std::chrono::milliseconds> cutAfter(slow.size(), 0ms);
    const auto elapsed = [&]
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - started);
    };
    for (std::size_t next = 1; next < request.size() && elapsed() < 5s; ++next)
    {
        bool open = false;
        for (std::size_t i = 0; i < slow.size(); ++i)
        {
            if (cutAfter[i] == 0ms &&
                (!slow[i]->send(request.substr(next, 1)) || slow[i]->closedBy(50ms)))
            {
                cutAfter[i] = elapsed();
            }
            open = open || cutAfter[i] == 0ms;
        }
        if (!open)
        {
            break;
        }
    }
    for (std::size_t i = 0; i < slow.size(); ++i)
    {
        EXPECT_GE(cutAfter[i], 500ms) << i;
        EXPECT_LT(cutAfter[i], 1500ms) << i;
        const std::string peer = "127.0.0.1:" + std::to_string(slow[i]->localPort());
        EXPECT_EQ(logger_->countLinesWith(peer + ": no complete request head within 500 ms"), 1u)
            << peer;
    }
    EXPECT_EQ(logger_->countLinesWith("no complete request head"), slow.size());
    // Answered once the workers were free again, long before any read timed out.
    EXPECT_EQ(prompt.readResponse(2s).status, 200);
    EXPECT_EQ(requests(), 2u);
}

TEST_F(HttpHeadTimeLimitTest, LeavesRequestsWhoseHeadsArriveInTimeAlone)
{
    startServer();
    {
        // A client gone while its handler runs: its worker finds out when it answers.
        RawConnection gone(port_);
        ASSERT_TRUE(gone.send(cimPost("slow", kAdminAuth)));
        std::this_thread::sleep_for(100ms);
        gone.reset();
    }
    {
        // The body has a limit of its own.
        RawConnection connection(port_);
        const std::string request = cimPost("<CIM>late body</CIM>", kAdminAuth);
        const std::size_t headEnd = request.find("\r\n\r\n") + 4;
        ASSERT_TRUE(connection.send(request.substr(0, headEnd)));
        std::this_thread::sleep_for(1000ms);
        ASSERT_TRUE(connection.send(request.substr(headEnd)));
        EXPECT_EQ(connection.readResponse().status, 200);
        // On a kept-alive connection each head is timed from the previous response.
        for (int i = 0; i < 4; ++i)
        {
            std::this_thread::sleep_for(300ms);
            ASSERT_TRUE(connection.send(cimPost("<CIM/>", kAdminAuth))) << i;
            EXPECT_EQ(connection.readResponse().status, 200) << i;
        }
    }
    {
        // Handlers outlasting the limit on every worker, and a client queued behind them for
        // as long.
        std::vector<std::unique_ptr<RawConnection>> busy;
        for (int i = 0; i < 4; ++i)
        {
            busy.push_back(std::make_unique<RawConnection>(port_));
            ASSERT_TRUE(busy.back()->send(cimPost("slow", kAdminAuth + "Connection: close\r\n")));
        }
        std::this_thread::sleep_for(100ms);
        RawConnection queued(port_);
        ASSERT_TRUE(queued.send(cimPost("<CIM/>", kAdminAuth)));
        for (auto& connection : busy)
        {
            EXPECT_EQ(connection->readResponse().status, 200);
        }
        EXPECT_EQ(queued.readResponse().status, 200);
    }
    EXPECT_EQ(requests(), 11u);
    EXPECT_EQ(logger_->countLinesWith("no complete request head"), 0u);
}

} // namespace
} // namespace cimom
