// The state of the crawl that every part of the program reads: the result table, the slots,
// the queue and sets, the counters, the working copies of settings and the scan flags.
#pragma once

#include "crawl/request.h"
#include "crawl/rowtable.h"
#include "crawl/urllists.h"

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kSlotCount = 200;
inline constexpr const char* kApplicationTitle = "Tarnwick";

struct CrawlData {
    CrawlData() : Slots(kSlotCount) {}

    RowTable Rows;
    std::vector<trequest> Slots; // slot number i lives at Slots[i - 1]
    UrlQueue Queue;
    UrlSet Seen;
    UrlSet Finished;
    std::vector<std::string> ChainUrls;

    int32_t VisibleRowCount = 0;
    int32_t RequestSerial = 0;
    int32_t PagesInSitemap = 0;
    std::string StatusText;

    int32_t Connections = 20;
    std::string UserAgent = "Tarnwick v1.3";
    std::string HttpVersion = "1.1";

    bool ProjectModified = false;
    bool Closing = false;
    std::string StartHost;
    std::string StartPrefix;

    bool AbortRequested = false;
    bool FinishAnnounced = false;
    bool HandOffPending = false;

    int32_t RowCount() const { return Rows.RowCount(); }
    trequest& slot(int number) { return Slots[static_cast<std::size_t>(number - 1)]; }
    const trequest& slot(int number) const { return Slots[static_cast<std::size_t>(number - 1)]; }
};
