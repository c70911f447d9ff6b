// The controller over the real libcurl client against the loopback test server.
#include "crawl/crawlcontroller.h"
#include "crawl/curlclient.h"
#include "tests/support/testwebserver.h"

#include "fakecrawl.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

class NetworkCrawl : public ::testing::Test {
protected:
    void SetUp() override
    {
        controller = std::make_unique<CrawlController>(screen, factory, settings);
        controller->setTimerIntervals(50, 1'000'000);
    }

    void start(const std::string& url)
    {
        screen.startUrl = url;
        controller->Button1Click();
    }
    bool finish(int timeoutMs = 15000) { return spinUntil([this] { return !controller->scanning(); }, timeoutMs); }

    const trow* rowOf(const std::string& url)
    {
        const RowTable& rows = controller->data().Rows;
        for (int32_t i = 0; i < rows.RowCount(); ++i) {
            if (rows[i].Url == url)
                return &rows[i];
        }
        return nullptr;
    }

    TestWebServer server;
    FakeScreen screen;
    ProjectSettings settings;
    CurlClientFactory factory; // outlives the controller and its clients
    std::unique_ptr<CrawlController> controller;
};

} // namespace

TEST_F(NetworkCrawl, CrawlsASmallSite)
{
    server.setPage("/", R"(<html><head><title>Home &amp; more</title></head><body>
        <a href="/a.html">a</a> <a href="b.html#x">b</a> <a href="/logo.png">logo</a>
        <a href="/old">old</a> <a href="/missing">missing</a>
        <a href="http://elsewhere.test/">out</a></body></html>)");
    server.setPage("/a.html", R"(<title>A</title><a href="/">home</a><a href="/b.html">b</a>)");
    server.setPage("/b.html", "<title>B</title>");
    TestReply image{TestWebServer::response(200, "OK", {"Content-Type: image/png"}, std::string(200000, 'x'))};
    image.chunkSize = 4096;
    image.chunkDelayMs = 10;
    server.setReply("/logo.png", image);
    server.setRedirect("/old", "/a.html");
    start(server.url("/"));
    ASSERT_TRUE(finish());

    const CrawlData& data = controller->data();
    EXPECT_EQ(data.VisibleRowCount, 6);
    EXPECT_EQ(data.RowCount(), 7) << "one hop row for the redirect";
    ASSERT_NE(rowOf(server.url("/")), nullptr);
    EXPECT_EQ(rowOf(server.url("/"))->Title, "Home & more");
    EXPECT_EQ(rowOf(server.url("/a.html"))->Title, "A");
    EXPECT_EQ(rowOf(server.url("/logo.png"))->Status, 200);
    EXPECT_EQ(rowOf(server.url("/logo.png"))->ContentType, "image/png");
    EXPECT_EQ(rowOf(server.url("/old"))->Status, 301);
    EXPECT_EQ(rowOf(server.url("/old"))->RedirectedTo, server.url("/a.html"));
    EXPECT_EQ(rowOf(server.url("/old"))->Redirects, "1 ");
    EXPECT_EQ(rowOf(server.url("/missing"))->Status, 404);
    EXPECT_EQ(data.PagesInSitemap, 3);
    EXPECT_EQ(std::count(screen.messages.begin(), screen.messages.end(), "Tarnwick has finished!"), 1);

    // The image was cut off after its header.
    ASSERT_TRUE(server.waitForFinished(server.requestCount(), 5000));
    for (const TestRequestRecord& record : server.requests()) {
        if (record.target == "/logo.png") {
            EXPECT_LT(record.bytesSent, record.bytesToSend);
        }
    }
}

TEST_F(NetworkCrawl, SilentServerTimesOut)
{
    settings.timeoutSeconds = 1;
    TestReply silent;
    silent.delayMs = 30000;
    server.setReply("/", silent);
    start(server.url("/"));
    ASSERT_TRUE(finish());
    ASSERT_EQ(controller->data().RowCount(), 1);
    const trow& row = controller->data().Rows[0];
    EXPECT_EQ(row.Status, 0);
    EXPECT_EQ(row.Reason, "Connection TimeOut (set in Options)");
}

TEST_F(NetworkCrawl, AbortWithRequestsInFlightLeavesNoRows)
{
    TestReply silent;
    silent.delayMs = 30000;
    server.setReply("/", silent);
    start(server.url("/"));
    ASSERT_TRUE(spinUntil([this] { return server.requestCount() == 1; }));
    controller->Button1Click();
    EXPECT_EQ(screen.messages, std::vector<std::string>{"Tarnwick has aborted scan!"});
    drainEvents();
    EXPECT_EQ(controller->data().RowCount(), 0);

    // The next scan runs normally.
    server.setPage("/next", "<title>Next</title>");
    start(server.url("/next"));
    ASSERT_TRUE(finish());
    ASSERT_EQ(controller->data().RowCount(), 1);
    EXPECT_EQ(controller->data().Rows[0].Title, "Next");
}
