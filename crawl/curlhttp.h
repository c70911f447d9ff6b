// The HTTP text work of the libcurl client that needs no transfer: the request lines the server
// must see, our own reading of the status line and of the reply's content fields, the URL parts
// the client reports, and how libcurl failures are classified.
#pragma once

#include "crawl/httpclient.h"

#include <curl/curl.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace curlhttp {

// Scheme, host and port as written in the URL (no case folding: the crawl compares hosts exactly).
struct UrlParts {
    std::string scheme;
    std::string host;
    std::string port;
};
UrlParts splitUrl(std::string_view url);

// The request headers in the order the server must see them after the request line:
// Accept, User-Agent, Host (with ":port" only when the URL names a port other than 80 and 443).
std::vector<std::string> requestHeaderLines(const HttpRequestSettings& settings);
// What CURLOPT_HTTPHEADER gets so that libcurl sends exactly those lines in that order.
std::vector<std::string> curlHeaderList(const HttpRequestSettings& settings);

// Code and reason from a status line beginning "HTTP/1.0" or "HTTP/1.1": the code is the three
// characters from the first digit at or after the tenth character (0 when they are not a
// number), the reason the text four characters after that digit. False for any other line.
bool parseStatusLine(const std::string& line, int& code, std::string& reason);

// Lower-cased Content-Type value and Content-Length (-1 when absent or not a number).
void readContentFields(const std::vector<std::string>& header, std::string& contentType, int64_t& contentLength);

bool isTlsFailure(CURLcode rc);
std::string errorWithNumber(const std::string& text, long number);

std::string toLower(std::string text);
bool startsWithNoCase(std::string_view text, std::string_view prefix);
std::string_view trim(std::string_view text);

} // namespace curlhttp
