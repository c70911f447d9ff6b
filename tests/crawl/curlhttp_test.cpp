// The client's text work without a transfer: request lines, status line, content fields.
#include "crawl/curlhttp.h"

#include <gtest/gtest.h>

namespace {

TEST(CurlHttpTest, HostHeaderCarriesOnlyUnusualPorts)
{
    struct Row {
        const char* url;
        const char* host;
    } rows[] = {
        {"http://example.org/", "Host: example.org"},
        {"http://example.org:80/", "Host: example.org"},
        {"https://example.org:443/x", "Host: example.org"},
        {"http://Example.org:443/", "Host: Example.org"},
        {"https://example.org:80/", "Host: example.org"},
        {"http://example.org:8080/", "Host: example.org:8080"},
        {"https://user@example.org:8443?x", "Host: example.org:8443"},
        {"http://[::1]:81/", "Host: [::1]:81"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        HttpRequestSettings settings;
        settings.url = row.url;
        settings.userAgent = "UA";
        const auto lines = curlhttp::requestHeaderLines(settings);
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[1], "User-Agent: UA");
        EXPECT_EQ(lines[2], row.host);
    }
}

TEST(CurlHttpTest, UserAgentLine)
{
    struct Row {
        const char* agent;
        const char* line;
    } rows[] = {
        {"Mozilla/4.0 (compatible)", "User-Agent: Mozilla/4.0 (compatible)"},
        {"", "User-Agent;"}, // libcurl's spelling of an empty value
        {"Bot\r\nX-Injected: 1", "User-Agent: BotX-Injected: 1"}, // no header line of its own
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.agent);
        HttpRequestSettings settings;
        settings.url = "http://h.org/";
        settings.userAgent = row.agent;
        EXPECT_EQ(curlhttp::requestHeaderLines(settings)[1], row.line);
    }
    HttpRequestSettings settings;
    settings.url = "http://h.org/";
    const auto list = curlhttp::curlHeaderList(settings);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list.front(), "Host:"); // switches libcurl's own Host line off
}

TEST(CurlHttpTest, StatusLineReading)
{
    struct Row {
        const char* line;
        bool http1;
        int code;
        const char* reason;
    } rows[] = {
        {"HTTP/1.1 200 OK", true, 200, "OK"},
        {"HTTP/1.0 404 Not Found", true, 404, "Not Found"},
        {"HTTP/1.1  302  Found", true, 302, " Found"}, // reason starts four after the digit
        {"HTTP/1.1 200", true, 200, ""},
        {"HTTP/1.1 2x0 Odd", true, 0, "Odd"},        // three characters that are not a number
        {"HTTP/1.1", true, 0, ""},
        {"HTTP/2 200 OK", false, 0, ""},
        {"HTTP/1.2 200 OK", false, 0, ""},
        {"ICY 200 OK", false, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        int code = -1;
        std::string reason = "unchanged";
        EXPECT_EQ(curlhttp::parseStatusLine(row.line, code, reason), row.http1);
        if (row.http1) {
            EXPECT_EQ(code, row.code);
            EXPECT_EQ(reason, row.reason);
        }
    }
}

TEST(CurlHttpTest, ContentFields)
{
    struct Row {
        std::vector<std::string> header;
        const char* type;
        int64_t length;
    } rows[] = {
        {{"HTTP/1.1 200 OK", "Content-Type: Text/HTML; Charset=ISO-8859-1", "Content-Length: 42"},
         "text/html; charset=iso-8859-1", 42},
        {{"HTTP/1.1 200 OK", "content-type:image/png  ", "CONTENT-LENGTH:  7 "}, "image/png", 7},
        {{"HTTP/1.1 200 OK"}, "", -1},
        {{"HTTP/1.1 200 OK", "Content-Length: -3"}, "", -1},                // negative is no length
        {{"HTTP/1.1 200 OK", "Content-Length: 12abc"}, "", -1},             // trailing junk
        {{"HTTP/1.1 200 OK", "Content-Length: 99999999999999999999"}, "", -1}, // overflow
        {{"HTTP/1.1 200 OK", "Content-Length: 5000000000"}, "", 5000000000}, // past 32 bits
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.header.back());
        std::string type;
        int64_t length = -1;
        curlhttp::readContentFields(row.header, type, length);
        EXPECT_EQ(type, row.type);
        EXPECT_EQ(length, row.length);
    }
}

TEST(CurlHttpTest, UrlParts)
{
    struct Row {
        const char* url;
        const char* scheme;
        const char* host;
        const char* port;
    } rows[] = {
        {"http://www.Example.org/a", "http", "www.Example.org", ""},
        {"HTTPS://h.org:8443?x", "HTTPS", "h.org", "8443"},
        {"http://user:pw@h.org:81#f", "http", "h.org", "81"},
        {"http://[::1]:8080/", "http", "[::1]", "8080"},
        {"http://[::1]/", "http", "[::1]", ""},
        {"no scheme", "", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        const auto parts = curlhttp::splitUrl(row.url);
        EXPECT_EQ(parts.scheme, row.scheme);
        EXPECT_EQ(parts.host, row.host);
        EXPECT_EQ(parts.port, row.port);
    }
}

} // namespace
