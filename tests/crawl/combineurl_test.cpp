// Resolving links against a page URL.
#include "crawl/combineurl.h"

#include <gtest/gtest.h>

namespace {

const std::string kBase = "http://www.example.org/docs/a/page.html?x=1#top";

TEST(CombineUrlTest, ResolvesLikeABrowser)
{
    struct Row {
        const char* reference;
        const char* expected;
    } rows[] = {
        {"b.html", "http://www.example.org/docs/a/b.html"},
        {"sub/c.html", "http://www.example.org/docs/a/sub/c.html"},
        {"./d.html", "http://www.example.org/docs/a/d.html"},
        {"../e.html", "http://www.example.org/docs/e.html"},
        {"../../../../f.html", "http://www.example.org/f.html"},
        {"g/./h/../i.html", "http://www.example.org/docs/a/g/i.html"},
        {".", "http://www.example.org/docs/a/"},
        {"..", "http://www.example.org/docs/"},
        {"/root.html", "http://www.example.org/root.html"},
        {"/x/../y/./z", "http://www.example.org/y/z"},
        {"//other.org/p", "http://other.org/p"},
        {"//other.org", "http://other.org/"},
        {"?q=2", "http://www.example.org/docs/a/page.html?q=2"},
        {"#frag", "http://www.example.org/docs/a/page.html?x=1#frag"},
        {"b.html#sec", "http://www.example.org/docs/a/b.html#sec"},
        {"b.html?a=1&b=2#s", "http://www.example.org/docs/a/b.html?a=1&b=2#s"},
        // Absolute references: canonical scheme, dots removed, the rest as written.
        {"https://Other.ORG/A/./B/../C", "https://Other.ORG/A/C"},
        {"HTTP://www.example.org", "http://www.example.org/"},
        {"http://www.example.org:8080/p?x", "http://www.example.org:8080/p?x"},
        {"http://user@www.example.org/p", "http://user@www.example.org/p"},
        {"ftp://files.example.org/f.zip", "ftp://files.example.org/f.zip"},
        // Unsafe characters before '?' are encoded; the query and fragment are kept.
        {"my page.html", "http://www.example.org/docs/a/my%20page.html"},
        {"a\"b<c>.html", "http://www.example.org/docs/a/a%22b%3Cc%3E.html"},
        {"caf\xc3\xa9.html", "http://www.example.org/docs/a/caf%C3%A9.html"},
        {"already%20encoded.html", "http://www.example.org/docs/a/already%20encoded.html"},
        {"find?q=a b ", "http://www.example.org/docs/a/find?q=a b "},
        {"p.html#a b", "http://www.example.org/docs/a/p.html#a b"},
        {"/s p?q=%41 b#f g", "http://www.example.org/s%20p?q=%41 b#f g"},
        // White space around and inside the reference.
        {"  b.html  ", "http://www.example.org/docs/a/b.html"},
        {"b\n.ht\tml", "http://www.example.org/docs/a/b.html"},
        // Empty reference: the base itself.
        {"", "http://www.example.org/docs/a/page.html?x=1#top"},
        {"   ", "http://www.example.org/docs/a/page.html?x=1#top"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reference);
        const auto combined = CombineUrl(kBase, row.reference);
        ASSERT_TRUE(combined.has_value());
        EXPECT_EQ(*combined, row.expected);
    }
}

TEST(CombineUrlTest, BaseShapes)
{
    struct Row {
        const char* base;
        const char* reference;
        const char* expected;
    } rows[] = {
        {"http://h.org", "a.html", "http://h.org/a.html"},
        {"http://h.org?q", "a.html", "http://h.org/a.html"},
        {"http://h.org/dir/", "a.html", "http://h.org/dir/a.html"},
        {"https://h.org:8443/d/x", "../y", "https://h.org:8443/y"},
        {"https://h.org/d/x", "//cdn.org/s.js", "https://cdn.org/s.js"},
        {"http://h.org/a?b=1", "", "http://h.org/a?b=1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.base) + " + " + row.reference);
        const auto combined = CombineUrl(row.base, row.reference);
        ASSERT_TRUE(combined.has_value());
        EXPECT_EQ(*combined, row.expected);
    }
}

TEST(CombineUrlTest, DropsWhatCannotBeCrawled)
{
    struct Row {
        std::string base;
        std::string reference;
    } bad[] = {
        {kBase, "mailto:someone@example.org"},         // no host to crawl
        {kBase, "javascript:void(0)"},                 // script, not a place
        {kBase, "tel:+123"},                           // same
        {kBase, "http://bad host/x"},                  // a space cannot be in a host
        {kBase, "http://[zz/x"},                       // broken IPv6 literal
        {"not a url", "a.html"},                       // a base without a scheme resolves nothing
        {kBase, "/" + std::string(10300, 'a')},        // longer than 10239 characters
        {std::string("http://h.org/") + std::string(10300, 'b'), ""},
    };
    for (const Row& row : bad) {
        SCOPED_TRACE(row.reference.substr(0, 40));
        EXPECT_FALSE(CombineUrl(row.base, row.reference).has_value());
    }
}

TEST(CombineUrlTest, LengthLimitIsInclusive)
{
    const std::string prefix = "http://h.org/";
    const std::string fits(kMaxCombinedUrlLength - prefix.size(), 'a');
    const auto combined = CombineUrl(prefix, fits);
    ASSERT_TRUE(combined.has_value());
    EXPECT_EQ(combined->size(), kMaxCombinedUrlLength);
    EXPECT_FALSE(CombineUrl(prefix, fits + "a").has_value());
}

TEST(CombineUrlTest, NoControlCharacterSurvives)
{
    // A line break in a query must never reach a request line.
    const auto combined = CombineUrl(kBase, std::string("p?a=\x01\x7f&b=") + '\0' + "c");
    ASSERT_TRUE(combined.has_value());
    EXPECT_EQ(*combined, "http://www.example.org/docs/a/p?a=%01%7F&b=%00c");
}

} // namespace
