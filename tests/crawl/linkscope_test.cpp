#include "crawl/crawldata.h"
#include "crawl/linkscope.h"
#include "crawl/urisplit.h"

#include <gtest/gtest.h>

namespace {

CrawlData startedAt(const std::string& startUrl)
{
    CrawlData data;
    const UriParts parts = SplitUri(startUrl);
    data.StartHost = parts.host;
    data.StartPrefix = UriPrefix(parts);
    return data;
}

} // namespace

TEST(AdmitUrl, ScopeRules)
{
    struct Case {
        const char* start;
        bool stayInPath;
        const char* url;
        const char* queued; // nullptr: refused
    } const cases[] = {
        // The first "www." is ignored on both sides.
        {"http://www.example.org/docs/", false, "http://example.org/a", "http://example.org/a"},
        {"http://example.org/", false, "http://www.example.org/a", "http://www.example.org/a"},
        {"http://www.example.org/docs/", true, "http://example.org/a", nullptr},
        {"http://www.example.org/docs/", true, "http://www.example.org/docs/b", "http://www.example.org/docs/b"},
        // Host comparison is exact, letter case included.
        {"http://www.example.org/", false, "HTTP://WWW.EXAMPLE.ORG/x", nullptr},
        {"http://example.org/", false, "http://other.org/", nullptr},
        // Scheme and port are not compared.
        {"http://example.org/", false, "https://example.org:8443/s", "https://example.org:8443/s"},
        // Blanks become %20.
        {"http://example.org/", false, "http://example.org/q?a b", "http://example.org/q?a%20b"},
        // No host, no scope; also when the start host is empty, as in a list scan.
        {"http://example.org/", false, "mailto:me@example.org", nullptr},
        {"", false, "javascript:void(0)", nullptr},
        {"", false, "http://example.org/", nullptr},
        // The prefix keeps the start URL's port.
        {"http://example.org:8080/docs/", true, "http://example.org:8080/docs/x", "http://example.org:8080/docs/x"},
        {"http://example.org:8080/docs/", true, "http://example.org/docs/x", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " | " + c.url);
        CrawlData data = startedAt(c.start);
        const bool admitted = admitUrl(data, c.stayInPath, c.url);
        EXPECT_EQ(admitted, c.queued != nullptr);
        if (c.queued) {
            ASSERT_EQ(data.Queue.size(), 1u);
            EXPECT_EQ(data.Queue.front(), c.queued);
        } else {
            EXPECT_TRUE(data.Queue.empty());
        }
    }
}

TEST(AdmitUrl, KnownUrlsAreRefusedIgnoringCase)
{
    CrawlData data = startedAt("http://example.org/");
    data.Seen.add("http://example.org/Seen");
    EXPECT_FALSE(admitUrl(data, false, "http://example.org/SEEN"));
    EXPECT_TRUE(admitUrl(data, false, "http://example.org/page"));
    EXPECT_FALSE(admitUrl(data, false, "http://example.org/PAGE"));
    EXPECT_EQ(data.Queue.size(), 1u);
}

TEST(ResolveLocation, RelativeTargetsFollowTheRequest)
{
    struct Case {
        const char* request;
        const char* value;
        const char* target;
    } const cases[] = {
        {"https://h.org/a/b.html", "/c", "https://h.org/c"},
        {"http://h.org:8080/dir/a", "b", "http://h.org:8080/dir/b"},
        {"http://h.org:8080/dir/a", "/x?y=1", "http://h.org:8080/x?y=1"},
        {"http://h.org/dir/a", "../up", "http://h.org/up"},
        {"http://h.org/", "http://other.org/z", "http://other.org/z"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.request) + " + " + c.value);
        const auto target = resolveLocation(c.request, c.value);
        ASSERT_TRUE(target.has_value());
        EXPECT_EQ(*target, c.target);
    }
}
