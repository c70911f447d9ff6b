#include "crawlfixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>


TEST_F(Crawl, SinglePageScanFinishesWithStatusTexts)
{
    factory.script(kSite, {FakeReply::page()});
    start(kSite);
    EXPECT_EQ(screen.startCaption, "Abort");
    EXPECT_FALSE(screen.idleEnabled);
    ASSERT_TRUE(finish());

    ASSERT_EQ(data().RowCount(), 1);
    EXPECT_EQ(row(0).Url, kSite);
    EXPECT_EQ(row(0).Status, 200);
    EXPECT_EQ(row(0).Reason, "OK");
    EXPECT_EQ(row(0).ContentType, "text/html");
    EXPECT_EQ(row(0).RedirectedTo, "Original URL");
    EXPECT_EQ(row(0).Redirects, "0");
    EXPECT_EQ(row(0).ReceivedHeader, "HTTP/1.1 200 OK\r\nContent-Type: text/html");
    EXPECT_EQ(screen.gridLines, std::vector<int32_t>{0});
    EXPECT_TRUE(data().ProjectModified);
    EXPECT_EQ(count("Tarnwick has finished!"), 1);
    EXPECT_EQ(screen.startCaption, "Start");
    EXPECT_TRUE(screen.idleEnabled);
    EXPECT_EQ(screen.panels[0], "URLs in queue: 0");
    EXPECT_EQ(screen.panels[1], "Finished URLs: 1  Pages in sitemap:1");
    EXPECT_EQ(screen.panels[2], "Status: Completed");
    EXPECT_EQ(screen.panels[3], "Using 10 streams; HTTP version: 1.1; Timeout: 30sec; User Agent: Tarnwick v1.3; ");
    ASSERT_EQ(factory.made.size(), 1u);
}

TEST_F(Crawl, StartUrlValidation)
{
    const char* const notValid = "Url is not valid! It must begin with http or https";
    struct Case {
        const char* typed;
        const char* fieldAfter;
        const char* message;  // nullptr: the scan starts
        const char* requested;
    } const cases[] = {
        {"", "", notValid, nullptr},
        {"site.test/page", "site.test/page", notValid, nullptr},
        {"HTTP://site.test/", "HTTP://site.test/", notValid, nullptr},
        {"  http://site.test/a b c.html \t", "http://site.test/a b c.html", nullptr,
         "http://site.test/a%20b%20c.html"},
        {"http://user:pw@site.test/x.html#frag", "http://user:pw@site.test/x.html#frag", nullptr,
         "http://site.test/x.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        screen = FakeScreen();
        factory.made.clear();
        make();
        start(c.typed);
        EXPECT_EQ(screen.startUrl, c.fieldAfter);
        if (c.message) {
            EXPECT_EQ(screen.messages, std::vector<std::string>{c.message});
            EXPECT_FALSE(controller->scanning());
            EXPECT_TRUE(factory.made.empty());
        } else {
            ASSERT_EQ(factory.made.size(), 1u);
            EXPECT_EQ(factory.made[0].url, c.requested);
            ASSERT_TRUE(finish());
        }
    }
}

TEST_F(Crawl, EmptyHostIsAnErrorForTheGlobalHandler)
{
    screen.startUrl = "http://";
    try {
        controller->Button1Click();
        FAIL() << "expected an error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Host field is empty");
    }
    EXPECT_FALSE(controller->scanning());
    EXPECT_TRUE(factory.made.empty());
    EXPECT_TRUE(data().Queue.empty());
}

TEST_F(Crawl, StartPrefixKeepsThePort)
{
    start("http://site.test:8080/docs/page.html?x=1");
    EXPECT_EQ(data().StartHost, "site.test");
    EXPECT_EQ(data().StartPrefix, "http://site.test:8080/docs/");
    ASSERT_EQ(factory.made.size(), 1u);
    EXPECT_EQ(factory.made[0].url, "http://site.test:8080/docs/page.html?x=1");
    ASSERT_TRUE(finish());
}

TEST_F(Crawl, UnsavedProjectPrompt)
{
    factory.script(kSite, {FakeReply::redirect("http://site.test/b")});
    start(kSite);
    ASSERT_TRUE(finish());
    ASSERT_EQ(data().RowCount(), 3);
    ASSERT_TRUE(data().ProjectModified);

    screen.answerYes = true;
    start("http://site.test/other");
    EXPECT_EQ(screen.questions, std::vector<std::string>{"Current project has not been saved. Save now?"});
    EXPECT_EQ(screen.saves, 1);
    EXPECT_FALSE(controller->scanning());
    EXPECT_EQ(data().RowCount(), 3);

    screen.answerYes = false;
    start("http://site.test/other");
    EXPECT_TRUE(controller->scanning());
    ASSERT_TRUE(finish());
    EXPECT_EQ(data().RowCount(), 1) << "the old rows are gone";
    EXPECT_EQ(data().VisibleRowCount, 1);
    EXPECT_EQ(screen.gridLines, std::vector<int32_t>{0});
    EXPECT_EQ(row(0).Url, "http://site.test/other");
}

TEST_F(Crawl, DispatchPassArithmetic)
{
    // A hand-off list of three URLs with ten connections: the first pass starts two.
    for (const char* url : {"http://site.test/1", "http://site.test/2", "http://site.test/3"}) {
        factory.script(url, {FakeReply::silent()});
        data().Queue.add(url);
    }
    data().HandOffPending = true;
    controller->FormShow();
    EXPECT_FALSE(data().HandOffPending);
    EXPECT_EQ(factory.made.size(), 2u);
    EXPECT_EQ(data().Queue.size(), 1u);
    controller->Abort();
    drainEvents();

    // Slots 1 to 5 busy and two entries queued: slot 6 ends the pass and nothing starts.
    screen = FakeScreen();
    factory.made.clear();
    make();
    for (int i = 0; i < 10; ++i) {
        const std::string url = "http://site.test/p" + std::to_string(i);
        factory.script(url, {FakeReply::silent()});
        data().Queue.add(url);
    }
    controller->Button4Click();
    EXPECT_EQ(factory.made.size(), 5u);
    data().Queue.take();
    data().Queue.take();
    data().Queue.take();
    controller->Button10Click();
    EXPECT_EQ(factory.made.size(), 5u);
    EXPECT_EQ(controller->activeSlotCount(), 5);
    controller->Abort();
    drainEvents();
}

TEST_F(Crawl, HandOffListScanFetchesEveryUrlOnce)
{
    const std::vector<std::string> listed{"http://a.test/", "http://b.test/", "http://c.test/"};
    for (const auto& url : listed)
        data().Queue.add(url);
    data().Queue.add("HTTP://A.TEST/");
    data().HandOffPending = true;
    controller->FormShow();
    ASSERT_TRUE(finish());
    std::vector<std::string> fetched = factory.urls();
    std::sort(fetched.begin(), fetched.end());
    EXPECT_EQ(fetched, listed);
    EXPECT_EQ(data().VisibleRowCount, 3);
    EXPECT_EQ(count("Tarnwick has finished!"), 1);
}

TEST_F(Crawl, RedirectFromTheStartPage)
{
    factory.script(kSite, {FakeReply::redirect("http://site.test/target")});
    start(kSite);
    ASSERT_TRUE(finish());

    EXPECT_EQ(data().RowCount(), 3) << "start row, hop row and the target's own row";
    EXPECT_EQ(data().VisibleRowCount, 2);
    EXPECT_EQ(visibleUrls(), (std::vector<std::string>{kSite, "http://site.test/target"}));
    const trow& head = row(screen.gridLines[0]);
    EXPECT_EQ(head.Status, 301);
    EXPECT_EQ(head.RedirectedTo, "http://site.test/target");
    EXPECT_EQ(head.Redirects, "1 ");
    EXPECT_EQ(data().PagesInSitemap, 1);
}

TEST_F(Crawl, RelativeLocationIsResolvedAgainstTheRequest)
{
    factory.script("http://site.test:8080/dir/a", {FakeReply::redirect("b")});
    start("http://site.test:8080/dir/a");
    ASSERT_TRUE(finish());
    EXPECT_EQ(visibleUrls(), (std::vector<std::string>{"http://site.test:8080/dir/a", "http://site.test:8080/dir/b"}));
    EXPECT_EQ(row(screen.gridLines[0]).RedirectedTo, "http://site.test:8080/dir/b");
}

TEST_F(Crawl, RedirectLimitEndsTheChain)
{
    // Targets on another host are fetched only as hops, never as ordinary URLs.
    settings.maxRedirections = 1;
    factory.script(kSite, {FakeReply::redirect("http://other.test/b")});
    factory.script("http://other.test/b", {FakeReply::redirect("http://other.test/c")});
    start(kSite);
    ASSERT_TRUE(finish());
    EXPECT_EQ(factory.urls(), (std::vector<std::string>{kSite, "http://other.test/b"}));
    EXPECT_EQ(data().RowCount(), 2);
    EXPECT_EQ(row(0).RedirectedTo, "http://other.test/b");
    EXPECT_EQ(row(0).Redirects, "1 ");
    EXPECT_EQ(row(1).Url, "http://other.test/b");
    EXPECT_EQ(row(1).RedirectedTo, "http://other.test/c");
}

TEST_F(Crawl, RedirectLoopIsMarkedAndFollowedToTheLimit)
{
    settings.maxRedirections = 4;
    factory.script(kSite, {FakeReply::redirect("http://other.test/b")});
    factory.script("http://other.test/b", {FakeReply::redirect(kSite)});
    start(kSite);
    ASSERT_TRUE(finish());
    EXPECT_EQ(factory.urls(), (std::vector<std::string>{kSite, "http://other.test/b", kSite, "http://other.test/b", kSite}));
    EXPECT_EQ(data().RowCount(), 5);
    EXPECT_EQ(data().VisibleRowCount, 1);
    EXPECT_EQ(row(0).Redirects, "4  Loop");
    EXPECT_EQ(row(0).RedirectedTo, kSite);
}

TEST_F(Crawl, AbortLeavesNoRowsAndIgnoresLateCompletions)
{
    data().Queue.add("http://a.test/");
    controller->Button4Click();
    // Queued after the shuffle, so that the completion of a.test starts one of them.
    for (const char* url : {"http://c.test/", "http://d.test/"}) {
        factory.script(url, {FakeReply::silent()});
        data().Queue.add(url);
    }
    ASSERT_TRUE(spinUntil([this] { return data().RowCount() == 1 && controller->activeSlotCount() == 1; }));
    const int32_t serial = data().RequestSerial;
    const int32_t rows = data().RowCount();

    controller->Button1Click();
    EXPECT_EQ(screen.messages, std::vector<std::string>{"Tarnwick has aborted scan!"});
    EXPECT_EQ(screen.startCaption, "Start");
    EXPECT_TRUE(screen.idleEnabled);
    EXPECT_EQ(screen.panels[2], "Status: Aborted by user");
    EXPECT_EQ(controller->activeSlotCount(), 0);
    drainEvents();
    EXPECT_EQ(data().RowCount(), rows) << "requests in flight leave no rows";
    EXPECT_EQ(data().RequestSerial, serial);
    EXPECT_EQ(screen.messages.size(), 1u);

    // A new scan right away is not disturbed by the old clients.
    screen.messages.clear();
    start(kSite);
    ASSERT_TRUE(finish());
    EXPECT_EQ(data().RowCount(), 1);
    EXPECT_EQ(screen.messages, std::vector<std::string>{"Tarnwick has finished!"});
}

TEST_F(Crawl, AbortWhileClosingShowsNoMessage)
{
    factory.script(kSite, {FakeReply::silent()});
    start(kSite);
    data().Closing = true;
    controller->Abort();
    EXPECT_TRUE(screen.messages.empty());
    drainEvents();
}

TEST_F(Crawl, WatchdogTimesOutARequestWithoutHeader)
{
    settings.timeoutSeconds = 2;
    factory.script(kSite, {FakeReply::silent()});
    controller->setTimerIntervals(5, 1'000'000);
    start(kSite);
    drainEvents();
    clock += 1999;
    drainEvents();
    EXPECT_EQ(data().RowCount(), 0);
    EXPECT_EQ(controller->activeSlotCount(), 1);

    clock += 1;
    ASSERT_TRUE(finish());
    ASSERT_EQ(data().RowCount(), 1);
    EXPECT_EQ(row(0).Status, 0);
    EXPECT_EQ(row(0).Reason, "Connection TimeOut (set in Options)");
    EXPECT_EQ(row(0).ReceivedHeader, "");
}

TEST_F(Crawl, WatchdogSparesARequestReceivingItsHeader)
{
    settings.timeoutSeconds = 1;
    factory.script(kSite, {FakeReply::stalledBody()});
    start(kSite);
    drainEvents();
    clock += 60'000;
    controller->Timer2Timer();
    drainEvents();
    EXPECT_EQ(controller->activeSlotCount(), 1);
    EXPECT_EQ(data().RowCount(), 0);
    controller->Abort();
    drainEvents();
}

TEST_F(Crawl, TimedOutSlotStaysBusyUntilItsCompletion)
{
    // One connection: a second URL must not take the slot before the time-out row is made.
    make(1);
    settings.timeoutSeconds = 1;
    factory.script("http://a.test/", {FakeReply::silent()});
    data().Queue.add("http://a.test/");
    controller->Button4Click();
    data().Queue.add("http://b.test/");
    drainEvents();
    clock += 1000;
    controller->Timer2Timer();
    EXPECT_EQ(controller->activeSlotCount(), 1);
    controller->Button10Click();
    EXPECT_EQ(factory.made.size(), 1u);
    ASSERT_TRUE(finish());
    ASSERT_EQ(data().RowCount(), 2);
    const trow& timedOut = row(0).Url == "http://a.test/" ? row(0) : row(1);
    EXPECT_EQ(timedOut.Reason, "Connection TimeOut (set in Options)");
}

TEST_F(Crawl, AbortAndContinueRequeuesAndKeepsOneRow)
{
    const std::string slow = "http://site.test/big";
    factory.script(slow, {FakeReply::stalledBody(), FakeReply::typed("application/zip")});
    data().Queue.add(slow);
    controller->Button4Click();
    drainEvents();
    controller->Timer4Timer();
    EXPECT_EQ(controller->activeSlotCount(), 1) << "the stopped slot stays busy until its completion";
    ASSERT_TRUE(finish());

    const std::vector<std::string> urls = factory.urls();
    EXPECT_EQ(std::count(urls.begin(), urls.end(), slow), 2);
    ASSERT_EQ(data().RowCount(), 1);
    const trow& big = row(0);
    EXPECT_EQ(big.Url, slow);
    EXPECT_EQ(big.ContentType, "application/zip");
    EXPECT_EQ(big.Status, 200);
    EXPECT_EQ(count("Tarnwick has finished!"), 1);
}

TEST_F(Crawl, AbortAndContinueOnAHopMakesAHopRow)
{
    factory.script(kSite, {FakeReply::redirect("http://other.test/slow")});
    factory.script("http://other.test/slow", {FakeReply::stalledBody()});
    start(kSite);
    ASSERT_TRUE(spinUntil([this] { return factory.made.size() == 2; }));
    drainEvents();
    controller->Timer4Timer();
    ASSERT_TRUE(finish());
    ASSERT_EQ(data().RowCount(), 2);
    EXPECT_EQ(row(1).Url, "http://other.test/slow");
    EXPECT_EQ(row(1).Reason, "");
    EXPECT_EQ(row(0).Redirects, "1 ");
    EXPECT_EQ(factory.made.size(), 2u);
}

TEST_F(Crawl, FinishMessageIsShownOnceWhenACompletionArrivesDuringIt)
{
    bool reentered = false;
    screen.onMessage = [&](const std::string& text) {
        if (text != "Tarnwick has finished!" || reentered)
            return;
        reentered = true;
        // While the modal message runs the event loop, another request completes and reaches
        // the end of the scan again.
        data().Queue.add("http://site.test/late");
        controller->Button10Click();
        spinUntil([this] { return controller->activeSlotCount() == 0; });
    };
    start(kSite);
    ASSERT_TRUE(finish());
    drainEvents();
    EXPECT_TRUE(reentered);
    EXPECT_EQ(data().RowCount(), 2);
    EXPECT_EQ(count("Tarnwick has finished!"), 1);
}

TEST_F(Crawl, NonTextAndAttachmentRepliesAreCutAfterTheHeader)
{
    FakeReply attachment = FakeReply::page("<a href=/x>x</a>");
    attachment.header.push_back("Content-Disposition: attachment; filename=a.html");
    FakeReply image = FakeReply::typed("image/png");
    FakeReply untyped = FakeReply::page("", 200, "OK");
    untyped.header.pop_back();
    untyped.contentType.clear();
    factory.script("http://a.test/", {attachment});
    factory.script("http://b.test/", {image});
    factory.script("http://c.test/", {untyped});
    for (const char* url : {"http://a.test/", "http://b.test/", "http://c.test/"})
        data().Queue.add(url);
    controller->Button4Click();
    ASSERT_TRUE(finish());
    ASSERT_EQ(data().RowCount(), 3);
    std::map<std::string, const trow*> byUrl;
    for (int32_t i = 0; i < 3; ++i)
        byUrl[row(i).Url] = &row(i);
    EXPECT_EQ(byUrl["http://a.test/"]->Status, 999);
    EXPECT_EQ(byUrl["http://a.test/"]->Reason, "File Transfer");
    EXPECT_EQ(screen.caption, "");
    EXPECT_EQ(byUrl["http://b.test/"]->Status, 200);
    EXPECT_EQ(byUrl["http://b.test/"]->Reason, "OK");
    EXPECT_EQ(byUrl["http://b.test/"]->ContentType, "image/png");
    EXPECT_EQ(byUrl["http://b.test/"]->RedirectedTo, "Original URL");
    EXPECT_EQ(byUrl["http://c.test/"]->Reason, "OK");
    EXPECT_EQ(data().PagesInSitemap, 0);
    for (const auto& made : factory.made)
        EXPECT_EQ(*made.aborts, 1) << made.url;
}

TEST_F(Crawl, StatusAndReasonFallBackToTheReceivedHeader)
{
    FakeReply odd = FakeReply::page("", 0, "");
    odd.header[0] = "ICY 203 Odd Reply";
    factory.script(kSite, {odd});
    start(kSite);
    ASSERT_TRUE(finish());
    EXPECT_EQ(row(0).Status, 203);
    EXPECT_EQ(row(0).Reason, "Odd Reply");
}

TEST_F(Crawl, DiagnosticsListActiveUrlsAndStates)
{
    screen.diagnostics = true;
    factory.script(kSite, {FakeReply::silent()});
    start(kSite);
    drainEvents();
    controller->Button8Click();
    EXPECT_EQ(screen.activeUrls, std::vector<std::string>{"httpWaitingHeader   http://site.test/"});
    ASSERT_EQ(screen.histogram.size(), 11u);
    EXPECT_EQ(screen.histogram[0], "httpReady  199");
    EXPECT_EQ(screen.histogram[5], "httpWaitingHeader  1");
    controller->Abort();
    drainEvents();
}
