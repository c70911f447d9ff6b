#include "settings/projectsettings.h"

#include <gtest/gtest.h>

namespace {

TEST(ProjectSettings, PresetTableNamesAndCrawlerTexts)
{
    const std::string_view names[] = {"Mozilla/3.0 (compatible)", "Google", "Google Bot", "Bing", "Opera Windows",
                                      "Opera Linux", "Safari", "IE11", "IE10", "IE9", "IE8", "Firefox", "Chrome",
                                      "YandexBot", "YahooBot"};
    ASSERT_EQ(std::size(names), kUserAgentPresets.size());
    for (size_t i = 0; i < kUserAgentPresets.size(); ++i)
        EXPECT_EQ(kUserAgentPresets[i].name, names[i]) << "entry " << i;

    struct Case {
        size_t entry;
        std::string_view text;
    } const crawlers[] = {
        {1, "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)"},
        {2, "Googlebot/2.1 (+http://www.google.com/bot.html)"},
        {3, "Mozilla/5.0 (compatible; bingbot/2.0; +http://www.bing.com/bingbot.htm)"},
        {13, "Mozilla/5.0 (compatible; YandexBot/3.0; +http://yandex.com/bots)"},
        {14, "Mozilla/5.0 (compatible; Yahoo! Slurp; http://help.yahoo.com/help/us/ysearch/slurp)"},
    };
    for (const Case& c : crawlers)
        EXPECT_EQ(kUserAgentPresets[c.entry].text, c.text) << "entry " << c.entry;
}

TEST(ProjectSettings, UserAgentFollowsTheCustomCheckBox)
{
    ProjectSettings settings;
    settings.userAgentPreset = 9; // "IE9"
    settings.customUserAgentOn = false;
    EXPECT_EQ(settings.userAgent(), "Mozilla/5.0 (Windows; U; MSIE 9.0; WIndows NT 9.0; en-US))");
    settings.customUserAgentOn = true;
    settings.customUserAgent = "Custom";
    EXPECT_EQ(settings.userAgent(), "Custom");
    EXPECT_EQ(settings.presetUserAgent(), kUserAgentPresets[9].text);

    const WorkingSettings working = settings.working();
    EXPECT_EQ(working.Connections, 20);
    EXPECT_EQ(working.HttpVersion, "1.1");
    EXPECT_EQ(working.UserAgent, "Custom");
}

TEST(ProjectSettings, SummaryText)
{
    EXPECT_EQ(SettingsSummary(40, "1.0", 180, "A; B"),
              "Using 40 streams; HTTP version: 1.0; Timeout: 180sec; User Agent: A; B; ");
    EXPECT_EQ(SettingsSummary(20, "1.1", 30, ""), "Using 20 streams; HTTP version: 1.1; Timeout: 30sec; User Agent: ; ");
}

// A report or a hand-edited model may carry any position; the working values never index past
// a table.
TEST(ProjectSettings, OutOfRangePositionsGiveNearestEntry)
{
    ProjectSettings settings;
    settings.customUserAgentOn = false;
    settings.connectionsIndex = 99;
    settings.httpVersionIndex = 7;
    settings.userAgentPreset = -3;
    EXPECT_EQ(settings.connections(), 40);
    EXPECT_EQ(settings.httpVersion(), "1.1");
    EXPECT_EQ(settings.userAgent(), "Mozilla/3.0 (compatible)");
    settings.connectionsIndex = -1;
    settings.httpVersionIndex = -1;
    EXPECT_EQ(settings.connections(), 1);
    EXPECT_EQ(settings.httpVersion(), "1.0");

    settings.maxRedirections = 0;
    settings.timeoutSeconds = 1000;
    settings.maxLength = 5;
    settings.clampToRanges();
    EXPECT_EQ(settings.connectionsIndex, 0);
    EXPECT_EQ(settings.httpVersionIndex, 0);
    EXPECT_EQ(settings.userAgentPreset, 0);
    EXPECT_EQ(settings.maxRedirections, 1);
    EXPECT_EQ(settings.timeoutSeconds, 180);
    EXPECT_EQ(settings.maxLength, 10);
}

} // namespace
