#include "crawl/linkscope.h"

#include "crawl/combineurl.h"
#include "crawl/crawldata.h"
#include "crawl/urisplit.h"

#include <string_view>

namespace {

std::string withoutFirstWww(std::string_view host)
{
    std::string out(host);
    const auto www = out.find("www.");
    if (www != std::string::npos)
        out.erase(www, 4);
    return out;
}

} // namespace

bool admitUrl(CrawlData& data, bool stayInPath, std::string url)
{
    if (url.find(' ') != std::string::npos) {
        std::string spaced;
        spaced.reserve(url.size() + 8);
        for (char c : url) {
            if (c == ' ')
                spaced += "%20";
            else
                spaced += c;
        }
        url = std::move(spaced);
    }

    const std::string_view host = UriHost(url);
    // A URL without a host ("mailto:", "javascript:") is never on the site, even in a list scan
    // where the start host is empty too.
    if (host.empty() || withoutFirstWww(host) != withoutFirstWww(data.StartHost))
        return false;
    if (data.Seen.contains(url))
        return false;
    if (stayInPath && url.compare(0, data.StartPrefix.size(), data.StartPrefix) != 0)
        return false;
    return data.Queue.add(url); // refuses a URL already queued (ignoring case) by itself
}

std::optional<std::string> resolveLocation(const std::string& requestUrl, const std::string& value)
{
    if (value.find("://") != std::string::npos)
        return value;
    // A relative target belongs to the request's own URL, port and directory included.
    std::optional<std::string> combined = CombineUrl(requestUrl, value);
    if (!combined || combined->empty())
        return std::nullopt;
    return combined;
}
