#include "cli/crawloptions.h"

#include <gtest/gtest.h>

namespace {

ParsedCommandLine parse(std::initializer_list<const char*> args)
{
    QStringList list{QStringLiteral("tarnwick-crawl")};
    for (const char* a : args)
        list << QString::fromUtf8(a);
    return parseCrawlCommandLine(list, "2026-12-11");
}

} // namespace

TEST(CrawlOptions, DefaultsAreTheFirstRunSettings)
{
    const auto p = parse({"http://127.0.0.1/"});
    ASSERT_EQ(p.outcome, ParsedCommandLine::Outcome::Run);
    EXPECT_EQ(p.options.startUrl, "http://127.0.0.1/");
    EXPECT_EQ(p.options.connections, 20);
    EXPECT_EQ(p.options.httpVersion, "1.1");
    EXPECT_EQ(p.options.userAgent, "Tarnwick v1.3");
    EXPECT_EQ(p.options.maxRedirects, 10);
    EXPECT_EQ(p.options.timeoutSeconds, 30);
    EXPECT_FALSE(p.options.maxLength);
    EXPECT_EQ(p.options.lastmod, "2026-12-11");
    EXPECT_EQ(p.options.changefreq, "daily");
    EXPECT_EQ(p.options.priority, "0.5");
}

TEST(CrawlOptions, ValuesAndOffSwitches)
{
    const auto p = parse({"--list", "urls.txt", "--connections", "40", "--http-version", "1.0", "--exclude", "a",
                          "--exclude", "B", "--max-length", "10", "--lastmod", "off", "--changefreq", "weekly",
                          "--priority", "off", "--stay-in-path", "--quiet", "--csv", "out.csv"});
    ASSERT_EQ(p.outcome, ParsedCommandLine::Outcome::Run) << p.message;
    EXPECT_EQ(p.options.listFile, "urls.txt");
    EXPECT_EQ(p.options.connections, 40);
    EXPECT_EQ(p.options.httpVersion, "1.0");
    EXPECT_EQ(p.options.excludes, (std::vector<std::string>{"a", "B"}));
    EXPECT_EQ(p.options.maxLength, 10);
    EXPECT_FALSE(p.options.lastmod);
    EXPECT_EQ(p.options.changefreq, "weekly");
    EXPECT_FALSE(p.options.priority);
    EXPECT_TRUE(p.options.stayInPath);
    EXPECT_TRUE(p.options.quiet);
    EXPECT_EQ(p.options.csvFile, "out.csv");
}

TEST(CrawlOptions, UsageErrors)
{
    const std::vector<std::vector<const char*>> bad = {
        {},                                              // no start URL
        {"http://a/", "http://b/"},                      // two start URLs
        {"--list", "f", "http://a/"},                    // both forms
        {"--connections", "0", "http://a/"},             // below range
        {"--connections", "41", "http://a/"},            // above range
        {"--connections", "ten", "http://a/"},           // not a number
        {"--timeout", "181", "http://a/"},
        {"--max-redirects", "0", "http://a/"},
        {"--max-length", "9", "http://a/"},
        {"--http-version", "2", "http://a/"},
        {"--changefreq", "sometimes", "http://a/"},
        {"--priority", "1.0", "http://a/"},              // the list says "1", not "1.0"
        {"--lastmod", "2026-13-01", "http://a/"},
        {"--no-such-option", "http://a/"},
    };
    for (const auto& args : bad) {
        QStringList list{QStringLiteral("tarnwick-crawl")};
        std::string trace;
        for (const char* a : args) {
            list << QString::fromUtf8(a);
            trace += std::string(a) + ' ';
        }
        SCOPED_TRACE(trace);
        const auto p = parseCrawlCommandLine(list, "2026-12-11");
        EXPECT_EQ(p.outcome, ParsedCommandLine::Outcome::UsageError);
        EXPECT_NE(p.message.find("Usage:"), std::string::npos);
    }
}

TEST(CrawlOptions, HelpAndVersionExitCleanly)
{
    EXPECT_EQ(parse({"--help"}).outcome, ParsedCommandLine::Outcome::ExitOk);
    const auto v = parse({"--version"});
    EXPECT_EQ(v.outcome, ParsedCommandLine::Outcome::ExitOk);
    EXPECT_EQ(v.message, "tarnwick-crawl 1.3\n");
}
