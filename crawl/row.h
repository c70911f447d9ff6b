// One result row: what a completed request left behind.
#pragma once

#include <cstdint>
#include <string>

// Field names are the program's own vocabulary; every other part reads them by these names.
struct trow {
    std::string Url;             // the URL that was requested
    std::string Title;           // page title (see the title handler), empty when none
    std::string ReceivedHeader;  // raw response header, lines joined with CR LF
    std::string Reason;          // reason phrase or one of the fixed texts
    std::string ContentType;     // lower-cased Content-Type value
    std::string RedirectedTo;    // absolute redirect target or "Original URL"
    std::string Redirects = "0"; // redirect count, optionally followed by a blank and " Loop"
    std::string LastModified;    // sitemap tags
    std::string ChangeFrequency;
    std::string Priority;
    int32_t Status = 0;          // HTTP status; 999 file transfer; 0 nothing received
    int32_t ChainId = 0;         // redirect chain of the row; 0 in rows loaded from a report

    void reset() { *this = trow{}; }
};
