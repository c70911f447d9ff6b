// The project settings: the live store every part of the crawl reads its tuning from.
//
// A plain value object. The settings dialog edits it, the three settings files load and save
// it (settingsfiles.h), reports restore part of it, and the crawl reads it at the moment a value
// is needed.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

// One entry of the User-Agent drop-down list: the name it shows and the text it sends.
struct UserAgentPreset {
    std::string_view name;
    std::string_view text;
};

// The User-Agent presets, in list order. The crawler entries carry the address of the page each
// crawler names in its own User-Agent text.
inline constexpr std::array<UserAgentPreset, 15> kUserAgentPresets{{
    {"Mozilla/3.0 (compatible)", "Mozilla/3.0 (compatible)"},
    {"Google", "Mozilla/5.0 (compatible; Googlebot/2.1; +http://www.google.com/bot.html)"},
    {"Google Bot", "Googlebot/2.1 (+http://www.google.com/bot.html)"},
    {"Bing", "Mozilla/5.0 (compatible; bingbot/2.0; +http://www.bing.com/bingbot.htm)"},
    {"Opera Windows", "Opera/9.80 (Windows NT 6.0) Presto/2.12.388 Version/12.14"},
    {"Opera Linux", "Opera/9.80 (X11; Linux i686; Ubuntu/14.10) Presto/2.12.388 Version/12.16"},
    {"Safari", "Mozilla/5.0 (Macintosh; Intel Mac OS X 10_9_3) AppleWebKit/537.75.14 (KHTML, like Gecko) "
               "Version/7.0.3 Safari/7046A194A"},
    {"IE11", "Mozilla/5.0 (Windows NT 6.1; WOW64; Trident/7.0; AS; rv:11.0) like Gecko"},
    {"IE10", "Mozilla/5.0 (compatible; MSIE 10.0; Windows NT 7.0; InfoPath.3; .NET CLR 3.1.40767; "
             "Trident/6.0; en-IN)"},
    {"IE9", "Mozilla/5.0 (Windows; U; MSIE 9.0; WIndows NT 9.0; en-US))"},
    {"IE8", "Mozilla/5.0 (compatible; MSIE 8.0; Windows NT 6.1; Trident/4.0; GTB7.4; InfoPath.2; SV1; "
            ".NET CLR 3.3.69573; WOW64; en-US)"},
    {"Firefox", "Mozilla/5.0 (Windows NT 6.1; WOW64; rv:40.0) Gecko/20100101 Firefox/40.1hrome"},
    {"Chrome", "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/41.0.2228.0 "
               "Safari/537.36"},
    {"YandexBot", "Mozilla/5.0 (compatible; YandexBot/3.0; +http://yandex.com/bots)"},
    {"YahooBot", "Mozilla/5.0 (compatible; Yahoo! Slurp; http://help.yahoo.com/help/us/ysearch/slurp)"},
}};

// The entries of the HTTP version drop-down list.
inline constexpr std::array<std::string_view, 2> kHttpVersionEntries{"HTTP/1.0", "HTTP/1.1"};

// The custom User-Agent text of a first run, and what an emptied text turns back into.
inline constexpr std::string_view kDefaultCustomUserAgent = "Tarnwick v1.3";

// The settings summary shown in the status bar's last panel, e.g.
// "Using 20 streams; HTTP version: 1.1; Timeout: 30sec; User Agent: Tarnwick v1.3; ".
// The crawl rewrites it from its own working copies, hence the plain parameters.
std::string SettingsSummary(int connections, std::string_view httpVersion, int timeoutSeconds,
                            std::string_view userAgent);

// The three values the crawl copies when a scan or request starts.
struct WorkingSettings {
    int Connections = 20;
    std::string HttpVersion = "1.1";
    std::string UserAgent{kDefaultCustomUserAgent};
};

struct ProjectSettings {
    // Entries of the connections list, in list order.
    static constexpr std::array<int, 12> kConnectionEntries{1, 2, 3, 4, 5, 10, 15, 20, 25, 30, 35, 40};
    static constexpr int kDefaultConnectionsIndex = 7; // "20"
    static constexpr int kDefaultHttpVersionIndex = 1; // "HTTP/1.1"
    static constexpr int kDefaultUserAgentPreset = 1;  // "Google"
    static constexpr int kDefaultMaxRedirections = 10;
    static constexpr int kMinMaxRedirections = 1;
    static constexpr int kMaxMaxRedirections = 100;
    static constexpr int kDefaultTimeoutSeconds = 30;
    static constexpr int kMinTimeoutSeconds = 1;
    static constexpr int kMaxTimeoutSeconds = 180;
    static constexpr int kDefaultMaxLength = 2000;
    static constexpr int kMinMaxLength = 10;
    static constexpr int kMaxMaxLength = 2000;
    static constexpr int kReservedListLines = 21;

    int connectionsIndex = kDefaultConnectionsIndex; // position in kConnectionEntries
    int httpVersionIndex = kDefaultHttpVersionIndex; // 0 "HTTP/1.0", 1 "HTTP/1.1"
    int userAgentPreset = kDefaultUserAgentPreset;   // position in kUserAgentPresets
    bool customUserAgentOn = true;
    std::string customUserAgent{kDefaultCustomUserAgent};
    int reserved = 0;             // line 6 of settings.dat, read and written back unchanged
    int maxRedirections = kDefaultMaxRedirections; // 1..100
    int timeoutSeconds = kDefaultTimeoutSeconds;   // 1..180
    bool maxLengthOn = false;
    int maxLength = kDefaultMaxLength;             // 10..2000
    bool exclusionsOn = false;
    std::vector<std::string> exclusions; // one substring per line
    std::vector<std::string> reservedList = defaultReservedList(); // filter.dat, kept as read

    // The reserved list a first save writes: 21 empty lines but the third, "2.5".
    static std::vector<std::string> defaultReservedList();

    // Working values. Out-of-range positions are treated as the nearest valid entry, so a
    // caller never indexes past a table whatever a file or a report put into the model.
    int connections() const;
    std::string httpVersion() const;        // "1.0" or "1.1"
    std::string_view presetUserAgent() const; // the selected preset's text
    std::string userAgent() const;          // the custom text when it is on, else the preset text
    WorkingSettings working() const;
    std::string summary() const;            // SettingsSummary of the working values

    // Forces every ranged value into the range of its control.
    void clampToRanges();
};
