#include "crawl/urisplit.h"

#include <algorithm>

UriParts SplitUri(const std::string& url)
{
    UriParts parts;
    std::string text = url;
    std::replace(text.begin(), text.end(), '\\', '/');

    const auto separator = text.find("://");
    if (separator == std::string::npos)
        return parts;
    parts.scheme = text.substr(0, separator);
    const std::string rest = text.substr(separator + 3);

    // The authority also ends at "?" or "#": "http://host?q" names the host "host", not "host?q".
    const auto authorityEnd = std::min(rest.find_first_of("/?#"), rest.size());
    std::string authority = rest.substr(0, authorityEnd);
    std::string remainder = rest.substr(authorityEnd);
    if (!remainder.empty() && remainder.front() == '/')
        remainder.erase(0, 1);

    const auto at = authority.rfind('@');
    if (at != std::string::npos) {
        const std::string userInfo = authority.substr(0, at);
        authority.erase(0, at + 1);
        const auto colon = userInfo.find(':');
        parts.user = userInfo.substr(0, colon);
        if (colon != std::string::npos)
            parts.password = userInfo.substr(colon + 1);
    }
    const auto colon = authority.find(':');
    parts.host = authority.substr(0, colon);
    if (colon != std::string::npos) {
        parts.hasPort = true;
        parts.port = authority.substr(colon + 1);
    }

    const auto hash = remainder.find('#');
    if (hash != std::string::npos) {
        parts.fragment = remainder.substr(hash + 1);
        remainder.erase(hash);
    }

    // The directory part ends at the last "/" before the query; without "?" a "=" marks where
    // parameters begin, so that slashes inside them are not taken for directories.
    const auto question = remainder.find('?');
    const auto paramsAt = question != std::string::npos ? question : remainder.find('=');
    const std::string head = remainder.substr(0, paramsAt);
    const auto lastSlash = head.rfind('/');
    const std::size_t documentStart = lastSlash == std::string::npos ? 0 : lastSlash + 1;
    parts.path.assign(1, '/').append(remainder, 0, documentStart);
    if (question != std::string::npos) {
        parts.document = remainder.substr(documentStart, question - documentStart);
        parts.query = remainder.substr(question);
    } else {
        parts.document = remainder.substr(documentStart);
    }
    return parts;
}

namespace {

bool isSlash(char c)
{
    return c == '/' || c == '\\';
}

} // namespace

std::string_view UriHost(std::string_view url)
{
    // Backslashes count as slashes, as in SplitUri.
    std::size_t separator = std::string_view::npos;
    for (std::size_t i = url.find(':'); i != std::string_view::npos && i + 2 < url.size(); i = url.find(':', i + 1)) {
        if (isSlash(url[i + 1]) && isSlash(url[i + 2])) {
            separator = i;
            break;
        }
    }
    if (separator == std::string_view::npos)
        return {};
    std::string_view authority = url.substr(separator + 3);
    authority = authority.substr(0, std::min(authority.find_first_of("/?#\\"), authority.size()));
    const auto at = authority.rfind('@');
    if (at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    return authority.substr(0, authority.find(':'));
}

std::string UriPrefix(const UriParts& parts)
{
    std::string out = parts.scheme + "://" + parts.host;
    if (parts.hasPort && !parts.port.empty())
        out += ":" + parts.port;
    return out + parts.path;
}

std::string RebuildUri(const UriParts& parts)
{
    return UriPrefix(parts) + parts.document + parts.query;
}
