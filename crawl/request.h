// A connection slot: one of the 200 fixed places a request runs in, with its client, receive
// buffer and the flags the controller and the exchange handlers share.
#pragma once

#include "crawl/httpclient.h"
#include "html/htmlparser.h"

#include <cstdint>
#include <memory>
#include <string>

struct trequest {
    std::unique_ptr<HttpClient> Client; // made anew for every request
    int64_t StartTick = 0;  // request start, then the end of the name lookup (watchdog clock)
    int32_t ChainId = 0;
    bool IsHop = false;
    std::string Title;
    std::string Url;        // base for links in the body; what "abort and continue" re-queues
    std::string Location;   // absolute redirect target, empty when none
    bool Stopped = false;   // cut short by the program: body not parsed, reason not taken
    bool Active = false;    // started and its completion not yet processed
    bool Requeue = false;   // "abort and continue" stopped it: no row, URL back into the queue
    bool Parsing = false;   // the body is being parsed right now
    bool NotText = false;
    bool Attachment = false;
    bool TimedOut = false;
    std::string Body;       // receive buffer, filled by the client
    std::string PageText;   // the body prepared for the tokenizer; kept to reuse its memory
    std::unique_ptr<HtmlParser> Parser; // the slot's own tokenizer; its Tag is the slot number

    // A completion that arrived while the body was still being parsed; handled when the
    // parse ends, so that a page's links are queued before its row is made.
    bool DonePending = false;
    // The scan a parse belongs to; links of a page whose scan has ended are not queued.
    uint64_t ParseScan = 0;
};
