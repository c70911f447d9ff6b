#include "crawl/curlclient.h"
#include "crawl/curlhttp.h"

#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

using namespace curlhttp;

// The version-flexible handshake of old: any TLS version from 1.0 up, the highest both sides
// speak wins. The security level is lowered so that the TLS library's system-wide minimum does
// not lock out old servers (certificates are not verified anyway).
constexpr const char* kCipherList = "ALL:!ADH:RC4+RSA:+SSLv2:@STRENGTH:@SECLEVEL=0";
constexpr const char* kNoStatusReason = "HTTP no status code (connection closed prematurely)";

int ordinal(HttpState state)
{
    switch (state) {
    case HttpState::httpDnsLookup: return 1;
    case HttpState::httpDnsLookupDone: return 2;
    case HttpState::httpConnected: return 3;
    case HttpState::httpWaitingHeader: return 4;
    case HttpState::httpWaitingBody: return 5;
    case HttpState::httpBodyReceived: return 6;
    default: return 0;
    }
}

constexpr HttpState kProgression[] = {
    HttpState::httpDnsLookup,     HttpState::httpDnsLookupDone, HttpState::httpConnected,
    HttpState::httpWaitingHeader, HttpState::httpWaitingBody,   HttpState::httpBodyReceived,
};

CurlClient* ownerOf(void* userp)
{
    auto* transfer = static_cast<CurlTransfer*>(userp);
    return static_cast<CurlClient*>(transfer->owner);
}

} // namespace

CurlClient::CurlClient(CurlMulti& multi, const HttpRequestSettings& settings, int tag, std::string& body,
                       HttpClientListener& listener)
    : m_multi(&multi), m_settings(settings), m_tag(tag), m_body(body), m_listener(listener),
      m_transfer(std::make_unique<CurlTransfer>())
{
    m_transfer->owner = this;
}

CurlClient::~CurlClient()
{
    if (m_multi)
        m_multi->release(std::move(m_transfer));
    else if (m_transfer)
        m_transfer->owner = nullptr;
}

std::string CurlClient::protocol() const
{
    return toLower(splitUrl(m_settings.url).scheme);
}

std::string CurlClient::hostName() const
{
    return splitUrl(m_settings.url).host;
}

bool CurlClient::setupEasy(CURLcode& failure)
{
    CURL* easy = curl_easy_init();
    if (!easy) {
        failure = CURLE_FAILED_INIT;
        return false;
    }
    m_transfer->easy.reset(easy);

    curl_slist* list = nullptr;
    for (const std::string& line : curlHeaderList(m_settings)) {
        curl_slist* grown = curl_slist_append(list, line.c_str());
        if (!grown) {
            curl_slist_free_all(list);
            failure = CURLE_OUT_OF_MEMORY;
            return false;
        }
        list = grown;
    }
    m_transfer->headers.reset(list);

    void* data = m_transfer.get();
    CURLcode rc = CURLE_OK;
    auto set = [&](CURLoption option, auto value) {
        if (rc == CURLE_OK)
            rc = curl_easy_setopt(easy, option, value);
    };
    set(CURLOPT_URL, m_settings.url.c_str());
    set(CURLOPT_ERRORBUFFER, m_transfer->errorText);
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_SHARE, m_multi->share());
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    set(CURLOPT_FOLLOWLOCATION, 0L);
    set(CURLOPT_FORBID_REUSE, 1L);
    set(CURLOPT_FRESH_CONNECT, 1L);
    set(CURLOPT_HTTP_VERSION, m_settings.httpVersion == "1.0" ? long(CURL_HTTP_VERSION_1_0) : long(CURL_HTTP_VERSION_1_1));
    set(CURLOPT_HTTP09_ALLOWED, 0L);
    set(CURLOPT_PATH_AS_IS, 1L);
    // IPv4 first; a name with IPv4 addresses never waits on an IPv6 attempt. A name without
    // any gets a second lookup of any family (see curlTransferFinished).
    set(CURLOPT_IPRESOLVE, long(CURL_IPRESOLVE_V4));
    set(CURLOPT_PROXY, ""); // no proxy, whatever the environment says
    set(CURLOPT_HTTPHEADER, m_transfer->headers.get());
    if (m_multi->connectTo()) {
        // Kept by the transfer: the multi's list may be replaced while this request runs.
        for (curl_slist* entry = m_multi->connectTo(); entry; entry = entry->next) {
            curl_slist* grown = curl_slist_append(m_transfer->connectTo.get(), entry->data);
            if (!grown) {
                failure = CURLE_OUT_OF_MEMORY;
                return false;
            }
            m_transfer->connectTo.release();
            m_transfer->connectTo.reset(grown);
        }
        set(CURLOPT_CONNECT_TO, m_transfer->connectTo.get());
    }
    set(CURLOPT_SSLVERSION, long(CURL_SSLVERSION_TLSv1));
    set(CURLOPT_SSL_VERIFYPEER, 0L);
    set(CURLOPT_SSL_VERIFYHOST, 0L);
    set(CURLOPT_HEADERFUNCTION, &CurlClient::headerCallback);
    set(CURLOPT_HEADERDATA, data);
    set(CURLOPT_WRITEFUNCTION, &CurlClient::writeCallback);
    set(CURLOPT_WRITEDATA, data);
    set(CURLOPT_XFERINFOFUNCTION, &CurlClient::progressCallback);
    set(CURLOPT_XFERINFODATA, data);
    set(CURLOPT_NOPROGRESS, 0L);
    set(CURLOPT_OPENSOCKETFUNCTION, &CurlClient::openSocketCallback);
    set(CURLOPT_OPENSOCKETDATA, data);
    if (rc != CURLE_OK) {
        failure = rc;
        return false;
    }
    // Old servers may only speak ciphers a modern default excludes; a TLS library that refuses
    // this list keeps its own.
    if (curl_easy_setopt(easy, CURLOPT_SSL_CIPHER_LIST, kCipherList) != CURLE_OK)
        std::fprintf(stderr, "tarnwick: TLS cipher list not accepted, using the default\n");
    return true;
}

void CurlClient::getAsync()
{
    if (m_phase != Phase::Idle)
        return;
    const std::string scheme = protocol();
    if (scheme != "http" && scheme != "https") {
        finishWithoutTransfer(501, "Protocol \"" + splitUrl(m_settings.url).scheme + "\" not implemented");
        return;
    }
    if (!m_multi) {
        finishWithoutTransfer(0, "HTTP client not available");
        return;
    }
    CURLcode failure = CURLE_OK;
    if (!setupEasy(failure)) {
        finishWithoutTransfer(0, curl_easy_strerror(failure));
        return;
    }
    m_phase = Phase::Running;
    advanceTo(HttpState::httpDnsLookup);
    if (m_phase != Phase::Running)
        return; // the listener aborted from the state change
    if (!m_multi->start(*m_transfer)) {
        m_phase = Phase::Idle;
        finishWithoutTransfer(0, curl_easy_strerror(CURLE_FAILED_INIT));
    }
}

void CurlClient::finishWithoutTransfer(int status, std::string reason)
{
    m_statusCode = status;
    m_reasonPhrase = std::move(reason);
    m_phase = Phase::Finishing;
    postDone();
}

void CurlClient::abort()
{
    switch (m_phase) {
    case Phase::Idle:
    case Phase::Done:
        // Nothing in progress: only a completion is reported.
        postDone();
        return;
    case Phase::Finishing:
        return; // its completion is already on its way
    case Phase::Running:
        break;
    }
    if (m_abortRequested)
        return;
    m_abortRequested = true;
    setState(HttpState::httpAborting);
    if (m_multi && m_multi->isRunning(*m_transfer)) {
        m_multi->stop(*m_transfer); // finishes now, or after libcurl's callbacks have returned
    } else {
        m_phase = Phase::Finishing;
        postDone();
    }
}

void CurlClient::setState(HttpState state)
{
    m_state = state;
    m_listener.httpStateChanged(*this);
}

void CurlClient::advanceTo(HttpState state)
{
    if (m_abortRequested)
        return;
    const int target = ordinal(state);
    while (m_progress < target && !m_abortRequested) {
        ++m_progress;
        setState(kProgression[m_progress - 1]);
    }
}

curl_socket_t CurlClient::openSocketCallback(void* userp, curlsocktype purpose, curl_sockaddr* address)
{
    CurlClient* self = ownerOf(userp);
    if (!self || self->m_abortRequested || purpose != CURLSOCKTYPE_IPCXN)
        return CURL_SOCKET_BAD;
    // The name is resolved once libcurl asks for a socket to connect with.
    self->advanceTo(HttpState::httpDnsLookupDone);
    if (self->m_abortRequested)
        return CURL_SOCKET_BAD;
    return ::socket(address->family, address->socktype, address->protocol);
}

int CurlClient::progressCallback(void* userp, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    CurlClient* self = ownerOf(userp);
    return (self && self->onProgress()) ? 0 : 1;
}

bool CurlClient::onProgress()
{
    if (m_abortRequested)
        return false;
    if (m_progress < ordinal(HttpState::httpWaitingHeader)) {
        CURL* easy = m_transfer->easy.get();
        curl_off_t connectTime = 0;
        curl_off_t pretransferTime = 0;
        if (curl_easy_getinfo(easy, CURLINFO_PRETRANSFER_TIME_T, &pretransferTime) == CURLE_OK && pretransferTime > 0)
            advanceTo(HttpState::httpWaitingHeader);
        else if (curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connectTime) == CURLE_OK && connectTime > 0)
            advanceTo(HttpState::httpConnected);
    }
    return !m_abortRequested;
}

std::size_t CurlClient::headerCallback(char* data, std::size_t size, std::size_t count, void* userp)
{
    CurlClient* self = ownerOf(userp);
    const std::size_t bytes = size * count;
    if (!self)
        return 0;
    std::string line(data, bytes);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return self->onHeaderLine(std::move(line)) ? bytes : 0;
}

bool CurlClient::onHeaderLine(std::string line)
{
    if (m_abortRequested)
        return false;
    if (m_headerEnded)
        return true; // trailers of a chunked body are not part of the header
    advanceTo(HttpState::httpWaitingHeader);
    if (m_abortRequested)
        return false;

    if (line.empty()) {
        if (m_statusCode >= 100 && m_statusCode < 200) {
            // An interim reply: the real header follows.
            m_receivedHeader.clear();
            m_statusCode = 0;
            m_reasonPhrase.clear();
            return true;
        }
        readContentFields(m_receivedHeader, m_contentType, m_contentLength);
        m_headerEnded = true;
        advanceTo(HttpState::httpWaitingBody);
        if (m_abortRequested)
            return false;
        m_listener.httpHeaderEnd(*this);
        return !m_abortRequested;
    }

    if (m_receivedHeader.empty()) {
        int code = 0;
        std::string reason;
        if (parseStatusLine(line, code, reason)) {
            m_statusCode = code;
            m_reasonPhrase = std::move(reason);
        }
    }
    m_receivedHeader.push_back(line);
    m_listener.httpHeaderLine(*this, m_receivedHeader.back());
    return !m_abortRequested;
}

std::size_t CurlClient::writeCallback(char* data, std::size_t size, std::size_t count, void* userp)
{
    CurlClient* self = ownerOf(userp);
    const std::size_t bytes = size * count;
    return (self && self->onBodyData(data, bytes)) ? bytes : 0;
}

bool CurlClient::onBodyData(const char* data, std::size_t size)
{
    if (m_abortRequested)
        return false;
    const std::size_t room = kMaxBodySize - m_bodyReceived;
    if (size > room) {
        m_body.append(data, room);
        m_bodyReceived += room;
        m_bodyCapped = true;
        return false; // libcurl ends the transfer; it is reported as complete
    }
    m_body.append(data, size);
    m_bodyReceived += size;
    return true;
}

void CurlClient::curlTransferFinished(CURLcode result)
{
    if (m_phase != Phase::Running)
        return;
    if (result == CURLE_COULDNT_RESOLVE_HOST && !m_anyFamilyTried && !m_abortRequested && m_multi) {
        // No IPv4 address: try again with any family. Nothing was received, so nothing resets.
        m_anyFamilyTried = true;
        if (curl_easy_setopt(m_transfer->easy.get(), CURLOPT_IPRESOLVE, long(CURL_IPRESOLVE_WHATEVER)) == CURLE_OK &&
            m_multi->start(*m_transfer))
            return;
    }
    m_phase = Phase::Finishing;
    if (m_abortRequested) {
        postDone();
        return;
    }
    const bool complete = result == CURLE_OK || (m_bodyCapped && result == CURLE_WRITE_ERROR);
    if (!complete)
        mapFailure(result);
    if (m_contentType.empty() && m_headerEnded) {
        const std::string_view start(m_body.data() + (m_body.size() - m_bodyReceived), std::min<std::size_t>(m_bodyReceived, 9));
        if (startsWithNoCase(start, "<html>") || startsWithNoCase(start, "<!doctype"))
            m_contentType = "text/html";
    }
    if (m_headerEnded)
        postBodyEndThenDone();
    else
        postDone();
}

void CurlClient::mapFailure(CURLcode result)
{
    long osErrno = 0;
    if (m_transfer->easy && curl_easy_getinfo(m_transfer->easy.get(), CURLINFO_OS_ERRNO, &osErrno) != CURLE_OK)
        osErrno = 0;
    const auto systemText = [&] {
        if (osErrno != 0)
            return errorWithNumber(std::strerror(static_cast<int>(osErrno)), osErrno);
        const std::string text = m_transfer->errorText[0] ? m_transfer->errorText : curl_easy_strerror(result);
        return errorWithNumber(text, static_cast<long>(result));
    };

    switch (result) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        m_statusCode = 404;
        m_reasonPhrase = "can't resolve hostname to IP address";
        return;
    case CURLE_COULDNT_CONNECT:
        m_statusCode = 404;
        m_reasonPhrase = "can't connect: " + systemText();
        return;
    case CURLE_URL_MALFORMAT:
        m_statusCode = 0;
        m_reasonPhrase = "Malformed URL";
        return;
    default:
        break;
    }
    if (!m_receivedHeader.empty())
        return; // the reply's own status and reason stand
    // Before the request could go out, the failure is the connection's set-up (TLS included).
    curl_off_t pretransferTime = 0;
    if (m_transfer->easy &&
        curl_easy_getinfo(m_transfer->easy.get(), CURLINFO_PRETRANSFER_TIME_T, &pretransferTime) != CURLE_OK)
        pretransferTime = 0;
    const bool requestSent = pretransferTime > 0 || m_progress >= ordinal(HttpState::httpWaitingHeader);
    if (isTlsFailure(result) || !requestSent) {
        m_statusCode = 404;
        m_reasonPhrase = systemText();
        return;
    }
    m_statusCode = 0;
    m_reasonPhrase = kNoStatusReason;
}

void CurlClient::postBodyEndThenDone()
{
    m_donePending = true;
    // Page reading in the body-ended handler may pump the event loop; request done is posted
    // only after it returned, so it can never overtake the page's links.
    QMetaObject::invokeMethod(
        this,
        [this] {
            QPointer<CurlClient> alive(this);
            advanceTo(HttpState::httpBodyReceived);
            if (alive)
                m_listener.httpBodyEnd(*this);
            if (alive)
                QMetaObject::invokeMethod(this, [this] { deliverDone(); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void CurlClient::postDone()
{
    if (m_donePending)
        return;
    m_donePending = true;
    QMetaObject::invokeMethod(this, [this] { deliverDone(); }, Qt::QueuedConnection);
}

void CurlClient::deliverDone()
{
    m_donePending = false;
    m_phase = Phase::Done;
    if (m_transfer && m_multi && !m_multi->isRunning(*m_transfer))
        m_transfer->easy.reset(); // the connection and its buffers go now, not with the slot
    QPointer<CurlClient> alive(this);
    m_state = HttpState::httpReady;
    m_listener.httpStateChanged(*this);
    if (alive)
        m_listener.httpRequestDone(*this);
}

CurlClientFactory::CurlClientFactory() : m_multi(std::make_unique<CurlMulti>()) {}

CurlClientFactory::~CurlClientFactory() = default;

std::unique_ptr<HttpClient> CurlClientFactory::create(const HttpRequestSettings& settings, int tag,
                                                      std::string& body, HttpClientListener& listener)
{
    return std::make_unique<CurlClient>(*m_multi, settings, tag, body, listener);
}
