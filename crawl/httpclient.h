// What the crawl needs of an HTTP client: one object per request, asynchronous, reporting
// its progress through a listener on the event-loop thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Client states, in the order the diagnostics histogram lists them.
enum class HttpState {
    httpReady,
    httpNotConnected,
    httpConnected,
    httpDnsLookup,
    httpDnsLookupDone,
    httpWaitingHeader,
    httpWaitingBody,
    httpBodyReceived,
    httpWaitingProxyConnect,
    httpClosing,
    httpAborting,
};
inline constexpr int kHttpStateCount = 11;
const char* httpStateName(HttpState state);

class HttpClient;

// Events of one request, in the order they occur. RequestDone comes exactly once per started
// request (an aborted one too), always from the event loop, never from inside another event.
class HttpClientListener {
public:
    virtual ~HttpClientListener() = default;
    virtual void httpStateChanged(HttpClient& client) = 0;
    virtual void httpHeaderLine(HttpClient& client, const std::string& line) = 0;
    virtual void httpHeaderEnd(HttpClient& client) = 0;
    virtual void httpBodyEnd(HttpClient& client) = 0;
    virtual void httpRequestDone(HttpClient& client) = 0;
};

struct HttpRequestSettings {
    std::string url;
    std::string userAgent;
    std::string httpVersion = "1.1"; // "1.0" or "1.1"
};

class HttpClient {
public:
    virtual ~HttpClient() = default;

    // Starts the GET; returns at once.
    virtual void getAsync() = 0;
    // Ends a request in progress; an idle client only reports RequestDone.
    virtual void abort() = 0;

    virtual int tag() const = 0;                      // the slot number
    virtual const std::string& url() const = 0;
    virtual std::string protocol() const = 0;         // "http" or "https"
    virtual std::string hostName() const = 0;
    virtual HttpState state() const = 0;
    virtual int statusCode() const = 0;               // 0 until a status line was parsed
    virtual const std::string& reasonPhrase() const = 0;
    virtual const std::string& contentType() const = 0; // lower-cased
    virtual int64_t contentLength() const = 0;        // -1 when the reply had none
    virtual const std::vector<std::string>& receivedHeader() const = 0; // status line first
};

// Makes the client of one request. `body` is the slot's receive buffer, which the client
// fills with the reply body.
class HttpClientFactory {
public:
    virtual ~HttpClientFactory() = default;
    virtual std::unique_ptr<HttpClient> create(const HttpRequestSettings& settings, int tag,
                                               std::string& body, HttpClientListener& listener) = 0;
};
