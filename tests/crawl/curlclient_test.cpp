// The libcurl client against the in-process test server: what the server receives, what the
// listener is told and in which order, and that every reply, however broken, ends in exactly
// one request done.
#include "crawl/curlclient.h"
#include "tests/support/testwebserver.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>

namespace {

constexpr const char* kAgent = "TarnwickTest/1.0";

enum class Event { HeaderLine, HeaderEnd, BodyEnd, Done };

class RecordingListener : public HttpClientListener {
public:
    std::vector<HttpState> states;
    std::vector<std::string> lines;
    std::vector<Event> events;
    std::function<void(HttpClient&)> onHeaderEnd;
    std::function<void(HttpClient&)> onHeaderLine;

    int count(Event e) const { return static_cast<int>(std::count(events.begin(), events.end(), e)); }

    void httpStateChanged(HttpClient& client) override { states.push_back(client.state()); }
    void httpHeaderLine(HttpClient& client, const std::string& line) override
    {
        lines.push_back(line);
        events.push_back(Event::HeaderLine);
        // Each line is already in the received header when it is reported.
        EXPECT_EQ(client.receivedHeader().back(), line);
        if (onHeaderLine)
            onHeaderLine(client);
    }
    void httpHeaderEnd(HttpClient& client) override
    {
        events.push_back(Event::HeaderEnd);
        if (onHeaderEnd)
            onHeaderEnd(client);
    }
    void httpBodyEnd(HttpClient&) override { events.push_back(Event::BodyEnd); }
    void httpRequestDone(HttpClient&) override { events.push_back(Event::Done); }
};

struct Exchange {
    std::string body;
    RecordingListener listener;
    std::unique_ptr<HttpClient> client;
};

class CurlClientTest : public ::testing::Test {
protected:
    // One multi handle for the whole suite, as in the program.
    static void SetUpTestSuite() { s_factory = std::make_unique<CurlClientFactory>(); }
    static void TearDownTestSuite() { s_factory.reset(); }
    static CurlClientFactory& factory() { return *s_factory; }
    static inline std::unique_ptr<CurlClientFactory> s_factory;

    std::unique_ptr<Exchange> make(const std::string& url, const std::string& version = "1.1",
                                   const std::string& agent = kAgent)
    {
        auto exchange = std::make_unique<Exchange>();
        HttpRequestSettings settings;
        settings.url = url;
        settings.userAgent = agent;
        settings.httpVersion = version;
        exchange->client = factory().create(settings, 7, exchange->body, exchange->listener);
        return exchange;
    }

    std::unique_ptr<Exchange> fetch(const std::string& url, const std::string& version = "1.1")
    {
        auto exchange = make(url, version);
        exchange->client->getAsync();
        waitDone(*exchange);
        return exchange;
    }

    // Waits for request done, then a little longer so that a second one would be seen.
    static bool waitDone(Exchange& exchange, int timeoutMs = 15000)
    {
        const bool done = QTest::qWaitFor([&] { return exchange.listener.count(Event::Done) > 0; }, timeoutMs);
        QTest::qWait(30);
        return done;
    }

    TestWebServer server;
};

TEST_F(CurlClientTest, SendsExactlyTheExpectedRequest)
{
    server.setPage("/dir/page.html?q=1&r=two", "<html></html>");
    struct Row {
        std::string version;
        std::string agent;
    } rows[] = {{"1.0", kAgent}, {"1.1", kAgent}, {"1.1", "Mozilla/4.0 (compatible; x)"}, {"1.0", ""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.version + " " + row.agent);
        const std::size_t before = server.requestCount();
        auto exchange = make(server.url("/dir/page.html?q=1&r=two#frag"), row.version, row.agent);
        exchange->client->getAsync();
        waitDone(*exchange);
        ASSERT_EQ(exchange->listener.count(Event::Done), 1);
        const auto records = server.requests();
        ASSERT_EQ(records.size(), before + 1);
        // An empty agent goes out as a bare field name.
        const std::string agentLine = row.agent.empty() ? std::string("User-Agent:") : "User-Agent: " + row.agent;
        EXPECT_EQ(records.back().request,
                  "GET /dir/page.html?q=1&r=two HTTP/" + row.version + "\r\n" +
                      "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n" + agentLine + "\r\n" +
                      "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n\r\n");
    }
}

TEST_F(CurlClientTest, CompleteTextReplyInOrder)
{
    server.setReply("/page", TestReply{TestWebServer::response(200, "OK Fine", {"Content-Type: Text/HTML; Charset=UTF-8"},
                                                               "<html><title>t</title></html>")});
    auto exchange = fetch(server.url("/page"));
    const HttpClient& client = *exchange->client;
    const RecordingListener& l = exchange->listener;
    EXPECT_EQ(client.statusCode(), 200);
    EXPECT_EQ(client.reasonPhrase(), "OK Fine");
    EXPECT_EQ(client.contentType(), "text/html; charset=utf-8");
    EXPECT_EQ(client.contentLength(), 29);
    EXPECT_EQ(exchange->body, "<html><title>t</title></html>");
    EXPECT_EQ(client.tag(), 7);
    EXPECT_EQ(client.protocol(), "http");
    EXPECT_EQ(client.hostName(), "127.0.0.1");
    ASSERT_FALSE(l.lines.empty());
    EXPECT_EQ(l.lines.front(), "HTTP/1.1 200 OK Fine");
    EXPECT_EQ(l.lines, client.receivedHeader());

    // Lines, one header end, body end, then request done last.
    std::vector<Event> expected(l.lines.size(), Event::HeaderLine);
    expected.insert(expected.end(), {Event::HeaderEnd, Event::BodyEnd, Event::Done});
    EXPECT_EQ(l.events, expected);

    const std::vector<HttpState> states = {
        HttpState::httpDnsLookup,   HttpState::httpDnsLookupDone, HttpState::httpConnected,
        HttpState::httpWaitingHeader, HttpState::httpWaitingBody, HttpState::httpBodyReceived,
        HttpState::httpReady,
    };
    EXPECT_EQ(l.states, states);
    EXPECT_EQ(client.state(), HttpState::httpReady);
}

TEST_F(CurlClientTest, InterimReplyIsDiscarded)
{
    server.setReply("/c", TestReply{"HTTP/1.1 100 Continue\r\nX-Interim: 1\r\n\r\n" +
                                    TestWebServer::response(200, "OK", {"Content-Type: text/plain"}, "hi")});
    auto exchange = fetch(server.url("/c"));
    EXPECT_EQ(exchange->client->statusCode(), 200);
    ASSERT_FALSE(exchange->client->receivedHeader().empty());
    EXPECT_EQ(exchange->client->receivedHeader().front(), "HTTP/1.1 200 OK");
    EXPECT_EQ(exchange->listener.count(Event::HeaderEnd), 1);
    EXPECT_EQ(exchange->body, "hi");
}

TEST_F(CurlClientTest, ImageAbortedAtHeaderEndIsNotDownloaded)
{
    const std::string image(4 * 1024 * 1024, 'x');
    TestReply reply{TestWebServer::response(200, "OK", {"Content-Type: image/JPEG"}, image)};
    reply.chunkSize = 16 * 1024;
    reply.chunkDelayMs = 2;
    server.setReply("/big.jpg", reply);

    auto exchange = make(server.url("/big.jpg"));
    exchange->listener.onHeaderEnd = [](HttpClient& client) { client.abort(); };
    exchange->client->getAsync();
    ASSERT_TRUE(waitDone(*exchange));
    const RecordingListener& l = exchange->listener;
    EXPECT_EQ(l.count(Event::Done), 1);
    EXPECT_EQ(l.count(Event::BodyEnd), 0);
    EXPECT_EQ(exchange->client->statusCode(), 200);
    EXPECT_EQ(exchange->client->reasonPhrase(), "OK");
    EXPECT_EQ(exchange->client->contentType(), "image/jpeg");
    EXPECT_LT(exchange->body.size(), image.size());
    EXPECT_NE(std::find(l.states.begin(), l.states.end(), HttpState::httpAborting), l.states.end());

    ASSERT_TRUE(server.waitForFinished(1, 10000));
    const TestRequestRecord record = server.requests().front();
    EXPECT_TRUE(record.peerClosed);
    EXPECT_LT(record.bytesSent, record.bytesToSend / 2);
}

TEST_F(CurlClientTest, ContentTypeWithoutHeaderField)
{
    struct Row {
        const char* body;
        const char* type;
    } rows[] = {
        {"<HTML><body>x</body></HTML>", "text/html"},
        {"<!doctype html><p>", "text/html"},
        {"just text", ""},
        {"", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body);
        server.setReply("/n", TestReply{TestWebServer::response(200, "OK", {}, row.body)});
        auto exchange = fetch(server.url("/n"));
        EXPECT_EQ(exchange->listener.count(Event::Done), 1);
        EXPECT_EQ(exchange->client->statusCode(), 200);
        EXPECT_EQ(exchange->client->reasonPhrase(), "OK");
        EXPECT_EQ(exchange->client->contentType(), row.type);
    }
}

TEST_F(CurlClientTest, RedirectIsReportedNotFollowed)
{
    server.setRedirect("/old", "/new");
    auto exchange = fetch(server.url("/old"));
    EXPECT_EQ(exchange->client->statusCode(), 301);
    EXPECT_EQ(exchange->client->reasonPhrase(), "Moved Permanently");
    const auto& lines = exchange->listener.lines;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Location: /new"), lines.end());
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(exchange->listener.count(Event::Done), 1);
}

TEST_F(CurlClientTest, HeaderWithNulByteStillCompletes)
{
    const std::string reply = std::string("HTTP/1.1 200 OK\r\nX-Before: 1\r\nX-Nul: a") + '\0' +
                              "b\r\nContent-Type: text/html\r\nContent-Length: 2\r\n\r\nok";
    server.setReply("/nul", TestReply{reply});
    auto exchange = fetch(server.url("/nul"));
    EXPECT_EQ(exchange->listener.count(Event::Done), 1);
    const auto& header = exchange->client->receivedHeader();
    ASSERT_GE(header.size(), 2u);
    EXPECT_EQ(header[0], "HTTP/1.1 200 OK");
    EXPECT_EQ(header[1], "X-Before: 1");
    EXPECT_EQ(exchange->client->statusCode(), 200);
}

TEST_F(CurlClientTest, FailuresBecomeStatusAndReason)
{
    // A port that surely refuses: bound, never listened on.
    const int blocker = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(blocker, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::getsockname(blocker, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string refusedUrl = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";

    server.setReply("/silent-close", TestReply{});
    server.setReply("/half-status", TestReply{"HTTP/1.1 20"});

    struct Row {
        std::string url;
        int status;
        std::string reason;
    } rows[] = {
        {refusedUrl, 404, "can't connect: Connection refused (Error #111)"},
        {"http://no-such-host.invalid/", 404, "can't resolve hostname to IP address"},
        // IPv4 is preferred, yet an IPv6 literal is still tried: this ends at the connection
        // (nothing listens there), not at the lookup.
        {"http://[::1]:" + std::to_string(ntohs(address.sin_port)) + "/", 404, "can't connect: "},
        {"ftp://127.0.0.1/file", 501, "Protocol \"ftp\" not implemented"},
        {"Gopher://127.0.0.1/", 501, "Protocol \"Gopher\" not implemented"},
        {server.url("/silent-close"), 0, "HTTP no status code (connection closed prematurely)"},
        {server.url("/half-status"), 0, "HTTP no status code (connection closed prematurely)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        auto exchange = make(row.url);
        exchange->client->getAsync();
        EXPECT_EQ(exchange->listener.count(Event::Done), 0); // never from inside getAsync
        waitDone(*exchange);
        EXPECT_EQ(exchange->listener.count(Event::Done), 1);
        EXPECT_EQ(exchange->listener.count(Event::HeaderEnd), 0);
        EXPECT_EQ(exchange->client->statusCode(), row.status);
        if (row.reason == "can't connect: ")
            EXPECT_EQ(exchange->client->reasonPhrase().rfind(row.reason, 0), 0u) << exchange->client->reasonPhrase();
        else
            EXPECT_EQ(exchange->client->reasonPhrase(), row.reason);
        EXPECT_EQ(exchange->client->contentType(), "");
    }
    ::close(blocker);
}

TEST_F(CurlClientTest, BrokenRepliesAlwaysEndInOneRequestDone)
{
    struct Row {
        const char* name;
        std::string bytes;
        bool keepOpen;
    } rows[] = {
        {"garbage", "garbage garbage\r\n\r\n", false},
        {"http2 status line", "HTTP/2 200 OK\r\nContent-Length: 0\r\n\r\n", false},
        {"binary", std::string("\0\0\x01\xff\xfe", 5), false},
        {"huge header", "HTTP/1.1 200 OK\r\nX-Big: " + std::string(300 * 1024, 'a') + "\r\n\r\n", false},
        {"endless header", "HTTP/1.1 200 OK\r\n" + std::string(20000, 'X') , false},
        {"bad chunking", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Type: text/html\r\n\r\nzz\r\n", false},
        {"short body", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 100\r\n\r\nabc", false},
        {"bad length", "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nabc", false},
        {"only status line then silence", "HTTP/1.1 200 OK\r\n", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        server.setReply("/broken", TestReply{row.bytes, 0, 0, 0, row.keepOpen});
        auto exchange = fetch(server.url("/broken"));
        EXPECT_EQ(exchange->listener.count(Event::Done), 1);
        EXPECT_EQ(exchange->client->state(), HttpState::httpReady);
    }
}

TEST_F(CurlClientTest, PartialBodyIsStillHandedOver)
{
    server.setReply("/short", TestReply{"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 100\r\n\r\n<a href=x>"});
    auto exchange = fetch(server.url("/short"));
    EXPECT_EQ(exchange->listener.count(Event::BodyEnd), 1);
    EXPECT_EQ(exchange->listener.count(Event::Done), 1);
    EXPECT_EQ(exchange->body, "<a href=x>");
    EXPECT_EQ(exchange->client->statusCode(), 200);
    EXPECT_EQ(exchange->client->contentLength(), 100);
}

TEST_F(CurlClientTest, AbortWhileWaitingForHeader)
{
    TestReply silent;
    silent.keepOpen = true;
    server.setReply("/never", silent);
    auto exchange = make(server.url("/never"));
    exchange->client->getAsync();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const auto r = server.requests();
        return !r.empty() && !r.front().request.empty();
    }, 10000));
    exchange->client->abort();
    EXPECT_EQ(exchange->listener.count(Event::Done), 0); // reported later, from the event loop
    exchange->client->abort();                           // a second abort adds nothing
    ASSERT_TRUE(waitDone(*exchange));
    QTest::qWait(100);
    EXPECT_EQ(exchange->listener.count(Event::Done), 1);
    EXPECT_EQ(exchange->client->statusCode(), 0);
    EXPECT_TRUE(server.waitForFinished(1, 10000)); // the connection was closed
}

TEST_F(CurlClientTest, AbortOfIdleClientReportsOneCompletion)
{
    auto exchange = make(server.url("/"));
    exchange->client->abort();
    EXPECT_EQ(exchange->listener.count(Event::Done), 0);
    ASSERT_TRUE(waitDone(*exchange));
    EXPECT_EQ(exchange->listener.count(Event::Done), 1);
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST_F(CurlClientTest, DestroyingARunningClientIsSafe)
{
    TestReply silent;
    silent.keepOpen = true;
    server.setReply("/never", silent);
    {
        auto exchange = make(server.url("/never"));
        exchange->client->getAsync();
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount() == 1; }, 10000));
        exchange->client.reset();
    }
    EXPECT_TRUE(server.waitForFinished(1, 10000));
    server.setPage("/after", "fine", "text/plain");
    auto next = fetch(server.url("/after"));
    EXPECT_EQ(next->body, "fine");
}

TEST_F(CurlClientTest, StartAndDestroyOtherClientsFromInsideCallbacks)
{
    TestReply silent;
    silent.keepOpen = true;
    server.setReply("/never", silent);
    server.setPage("/a", "a", "text/plain");
    server.setPage("/c", "c", "text/plain");

    auto b = make(server.url("/never"));
    b->client->getAsync();
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount() == 1; }, 10000));

    std::unique_ptr<Exchange> c;
    auto a = make(server.url("/a"));
    a->listener.onHeaderEnd = [&](HttpClient&) {
        // Both happen while libcurl is inside its header callback for "a".
        c = make(server.url("/c"));
        c->client->getAsync();
        b->client.reset();
    };
    a->client->getAsync();
    ASSERT_TRUE(waitDone(*a));
    ASSERT_TRUE(c);
    ASSERT_TRUE(waitDone(*c));
    EXPECT_EQ(a->body, "a");
    EXPECT_EQ(c->body, "c");
    EXPECT_EQ(c->listener.count(Event::Done), 1);
    EXPECT_EQ(b->listener.count(Event::Done), 0); // destroyed before it finished: nothing to report
    EXPECT_TRUE(server.waitForFinished(3, 10000)); // b's connection was closed too
}

TEST_F(CurlClientTest, AbortFromHeaderLineEndsTheTransfer)
{
    server.setPage("/p", "<html></html>");
    auto exchange = make(server.url("/p"));
    exchange->listener.onHeaderLine = [](HttpClient& client) { client.abort(); };
    exchange->client->getAsync();
    ASSERT_TRUE(waitDone(*exchange));
    EXPECT_EQ(exchange->listener.count(Event::HeaderLine), 1);
    EXPECT_EQ(exchange->listener.count(Event::HeaderEnd), 0);
    EXPECT_EQ(exchange->listener.count(Event::Done), 1);
}

TEST_F(CurlClientTest, RequestDoneWaitsForTheBodyEndedHandler)
{
    server.setPage("/p", "<html><a href=x>x</a></html>");
    auto exchange = make(server.url("/p"));
    bool doneDuringBodyEnd = false;
    struct PumpingListener : RecordingListener {
        bool* doneDuringBodyEnd = nullptr;
        void httpBodyEnd(HttpClient& client) override
        {
            RecordingListener::httpBodyEnd(client);
            // Page reading yields to the event loop and may be cut short meanwhile.
            for (int i = 0; i < 20; ++i) {
                QCoreApplication::processEvents();
                QTest::qWait(2);
            }
            client.abort();
            QCoreApplication::processEvents();
            *doneDuringBodyEnd = count(Event::Done) > 0;
        }
    };
    PumpingListener listener;
    listener.doneDuringBodyEnd = &doneDuringBodyEnd;
    HttpRequestSettings settings;
    settings.url = server.url("/p");
    auto client = factory().create(settings, 1, exchange->body, listener);
    client->getAsync();
    ASSERT_TRUE(QTest::qWaitFor([&] { return listener.count(Event::Done) > 0; }, 15000));
    QTest::qWait(50);
    EXPECT_FALSE(doneDuringBodyEnd);
    EXPECT_EQ(listener.count(Event::BodyEnd), 1);
    EXPECT_EQ(listener.count(Event::Done), 1);
}

TEST_F(CurlClientTest, BodyIsCappedAndReportedComplete)
{
    const std::string huge(CurlClient::kMaxBodySize + 1024 * 1024, 'a');
    server.setPage("/huge", huge, "text/plain");
    auto exchange = fetch(server.url("/huge"));
    EXPECT_EQ(exchange->listener.count(Event::BodyEnd), 1);
    EXPECT_EQ(exchange->listener.count(Event::Done), 1);
    EXPECT_EQ(exchange->body.size(), CurlClient::kMaxBodySize);
    EXPECT_EQ(exchange->client->statusCode(), 200);
    EXPECT_EQ(exchange->client->reasonPhrase(), "OK");
}

TEST_F(CurlClientTest, ManyRequestsAtOnce)
{
    for (int i = 0; i < 30; ++i)
        server.setPage("/p" + std::to_string(i), "page " + std::to_string(i), "text/plain");
    std::vector<std::unique_ptr<Exchange>> exchanges;
    for (int i = 0; i < 30; ++i) {
        exchanges.push_back(make(server.url("/p" + std::to_string(i))));
        exchanges.back()->client->getAsync();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return std::all_of(exchanges.begin(), exchanges.end(),
                           [](const auto& e) { return e->listener.count(Event::Done) > 0; });
    }, 20000));
    QTest::qWait(30);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(exchanges[i]->listener.count(Event::Done), 1);
        EXPECT_EQ(exchanges[i]->body, "page " + std::to_string(i));
    }
}

TEST(CurlClientHttpsTest, SelfSignedServerIsAccepted)
{
    TestWebServer tls(TestWebServer::Scheme::Https);
    tls.setPage("/secure", "<html>secret</html>");
    CurlClientFactory factory;
    for (int i = 0; i < 2; ++i) { // the second one may resume the cached TLS session
        Exchange exchange;
        HttpRequestSettings settings;
        settings.url = tls.url("/secure");
        settings.userAgent = kAgent;
        exchange.client = factory.create(settings, 1, exchange.body, exchange.listener);
        exchange.client->getAsync();
        ASSERT_TRUE(QTest::qWaitFor([&] { return exchange.listener.count(Event::Done) > 0; }, 15000));
        EXPECT_EQ(exchange.client->protocol(), "https");
        EXPECT_EQ(exchange.client->statusCode(), 200);
        EXPECT_EQ(exchange.body, "<html>secret</html>");
        EXPECT_EQ(exchange.client->contentType(), "text/html");
    }
}

TEST(CurlClientHttpsTest, OldTlsServerIsReached)
{
    TestWebServer tls(TestWebServer::Scheme::Https);
    tls.setLegacyTlsOnly();
    tls.setPage("/old", "<html>old</html>");
    CurlClientFactory factory;
    Exchange exchange;
    HttpRequestSettings settings;
    settings.url = tls.url("/old");
    exchange.client = factory.create(settings, 1, exchange.body, exchange.listener);
    exchange.client->getAsync();
    ASSERT_TRUE(QTest::qWaitFor([&] { return exchange.listener.count(Event::Done) > 0; }, 15000));
    EXPECT_EQ(exchange.client->statusCode(), 200) << exchange.client->reasonPhrase();
    EXPECT_EQ(exchange.body, "<html>old</html>");
}

TEST(CurlClientHttpsTest, HostLineOnTheWireOmitsDefaultPorts)
{
    TestWebServer plain;
    TestWebServer tls(TestWebServer::Scheme::Https);
    plain.setPage("/x", "x", "text/plain");
    tls.setPage("/x", "x", "text/plain");
    CurlClientFactory factory;
    const std::string plainPort = std::to_string(plain.port());
    factory.multi().setConnectTo({"www.example.test:80:127.0.0.1:" + plainPort,
                                  "www.example.test:8080:127.0.0.1:" + plainPort,
                                  "www.example.test:443:127.0.0.1:" + std::to_string(tls.port())});
    struct Row {
        std::string url;
        TestWebServer* server;
        std::string host;
    } rows[] = {
        {"http://www.example.test/x", &plain, "Host: www.example.test\r\n"},
        {"http://www.example.test:8080/x", &plain, "Host: www.example.test:8080\r\n"},
        {"https://www.example.test/x", &tls, "Host: www.example.test\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        Exchange exchange;
        HttpRequestSettings settings;
        settings.url = row.url;
        settings.userAgent = kAgent;
        exchange.client = factory.create(settings, 1, exchange.body, exchange.listener);
        exchange.client->getAsync();
        ASSERT_TRUE(QTest::qWaitFor([&] { return exchange.listener.count(Event::Done) > 0; }, 15000));
        EXPECT_EQ(exchange.body, "x");
        EXPECT_EQ(exchange.client->hostName(), "www.example.test");
        const std::string request = row.server->requests().back().request;
        const std::string tail = row.host + "\r\n";
        ASSERT_GE(request.size(), tail.size());
        EXPECT_EQ(request.substr(request.size() - tail.size()), tail);
    }
}

TEST(CurlClientHttpsTest, TlsHandshakeFailureIsA404)
{
    // A plain HTTP server that talks first: the TLS hello gets an HTTP reply.
    TestWebServer plain;
    plain.setGreeting("HTTP/1.1 400 Bad Request\r\n\r\n");
    CurlClientFactory factory;
    Exchange exchange;
    HttpRequestSettings settings;
    settings.url = "https://127.0.0.1:" + std::to_string(plain.port()) + "/";
    exchange.client = factory.create(settings, 1, exchange.body, exchange.listener);
    exchange.client->getAsync();
    ASSERT_TRUE(QTest::qWaitFor([&] { return exchange.listener.count(Event::Done) > 0; }, 15000));
    EXPECT_EQ(exchange.client->statusCode(), 404);
    EXPECT_NE(exchange.client->reasonPhrase().find("(Error #"), std::string::npos) << exchange.client->reasonPhrase();
}

} // namespace
