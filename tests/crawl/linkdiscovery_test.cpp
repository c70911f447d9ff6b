#include "crawl/pagereader.h"

#include "crawlfixture.h"

#include <gtest/gtest.h>

TEST(PageText, LinesJoinedWithCrLfAndEndingAtNul)
{
    struct Case {
        std::string body;
        std::string text;
    } const cases[] = {
        {"", ""},
        {"a", "a\r\n"},
        {"a\nb\rc\r\nd", "a\r\nb\r\nc\r\nd\r\n"},
        {"a\r\n", "a\r\n"},
        {"a\n\nb", "a\r\n\r\nb\r\n"},
        {"a\r\rb", "a\r\n\r\nb\r\n"},
        {"a\n\r\nb\r", "a\r\n\r\nb\r\n"},
        {"\r\n\n", "\r\n\r\n"},
        {std::string("a\nb\0c\nd", 7), "a\r\nb\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        EXPECT_EQ(pageText(c.body), c.text);
    }
}

TEST_F(Crawl, LinksOfAPageAreResolvedCleanedAndAdmitted)
{
    factory.script("http://site.test/dir/", {FakeReply::page(R"(
        <a href="page.html#top">1</a>
        <a href="page.html">again</a>
        <a href="/Dir/PAGE.HTML">case</a>
        <a href="q?a=1&amp;b=2">query</a>
        <a href="../up.html">up</a>
        <a href="sp ace.html">blank</a>
        <a href="http://other.test/">elsewhere</a>
        <a href="mailto:me@site.test">mail</a>
        <a>no href</a>
        <A HREF="Upper.html">upper</A>)")});
    start("http://site.test/dir/");
    ASSERT_TRUE(finish());
    EXPECT_EQ(fetchedSorted(), (std::vector<std::string>{
                                   "http://site.test/dir/",
                                   "http://site.test/dir/Upper.html",
                                   "http://site.test/dir/page.html",
                                   "http://site.test/dir/q?a=1&b=2",
                                   "http://site.test/dir/sp%20ace.html",
                                   "http://site.test/up.html",
                               }));
}

TEST_F(Crawl, StayInPathAndLiveFilters)
{
    screen.stayInPathOn = true;
    settings.maxLengthOn = true;
    settings.maxLength = 30;
    settings.exclusionsOn = true;
    settings.exclusions = {"", "PRIVATE"};
    factory.script("http://site.test/dir/", {FakeReply::page(R"(
        <a href="in.html">in</a>
        <a href="/out.html">out of path</a>
        <a href="a-rather-long-name.html">too long</a>
        <a href="private/x.html">excluded</a>)")});
    start("http://site.test/dir/");
    ASSERT_TRUE(finish());
    EXPECT_EQ(fetchedSorted(), (std::vector<std::string>{"http://site.test/dir/", "http://site.test/dir/in.html"}));
}

TEST_F(Crawl, ManyLinksYieldToTheEventLoopAndTheRowWaitsForTheParse)
{
    // The completion of the page is delivered while its parse yields; the row must still carry
    // the title that follows the links, and every link must be queued.
    std::string body = "<html><body>";
    for (int i = 0; i < 40; ++i)
        body += "<a href=\"/p" + std::to_string(i) + "\">" + std::to_string(i) + "</a>\n";
    body += "<title>Late title</title></body></html>";
    factory.script(kSite, {FakeReply::page(body)});
    start(kSite);
    ASSERT_TRUE(finish());
    EXPECT_EQ(factory.made.size(), 41u);
    ASSERT_NE(rowOf(kSite), nullptr);
    EXPECT_EQ(rowOf(kSite)->Title, "Late title");
    EXPECT_EQ(data().VisibleRowCount, 41);
    EXPECT_EQ(count("Tarnwick has finished!"), 1);
}

TEST_F(Crawl, Titles)
{
    struct Case {
        const char* contentType;
        std::string page;
        std::string title;
    } const cases[] = {
        {"text/html", "<title>Tom &amp;amp; Jerry</title>", "Tom & Jerry"},
        {"text/html", "<title>A &quot;B&quot; &LT;C&gt; &apos;d&apos;</title>", "A \"B\" <C> 'd'"},
        {"text/html", "<TITLE>Upper</TITLE>", ""},
        {"text/html", "<title>First</title><title>Second</title>", "Second"},
        {"text/html; charset=windows-1251", "<title>\xcc\xe8\xf0</title>", "\xd0\x9c\xd0\xb8\xd1\x80"},
        {"text/html", "<title>Caf\xe9</title>", "Caf\xe9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        screen = FakeScreen();
        make();
        FakeReply reply = FakeReply::page(c.page);
        reply.contentType = c.contentType;
        factory.script(kSite, {reply});
        start(kSite);
        ASSERT_TRUE(finish());
        ASSERT_EQ(data().RowCount(), 1);
        EXPECT_EQ(row(0).Title, c.title);
    }
}

TEST_F(Crawl, StoppedAndNonTextBodiesAreNotParsed)
{
    FakeReply image = FakeReply::typed("image/gif");
    image.body = R"(<a href="/hidden">x</a>)";
    factory.script(kSite, {image});
    start(kSite);
    ASSERT_TRUE(finish());
    EXPECT_EQ(factory.made.size(), 1u);
}

TEST_F(Crawl, ErrorPagesAreParsedButNotCounted)
{
    factory.script(kSite, {FakeReply::page(R"(<a href="/found">x</a>)", 404, "Not Found")});
    start(kSite);
    ASSERT_TRUE(finish());
    EXPECT_EQ(fetchedSorted(), (std::vector<std::string>{kSite, "http://site.test/found"}));
    EXPECT_EQ(data().PagesInSitemap, 1);
    EXPECT_EQ(rowOf(kSite)->Status, 404);
}
