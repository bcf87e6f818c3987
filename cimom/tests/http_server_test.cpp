#include "http/server.h"

#include "auth.h"
#include "http_test_client.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <mutex>

namespace cimom
{
namespace
{

using namespace std::chrono_literals;
using test::cimPost;
using test::ParsedResponse;
using test::RawConnection;

const std::string kAdminAuth = "Authorization: Basic " + encodeBase64("root:rootpw") + "\r\n";
const std::string kReaderAuth = "Authorization: Basic " + encodeBase64("reader:readpw") + "\r\n";

std::vector<UserEntry> testUsers()
{
    static const std::vector<UserEntry> users = {
        {"root", Role::Admin, hashPassword("rootpw")},
        {"reader", Role::ReadOnly, hashPassword("readpw")},
    };
    return users;
}

// A server on a free loopback port whose handler records what reached it.
class HttpServerTest : public ::testing::Test
{
protected:
    void SetUp() override { std::signal(SIGPIPE, SIG_IGN); }

    void startServer(AuthPolicy policy = {}, std::vector<Listener> listeners = {})
    {
        authenticator_ = std::make_unique<Authenticator>(testUsers(), policy);
        HttpServerOptions options;
        options.listeners =
            listeners.empty() ? std::vector<Listener>{{"127.0.0.1", 0, false}} : listeners;
        options.certificateFile = certificate_;
        options.privateKeyFile = key_;
        options.workerThreads = 4;
        options.realm = "testrealm";
        server_ = std::make_unique<HttpServer>(
            options, *authenticator_,
            [this](const CimRequest& request)
            {
                std::lock_guard<std::mutex> lock(mutex_);
                requests_.push_back(request);
                if (request.body == "throw")
                {
                    throw std::runtime_error("handler failure");
                }
                return answer_;
            },
            nullptr);
        server_->start();
        port_ = server_->boundPorts().at(0);
    }

    std::vector<CimRequest> requests()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

    ParsedResponse exchange(const std::string& bytes)
    {
        RawConnection connection(port_);
        connection.send(bytes);
        return connection.readResponse();
    }

    std::unique_ptr<Authenticator> authenticator_;
    std::unique_ptr<HttpServer> server_;
    int port_ = 0;
    std::string certificate_;
    std::string key_;
    CimResponse answer_{
        200,
        "<CIM>answer</CIM>",
        "application/xml; charset=\"utf-8\"",
        {{"CIMOperation", "MethodResponse"}, {"CIMError", "none"}, {"X-Other", "1"}}};
    std::mutex mutex_;
    std::vector<CimRequest> requests_;
};

TEST_F(HttpServerTest, PassesCimRequestsAndAnswersWithTheCimHeaders)
{
    startServer();
    RawConnection connection(port_);
    ASSERT_TRUE(connection.send(cimPost("<CIM>request</CIM>", kAdminAuth)));
    const ParsedResponse response = connection.readResponse();

    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, "<CIM>answer</CIM>");
    EXPECT_EQ(response.header("Content-Type"), "application/xml; charset=\"utf-8\"");
    EXPECT_EQ(response.header("Cache-Control"), "no-cache");
    EXPECT_FALSE(response.header("Server").empty());
    EXPECT_NE(response.header("Date").find(" GMT"), std::string::npos);
    // The extension headers carry the prefix that Man declares.
    const std::string man = response.header("Man");
    const auto ns = man.find("; ns=");
    ASSERT_NE(ns, std::string::npos) << man;
    EXPECT_EQ(man.substr(0, ns), "http://www.dmtf.org/cim/mapping/http/v1.0 ");
    const std::string prefix = man.substr(ns + 5);
    EXPECT_EQ(response.header(prefix + "-CIMOperation"), "MethodResponse");
    EXPECT_EQ(response.header(prefix + "-CIMError"), "none");
    EXPECT_EQ(response.header("X-Other"), "1");

    const auto seen = requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].body, "<CIM>request</CIM>");
    EXPECT_EQ(seen[0].cimOperation, "MethodCall");
    EXPECT_EQ(seen[0].cimMethod, "EnumerateInstanceNames");
    EXPECT_EQ(seen[0].cimObject, "root%2Fcimv2");
    EXPECT_EQ(seen[0].caller.user, "root");
    EXPECT_EQ(seen[0].caller.role, Role::Admin);
    EXPECT_EQ(seen[0].caller.address, "127.0.0.1");

    // The connection stays open for the next request, which reaches the handler as well. Its
    // object path arrives escaped, decoding to what the client meant.
    std::string second = cimPost("second", kReaderAuth);
    second.replace(second.find("CIMObject: root%2Fcimv2"), 23,
                   "CIMObject: root%2Fcimv2%3AHello_Thing.InstanceID=\"50%25 done\"");
    ASSERT_TRUE(connection.send(second));
    EXPECT_EQ(connection.readResponse().status, 200);
    ASSERT_EQ(requests().size(), 2u);
    EXPECT_EQ(requests()[1].caller.role, Role::ReadOnly);
    EXPECT_EQ(requests()[1].cimObject,
              "root%2Fcimv2%3AHello_Thing.InstanceID%3D%2250%25%20done%22");
}

TEST_F(HttpServerTest, RefusesMissingWrongAndMalformedCredentialsWithTheBasicChallenge)
{
    startServer();
    const std::vector<std::string> refused = {
        "",
        "Authorization: Basic " + encodeBase64("root:wrong") + "\r\n",
        "Authorization: Basic " + encodeBase64("nobody:rootpw") + "\r\n",
        "Authorization: Basic " + encodeBase64("rootrootpw") + "\r\n",
        "Authorization: Basic cm9vdDpyb290cHc\r\n", // padding missing
        "Authorization: Basic !!!!\r\n",
        "Authorization: Digest username=\"root\"\r\n",
        "Authorization: Basic\r\n",
        kAdminAuth + kAdminAuth, // two headers
    };
    for (const auto& header : refused)
    {
        RawConnection connection(port_);
        ASSERT_TRUE(connection.send(cimPost("<CIM/>", header)));
        const ParsedResponse response = connection.readResponse();
        EXPECT_EQ(response.status, 401) << header;
        EXPECT_EQ(response.header("WWW-Authenticate"), "Basic realm=\"testrealm\"") << header;
        EXPECT_EQ(response.header("Connection"), "close") << header;
        EXPECT_EQ(response.header("Content-Length"), "0") << header;
        EXPECT_TRUE(connection.closedBy(2s)) << header;
    }
    EXPECT_TRUE(requests().empty());
}

TEST_F(HttpServerTest, AnonymousAccessOnlyWhenAllowed)
{
    startServer(AuthPolicy{true, Role::ReadOnly});
    EXPECT_EQ(exchange(cimPost("<CIM/>", "")).status, 200);
    // Wrong credentials are not downgraded to anonymous access.
    EXPECT_EQ(exchange(cimPost("<CIM/>", "Authorization: Basic " + encodeBase64("root:x") + "\r\n"))
                  .status,
              401);
    ASSERT_EQ(requests().size(), 1u);
    EXPECT_EQ(requests()[0].caller.user, "");
    EXPECT_EQ(requests()[0].caller.role, Role::ReadOnly);
}

TEST_F(HttpServerTest, AnswersOtherPathsMethodsAndBrokenRequestsAndClosesTheConnection)
{
    startServer();
    struct Case
    {
        std::string request;
        int status;
    };
    const std::vector<Case> cases = {
        {"GET /cimom HTTP/1.1\r\nHost: x\r\n\r\n", 405},
        {"PUT /cimom HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n", 405},
        {"POST /other HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n", 404},
        {"M-POST /cimom HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n", 501},
        {"garbage\r\n\r\n", 400},
        {"POST /cimom HTTP/1.1\r\nHost: x\r\n\r\n", 411},
        {"POST /cimom HTTP/1.1\r\nHost: x\r\nContent-Length: 12x\r\n\r\n", 400},
        {"POST /cimom HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: gzip\r\n\r\n", 501},
        {"POST /cimom HTTP/1.1\r\nHost: x\r\nContent-Encoding: gzip\r\nContent-Length: 1\r\n\r\nx",
         415},
        {"POST /cimom HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\nContent-Length: "
         "3\r\n\r\n0\r\n\r\n",
         400},
    };
    for (const auto& c : cases)
    {
        RawConnection connection(port_);
        ASSERT_TRUE(connection.send(c.request));
        const ParsedResponse response = connection.readResponse();
        EXPECT_EQ(response.status, c.status) << c.request;
        EXPECT_EQ(response.header("Connection"), "close") << c.request;
        EXPECT_FALSE(response.header("Server").empty()) << c.request;
        EXPECT_TRUE(connection.closedBy(2s)) << c.request;
        if (c.status == 405)
        {
            EXPECT_EQ(response.header("Allow"), "POST");
        }
    }
    EXPECT_TRUE(requests().empty());
    // Still serving.
    EXPECT_EQ(exchange(cimPost("<CIM/>", kAdminAuth)).status, 200);
}

TEST_F(HttpServerTest, EnforcesBodyAndHeaderLimits)
{
    startServer();
    {
        // Refused from the Content-Length alone, before any body byte is sent.
        RawConnection connection(port_);
        ASSERT_TRUE(connection.send("POST /cimom HTTP/1.1\r\nHost: x\r\n" + kAdminAuth +
                                    "Content-Length: " + std::to_string(kMaxRequestBodyBytes + 1) +
                                    "\r\n\r\n"));
        const ParsedResponse response = connection.readResponse(2s);
        EXPECT_EQ(response.status, 413);
        EXPECT_TRUE(connection.closedBy(2s));
    }
    {
        // A chunked body is cut off once it passes the limit.
        RawConnection connection(port_);
        std::string request = "POST /cimom HTTP/1.1\r\nHost: x\r\nCIMOperation: MethodCall\r\n" +
                              kAdminAuth + "Transfer-Encoding: chunked\r\n\r\n";
        const std::string piece(64 * 1024, 'a');
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
        connection.send(request);
        for (std::size_t sent = 0; sent <= kMaxRequestBodyBytes; sent += piece.size())
        {
            if (!connection.send(size + piece + "\r\n"))
            {
                break;
            }
        }
        connection.send("0\r\n\r\n");
        EXPECT_EQ(connection.readResponse(5s).status, 413);
        EXPECT_TRUE(connection.closedBy(2s));
    }
    std::string manyHeaders;
    for (std::size_t i = 0; i <= kMaxHeaderCount; ++i)
    {
        manyHeaders += "X-H" + std::to_string(i) + ": v\r\n";
    }
    EXPECT_EQ(exchange(cimPost("<CIM/>", kAdminAuth + manyHeaders)).status, 431);
    std::string bigHeaders;
    for (std::size_t total = 0; total <= kMaxHeaderBytes; total += 8000)
    {
        bigHeaders += "X-Big" + std::to_string(total) + ": " + std::string(7900, 'b') + "\r\n";
    }
    EXPECT_EQ(exchange(cimPost("<CIM/>", kAdminAuth + bigHeaders)).status, 431);
    // One header line beyond what the HTTP library reads.
    EXPECT_EQ(exchange(cimPost("<CIM/>", "X-Long: " + std::string(9000, 'l') + "\r\n")).status,
              400);
    EXPECT_TRUE(requests().empty());
    EXPECT_EQ(exchange(cimPost("<CIM/>", kAdminAuth)).status, 200);
}

TEST_F(HttpServerTest, ReadsChunkedRequestsAndChunksAnswersForClientsThatAskForThem)
{
    answer_.body = std::string(200 * 1024, 'r'); // several response chunks
    startServer();
    RawConnection connection(port_);
    ASSERT_TRUE(connection.send(
        "POST /cimom HTTP/1.1\r\nHost: x\r\nCIMOperation: MethodCall\r\nTE: trailers\r\n" +
        kAdminAuth + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n"));
    ParsedResponse response = connection.readResponse();
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.header("Transfer-Encoding"), "chunked");
    EXPECT_EQ(response.body, answer_.body);
    ASSERT_EQ(requests().size(), 1u);
    EXPECT_EQ(requests()[0].body, "hello world");

    // HTTP/1.0 clients cannot read chunks.
    RawConnection old(port_);
    ASSERT_TRUE(old.send("POST /cimom HTTP/1.0\r\nCIMOperation: MethodCall\r\nTE: trailers\r\n" +
                         kAdminAuth + "Content-Length: 2\r\n\r\nhi"));
    response = old.readResponse();
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.header("Transfer-Encoding"), "");
    EXPECT_EQ(response.body, answer_.body);
}

TEST_F(HttpServerTest, ChecksTheCimOperationHeaderAndSurvivesAFailingHandler)
{
    startServer();
    std::string request = cimPost("<CIM/>", kAdminAuth);
    const std::string header = "CIMOperation: MethodCall\r\n";
    std::string missing = request;
    missing.erase(missing.find(header), header.size());
    ParsedResponse response = exchange(missing);
    EXPECT_EQ(response.status, 400);
    EXPECT_EQ(response.header("CIMError"), "");

    std::string wrong = request;
    wrong.replace(wrong.find(header), header.size(), "CIMOperation: MethodResponse\r\n");
    response = exchange(wrong);
    EXPECT_EQ(response.status, 400);
    EXPECT_EQ(response.header("CIMError"), "unsupported-operation");
    EXPECT_TRUE(requests().empty());

    EXPECT_EQ(exchange(cimPost("throw", kAdminAuth)).status, 500);
    EXPECT_EQ(exchange(cimPost("<CIM/>", kAdminAuth)).status, 200);
}

TEST_F(HttpServerTest, RefusesAPortThatIsTakenAndLeavesNothingBound)
{
    startServer();
    Authenticator authenticator(testUsers(), {});
    HttpServerOptions options;
    options.listeners = {{"127.0.0.1", 0, false}, {"127.0.0.1", port_, false}};
    HttpServer second(
        options, authenticator, [](const CimRequest&) { return CimResponse{}; }, nullptr);
    try
    {
        second.start();
        FAIL() << "a taken port was accepted";
    }
    catch (const ListenError& error)
    {
        EXPECT_NE(std::string(error.what()).find("127.0.0.1:" + std::to_string(port_)),
                  std::string::npos);
        EXPECT_NE(std::string(error.what()).find("in use"), std::string::npos) << error.what();
    }
    // The first server still owns its port.
    EXPECT_EQ(exchange(cimPost("<CIM/>", kAdminAuth)).status, 200);
}

TEST_F(HttpServerTest, StopsPromptlyWithIdleKeepAliveConnectionsOpen)
{
    startServer();
    RawConnection idle(port_);
    ASSERT_TRUE(idle.send(cimPost("<CIM/>", kAdminAuth)));
    EXPECT_EQ(idle.readResponse().status, 200);
    const auto started = std::chrono::steady_clock::now();
    server_->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    EXPECT_TRUE(idle.closedBy(1s));
    EXPECT_THROW(RawConnection{port_}, std::runtime_error);
}

TEST_F(HttpServerTest, ServesTlsWithAConfiguredCertificate)
{
    char directory[] = "/tmp/cimom_tls_XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    certificate_ = std::string(directory) + "/cert.pem";
    key_ = std::string(directory) + "/key.pem";
    const std::string command = std::string(OPENSSL_PROGRAM) +
                                " req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1"
                                " -keyout " +
                                key_ + " -out " + certificate_ + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    startServer({}, {{"127.0.0.1", 0, true}});

    httplib::SSLClient client("127.0.0.1", port_);
    client.enable_server_certificate_verification(false);
    client.set_basic_auth("root", "rootpw");
    const auto result =
        client.Post("/cimom", {{"CIMOperation", "MethodCall"}}, "<CIM/>", "application/xml");
    ASSERT_TRUE(result) << httplib::to_string(result.error());
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->body, "<CIM>answer</CIM>");
    client.set_basic_auth("root", "wrong");
    const auto refused =
        client.Post("/cimom", {{"CIMOperation", "MethodCall"}}, "<CIM/>", "application/xml");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 401);

    // Plain HTTP on the TLS port gets no CIM answer.
    RawConnection plain(port_);
    plain.send(cimPost("<CIM/>", kAdminAuth));
    EXPECT_EQ(plain.readResponse(2s).status, 0);
    EXPECT_EQ(requests().size(), 1u);

    // A key that does not belong to the certificate is refused at start.
    std::ofstream(key_) << "not a key\n";
    Authenticator authenticator(testUsers(), {});
    HttpServerOptions options;
    options.listeners = {{"127.0.0.1", 0, true}};
    options.certificateFile = certificate_;
    options.privateKeyFile = key_;
    HttpServer broken(
        options, authenticator, [](const CimRequest&) { return CimResponse{}; }, nullptr);
    EXPECT_THROW(broken.start(), ListenError);
    std::system(("rm -rf " + std::string(directory)).c_str());
}

TEST(HttpDateTest, FormatsTheImfFixdate)
{
    EXPECT_EQ(httpDate(0), "Thu, 01 Jan 1970 00:00:00 GMT");
    EXPECT_EQ(httpDate(1796543827), "Sun, 06 Dec 2026 07:57:07 GMT");
}

} // namespace
} // namespace cimom
