#include "crawl/curlhttp.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace curlhttp {

namespace {
constexpr const char* kAcceptLine = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";
} // namespace

std::string toLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

UrlParts splitUrl(std::string_view url)
{
    UrlParts parts;
    const auto sep = url.find("://");
    if (sep == std::string_view::npos)
        return parts;
    parts.scheme = std::string(url.substr(0, sep));
    std::string_view authority = url.substr(sep + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    const auto at = authority.rfind('@');
    if (at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    std::size_t colon = std::string_view::npos;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close != std::string_view::npos && close + 1 < authority.size() && authority[close + 1] == ':')
            colon = close + 1;
    } else {
        colon = authority.rfind(':');
    }
    if (colon != std::string_view::npos) {
        parts.port = std::string(authority.substr(colon + 1));
        authority = authority.substr(0, colon);
    }
    parts.host = std::string(authority);
    return parts;
}

std::string errorWithNumber(const std::string& text, long number)
{
    return text + " (Error #" + std::to_string(number) + ")";
}

bool isTlsFailure(CURLcode rc)
{
    switch (rc) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT:
        return true;
    default:
        return false;
    }
}

std::vector<std::string> requestHeaderLines(const HttpRequestSettings& settings)
{
    const UrlParts parts = splitUrl(settings.url);
    std::string host = "Host: " + parts.host;
    if (!parts.port.empty() && parts.port != "80" && parts.port != "443")
        host += ":" + parts.port;
    // "Name;" is libcurl's way of sending a header with an empty value.
    // A line break in the configured agent would end the header line early and let the
    // setting write header lines of its own.
    std::string userAgent = settings.userAgent;
    std::erase_if(userAgent, [](char c) { return c == '\r' || c == '\n'; });
    std::string agent = userAgent.empty() ? std::string("User-Agent;") : "User-Agent: " + userAgent;
    return {kAcceptLine, agent, host};
}

std::vector<std::string> curlHeaderList(const HttpRequestSettings& settings)
{
    // libcurl sends a custom Host line first. An empty "Host:" entry first in the list switches
    // its own Host line off, and ours then goes out where the list puts it: last.
    std::vector<std::string> list = requestHeaderLines(settings);
    list.insert(list.begin(), "Host:");
    return list;
}

bool parseStatusLine(const std::string& line, int& code, std::string& reason)
{
    if (line.compare(0, 8, "HTTP/1.0") != 0 && line.compare(0, 8, "HTTP/1.1") != 0)
        return false;
    std::size_t digit = 9;
    while (digit < line.size() && !std::isdigit(static_cast<unsigned char>(line[digit])))
        ++digit;
    if (digit >= line.size()) {
        code = 0;
        reason.clear();
        return true;
    }
    const std::string codeText = line.substr(digit, 3);
    int value = 0;
    const auto [end, ec] = std::from_chars(codeText.data(), codeText.data() + codeText.size(), value);
    code = (ec == std::errc() && end == codeText.data() + codeText.size()) ? value : 0;
    reason = digit + 4 < line.size() ? line.substr(digit + 4) : std::string();
    return true;
}

void readContentFields(const std::vector<std::string>& header, std::string& contentType, int64_t& contentLength)
{
    for (const std::string& field : header) {
        if (startsWithNoCase(field, "content-type:")) {
            contentType = toLower(std::string(trim(std::string_view(field).substr(13))));
        } else if (startsWithNoCase(field, "content-length:")) {
            const std::string_view value = trim(std::string_view(field).substr(15));
            int64_t length = -1;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), length);
            contentLength = (ec == std::errc() && end == value.data() + value.size() && length >= 0) ? length : -1;
        }
    }
}

} // namespace curlhttp
