// CurlClient is the HTTP client of one request: one libcurl easy handle run by the program's
// CurlMulti. It reads the status line itself, reports header lines as they arrive and posts
// "body ended" and "request done" to the event loop once libcurl has let go of the transfer.
// CurlClientFactory makes these clients for the crawl and owns the CurlMulti they share.
#pragma once

#include "crawl/curlmulti.h"
#include "crawl/httpclient.h"

#include <QObject>
#include <QPointer>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class CurlClient : public QObject, public HttpClient, public CurlTransferOwner {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CurlClient)
public:
    // A body longer than this is cut here and still reported as a complete reply: a runaway
    // or endless body must not eat the machine's memory.
    static constexpr std::size_t kMaxBodySize = 16u * 1024u * 1024u;

    CurlClient(CurlMulti& multi, const HttpRequestSettings& settings, int tag, std::string& body,
               HttpClientListener& listener);
    ~CurlClient() override;

    void getAsync() override;
    void abort() override;

    int tag() const override { return m_tag; }
    const std::string& url() const override { return m_settings.url; }
    std::string protocol() const override;
    std::string hostName() const override;
    HttpState state() const override { return m_state; }
    int statusCode() const override { return m_statusCode; }
    const std::string& reasonPhrase() const override { return m_reasonPhrase; }
    const std::string& contentType() const override { return m_contentType; }
    int64_t contentLength() const override { return m_contentLength; }
    const std::vector<std::string>& receivedHeader() const override { return m_receivedHeader; }

    void curlTransferFinished(CURLcode result) override;


private:
    enum class Phase { Idle, Running, Finishing, Done };

    static std::size_t headerCallback(char* data, std::size_t size, std::size_t count, void* userp);
    static std::size_t writeCallback(char* data, std::size_t size, std::size_t count, void* userp);
    static int progressCallback(void* userp, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    static curl_socket_t openSocketCallback(void* userp, curlsocktype purpose, curl_sockaddr* address);

    bool onHeaderLine(std::string line);
    bool onBodyData(const char* data, std::size_t size);
    bool onProgress();
    bool setupEasy(CURLcode& failure);
    void setState(HttpState state);
    void advanceTo(HttpState state);
    void finishWithoutTransfer(int status, std::string reason);
    void mapFailure(CURLcode result);
    void postBodyEndThenDone();
    void postDone();
    void deliverDone();

    QPointer<CurlMulti> m_multi;
    HttpRequestSettings m_settings;
    int m_tag;
    std::string& m_body;
    HttpClientListener& m_listener;
    std::unique_ptr<CurlTransfer> m_transfer;

    Phase m_phase = Phase::Idle;
    HttpState m_state = HttpState::httpReady;
    int m_progress = 0; // how far along DnsLookup .. BodyReceived the transfer got
    bool m_abortRequested = false;
    bool m_donePending = false;
    bool m_headerEnded = false;
    bool m_bodyCapped = false;
    std::size_t m_bodyReceived = 0;
    bool m_anyFamilyTried = false;

    int m_statusCode = 0;
    std::string m_reasonPhrase;
    std::string m_contentType;
    int64_t m_contentLength = -1;
    std::vector<std::string> m_receivedHeader;
};

class CurlClientFactory : public HttpClientFactory {
public:
    // Makes the program's CurlMulti; throws std::runtime_error when libcurl cannot start.
    CurlClientFactory();
    ~CurlClientFactory() override;

    std::unique_ptr<HttpClient> create(const HttpRequestSettings& settings, int tag, std::string& body,
                                       HttpClientListener& listener) override;

    CurlMulti& multi() { return *m_multi; }

private:
    std::unique_ptr<CurlMulti> m_multi;
};
