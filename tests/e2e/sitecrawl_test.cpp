// Whole-site crawls with the real client against the loopback test server: what is found,
// what is left out, and how titles come out.
#include "cli/headlessscreen.h"
#include "crawl/crawlcontroller.h"
#include "crawl/curlclient.h"
#include "tests/support/testwebserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

class SiteCrawl : public ::testing::Test {
protected:
    void SetUp() override
    {
        controller = std::make_unique<CrawlController>(screen, factory, settings);
        controller->setTimerIntervals(100, 10'000'000);
    }

    bool crawl(const std::string& startUrl, int timeoutMs = 30000)
    {
        screen.setStartUrl(startUrl);
        controller->Button1Click();
        QElapsedTimer clock;
        clock.start();
        while (controller->scanning() && clock.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return !controller->scanning();
    }

    // URL -> how many visible rows carry it.
    std::map<std::string, int> visibleUrls() const
    {
        std::map<std::string, int> urls;
        for (int32_t row : screen.lines())
            ++urls[controller->data().Rows[row].Url];
        return urls;
    }

    const trow& rowOf(const std::string& url) const
    {
        for (int32_t row : screen.lines())
            if (controller->data().Rows[row].Url == url)
                return controller->data().Rows[row];
        static const trow none;
        ADD_FAILURE() << "no row for " << url;
        return none;
    }

    TestWebServer server;
    HeadlessScreen screen;
    ProjectSettings settings;
    CurlClientFactory factory; // outlives the controller and its clients
    std::unique_ptr<CrawlController> controller;
};

} // namespace

TEST_F(SiteCrawl, FindsEveryPageInScopeExactlyOnce)
{
    server.setPage("/", R"html(<a href="a.html#top">a</a> <a href="a.html">again</a> <a href="/A.HTML">case</a>
        <a href="q?x=1&amp;y=2">query</a> <a href="sp ace.html">blank</a>
        <a href="http://elsewhere.test/">other host</a> <a href="mailto:me@example.test">mail</a>
        <a href="javascript:void(0)">script</a> <a href="/private/x.html">excluded</a>
        <a href="/a-very-long-name-that-goes-past-the-limit.html">long</a>)html");
    server.setPage("/a.html", R"(<a href="/">home</a><a href="./sub/../b.html">b</a>)");
    server.setPage("/b.html", "b");
    server.setPage("/q", "query page");
    server.setPage("/sp%20ace.html", "blank page");
    settings.exclusionsOn = true;
    settings.exclusions = {"", "PRIVATE"};
    settings.maxLengthOn = true;
    settings.maxLength = static_cast<int>(server.url("/sp%20ace.html").size()) + 2;

    ASSERT_TRUE(crawl(server.url("/")));
    const std::map<std::string, int> expected = {
        {server.url("/"), 1},        {server.url("/a.html"), 1}, {server.url("/b.html"), 1},
        {server.url("/q?x=1&y=2"), 1}, {server.url("/sp%20ace.html"), 1},
    };
    EXPECT_EQ(visibleUrls(), expected);
    EXPECT_EQ(rowOf(server.url("/sp%20ace.html")).Status, 200) << "the server saw the blank as %20";
}

TEST_F(SiteCrawl, StayInPathKeepsToTheStartFolder)
{
    server.setPage("/docs/", R"(<a href="a.html">in</a> <a href="/other.html">out</a> <a href="/docs">parent</a>)");
    server.setPage("/docs/a.html", "in");
    server.setPage("/other.html", "out");
    server.setPage("/docs", "folder without slash");

    for (bool stay : {true, false}) {
        SCOPED_TRACE(stay ? "stay in path" : "whole host");
        screen.setStayInPath(stay);
        ASSERT_TRUE(crawl(server.url("/docs/")));
        const auto urls = visibleUrls();
        EXPECT_TRUE(urls.count(server.url("/docs/a.html")));
        EXPECT_EQ(urls.count(server.url("/other.html")), stay ? 0u : 1u);
        EXPECT_EQ(urls.count(server.url("/docs")), stay ? 0u : 1u);
    }
}

TEST_F(SiteCrawl, WwwIsIgnoredOnBothSidesOfTheHostComparison)
{
    const std::string port = std::to_string(server.port());
    factory.multi().setConnectTo({"www.site.test:" + port + ":127.0.0.1:" + port,
                                  "site.test:" + port + ":127.0.0.1:" + port,
                                  "other.test:" + port + ":127.0.0.1:" + port});
    server.setPage("/", R"(<a href="http://site.test:)" + port + R"(/bare.html">bare</a>
        <a href="http://www.site.test:)" + port + R"(/www.html">www</a>
        <a href="http://other.test:)" + port + R"(/other.html">other</a>)");
    server.setPage("/bare.html", R"(<a href="http://www.site.test:)" + port + R"(/back.html">back</a>)");
    server.setPage("/www.html", "www");
    server.setPage("/back.html", "back");

    ASSERT_TRUE(crawl("http://www.site.test:" + port + "/"));
    const auto urls = visibleUrls();
    EXPECT_EQ(urls.size(), 4u);
    EXPECT_TRUE(urls.count("http://site.test:" + port + "/bare.html"));
    EXPECT_TRUE(urls.count("http://www.site.test:" + port + "/back.html"));
    EXPECT_FALSE(urls.count("http://other.test:" + port + "/other.html"));
}

TEST_F(SiteCrawl, TitlesAreDecodedFromTheDeclaredCharset)
{
    // "Привет" in Windows-1251.
    const std::string cp1251 = "\xcf\xf0\xe8\xe2\xe5\xf2";
    server.setPage("/", R"(<a href="utf8.html">1</a><a href="cp1251.html">2</a><a href="refs.html">3</a>
        <a href="plain.html">4</a><title>Tom &amp;amp; Jerry</title>)");
    server.setPage("/utf8.html", "<title>Caf\xc3\xa9 &#65;&#x42;</title>", "text/html; charset=utf-8");
    server.setPage("/cp1251.html", "<title>" + cp1251 + "</title>", "text/html; charset=windows-1251");
    server.setPage("/refs.html", "<title>&lt;b&gt; &quot;x&quot; &eacute;</title>");
    server.setPage("/plain.html", "<TITLE>upper case title element</TITLE>");

    ASSERT_TRUE(crawl(server.url("/")));
    EXPECT_EQ(rowOf(server.url("/")).Title, "Tom & Jerry");
    EXPECT_EQ(rowOf(server.url("/utf8.html")).Title, "Caf\xc3\xa9 AB") << "no charset in the table: bytes kept";
    EXPECT_EQ(rowOf(server.url("/cp1251.html")).Title, "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82");
    EXPECT_EQ(rowOf(server.url("/refs.html")).Title, "<b> \"x\" \xe9") << "references decoded to Windows-1252";
    EXPECT_EQ(rowOf(server.url("/plain.html")).Title, "") << "only a lower-case title element counts";
}

namespace {

// Watches the controller's clients: no request may start on a slot whose page is being
// parsed, and no slot may begin parsing while it already is.
class WatchingFactory : public HttpClientFactory, private HttpClientListener {
public:
    WatchingFactory(HttpClientFactory& real) : m_real(real) {}
    void watch(CrawlController& controller) { m_controller = &controller; }

    std::unique_ptr<HttpClient> create(const HttpRequestSettings& settings, int tag, std::string& body,
                                       HttpClientListener& listener) override
    {
        m_listener = &listener;
        if (m_controller->data().slot(tag).Parsing)
            ++dispatchedWhileParsing;
        ++requests;
        return m_real.create(settings, tag, body, *this);
    }

    int requests = 0;
    int dispatchedWhileParsing = 0;
    int parsedTwice = 0;
    int maxNestedParses = 0;

private:
    void httpStateChanged(HttpClient& c) override { m_listener->httpStateChanged(c); }
    void httpHeaderLine(HttpClient& c, const std::string& l) override { m_listener->httpHeaderLine(c, l); }
    void httpHeaderEnd(HttpClient& c) override { m_listener->httpHeaderEnd(c); }
    void httpRequestDone(HttpClient& c) override { m_listener->httpRequestDone(c); }
    void httpBodyEnd(HttpClient& c) override
    {
        if (m_controller->data().slot(c.tag()).Parsing)
            ++parsedTwice;
        maxNestedParses = std::max(maxNestedParses, ++m_nested);
        m_listener->httpBodyEnd(c);
        --m_nested;
    }

    HttpClientFactory& m_real;
    HttpClientListener* m_listener = nullptr;
    CrawlController* m_controller = nullptr;
    int m_nested = 0;
};

} // namespace

TEST(ReentrantCrawl, PagesWithHundredsOfLinksLoseNoLinkAcross40Connections)
{
    TestWebServer server;
    HeadlessScreen screen;
    ProjectSettings settings;
    CurlClientFactory real;
    WatchingFactory factory(real);
    CrawlController controller(screen, factory, settings);
    factory.watch(controller);
    controller.setWorkingSettings(WorkingSettings{40, "1.1", "Tarnwick v1.3"});

    // 40 hub pages, each linking every hub and 200 leaves (every leaf linked from two places).
    constexpr int kHubs = 40, kLeaves = 200;
    std::set<std::string> expected;
    for (int h = 0; h < kHubs; ++h) {
        std::string page;
        for (int other = 0; other < kHubs; ++other)
            page += "<a href=\"/hub" + std::to_string(other) + ".html\">h</a>\n";
        for (int l = 0; l < kLeaves; ++l) {
            const std::string leaf = "/leaf" + std::to_string((h * kLeaves + l) / 2) + ".txt";
            page += "<p><a href=\"" + leaf + "\">leaf</a></p>\n";
            expected.insert(server.url(leaf));
        }
        server.setPage("/hub" + std::to_string(h) + ".html", page);
        expected.insert(server.url("/hub" + std::to_string(h) + ".html"));
    }
    // Leaves are unscripted: the server answers each with a small 404 page.

    screen.setStartUrl(server.url("/hub0.html"));
    controller.Button1Click();
    QElapsedTimer clock;
    clock.start();
    while (controller.scanning() && clock.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(controller.scanning());

    std::multiset<std::string> found;
    for (int32_t row : screen.lines())
        found.insert(controller.data().Rows[row].Url);
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), expected);
    EXPECT_EQ(found.size(), expected.size()) << "a URL was fetched twice";
    EXPECT_EQ(factory.requests, static_cast<int>(expected.size()));
    EXPECT_EQ(factory.dispatchedWhileParsing, 0);
    EXPECT_EQ(factory.parsedTwice, 0);
    EXPECT_GT(factory.maxNestedParses, 1) << "the link handler's yield let another page be parsed meanwhile";
}
