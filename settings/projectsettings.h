// The project settings: the live store every part of the crawl reads its tuning from.
//
// A plain value object. The settings dialog edits it, the three settings files load and save
// it, reports restore part of it, and the crawl reads it at the moment a value is needed.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

struct ProjectSettings {
    // Entries of the connections list, in list order.
    static constexpr std::array<int, 12> kConnectionEntries{1, 2, 3, 4, 5, 10, 15, 20, 25, 30, 35, 40};
    static constexpr int kDefaultConnectionsIndex = 7; // "20"

    int connectionsIndex = kDefaultConnectionsIndex; // position in kConnectionEntries
    int httpVersionIndex = 1;                        // 0 "HTTP/1.0", 1 "HTTP/1.1"
    int userAgentPreset = 1;                         // position in the preset table ("Google")
    bool customUserAgentOn = true;
    std::string customUserAgent = "Tarnwick v1.3";
    int reserved = 0;             // line 6 of settings.dat, read and written back unchanged
    int maxRedirections = 10;     // 1..100
    int timeoutSeconds = 30;      // 1..180
    bool maxLengthOn = false;
    int maxLength = 2000;         // 10..2000
    bool exclusionsOn = false;
    std::vector<std::string> exclusions; // one substring per line
    std::vector<std::string> reservedList; // filter.dat, kept as it was read

    int connections() const { return kConnectionEntries[static_cast<size_t>(connectionsIndex)]; }
    std::string httpVersion() const { return httpVersionIndex == 1 ? "1.1" : "1.0"; }
};
