// The scope rules of a crawl: which discovered URLs may enter the queue.
#pragma once

#include <optional>
#include <string>

struct CrawlData;

// Offers one absolute URL to the queue: blanks become "%20"; the host must equal the start
// host once the first "www." is removed from each (exact case); the URL must be neither seen
// nor queued (ignoring case); with `stayInPath` it must begin with the start prefix. True when
// the URL was queued.
bool admitUrl(CrawlData& data, bool stayInPath, std::string url);

// The absolute target of a "location:" header value on a request for `requestUrl`: a value
// with "://" as it stands, anything else resolved against the request's URL like a browser
// does. Empty when it cannot be resolved.
std::optional<std::string> resolveLocation(const std::string& requestUrl, const std::string& value);
