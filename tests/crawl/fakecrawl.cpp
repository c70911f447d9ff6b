#include "fakecrawl.h"

#include "crawl/urisplit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

FakeReply FakeReply::page(const std::string& body, int status, const std::string& reason)
{
    FakeReply reply;
    reply.header = {"HTTP/1.1 " + std::to_string(status) + " " + reason, "Content-Type: text/html"};
    reply.body = body;
    reply.status = status;
    reply.reason = reason;
    reply.contentType = "text/html";
    return reply;
}

FakeReply FakeReply::typed(const std::string& contentType, int status, const std::string& reason)
{
    FakeReply reply = page("binary", status, reason);
    reply.header[1] = "Content-Type: " + contentType;
    reply.contentType = contentType;
    return reply;
}

FakeReply FakeReply::redirect(const std::string& location, int status)
{
    FakeReply reply = page("", status, "Moved Permanently");
    reply.header.push_back("Location: " + location);
    return reply;
}

FakeReply FakeReply::silent()
{
    FakeReply reply;
    reply.stall = Stall::BeforeHeader;
    return reply;
}

FakeReply FakeReply::stalledBody()
{
    FakeReply reply = page("never");
    reply.stall = Stall::AfterHeader;
    return reply;
}

FakeClient::FakeClient(const HttpRequestSettings& settings, int tag, std::string& body,
                       HttpClientListener& listener, FakeReply reply)
    : m_settings(settings), m_tag(tag), m_body(body), m_listener(listener), m_reply(std::move(reply))
{
}

std::string FakeClient::protocol() const
{
    return SplitUri(m_settings.url).scheme;
}

std::string FakeClient::hostName() const
{
    return SplitUri(m_settings.url).host;
}

void FakeClient::setState(HttpState state)
{
    m_state = state;
    m_listener.httpStateChanged(*this);
}

void FakeClient::getAsync()
{
    m_state = HttpState::httpNotConnected;
    QTimer::singleShot(0, this, [this] {
        if (m_aborted)
            return;
        setState(HttpState::httpDnsLookup);
        setState(HttpState::httpDnsLookupDone);
        setState(HttpState::httpConnected);
        setState(HttpState::httpWaitingHeader);
        if (m_reply.stall == FakeReply::Stall::BeforeHeader)
            return;
        deliverHeader();
    });
}

void FakeClient::deliverHeader()
{
    if (m_reply.header.empty()) {
        // The connection closed before a status line.
        m_reason = "HTTP no status code (connection closed prematurely)";
        reportDone();
        return;
    }
    m_status = m_reply.status;
    m_reason = m_reply.reason;
    m_contentType = m_reply.contentType;
    for (const std::string& line : m_reply.header) {
        m_header.push_back(line);
        m_listener.httpHeaderLine(*this, line);
    }
    m_listener.httpHeaderEnd(*this);
    if (m_aborted)
        return;
    setState(HttpState::httpWaitingBody);
    if (m_reply.stall == FakeReply::Stall::AfterHeader)
        return;
    QTimer::singleShot(0, this, [this] { deliverBody(); });
}

void FakeClient::deliverBody()
{
    if (m_aborted)
        return;
    m_body += m_reply.body;
    setState(HttpState::httpBodyReceived);
    // Body ended and request done are two separate posted events, in that order. The completion
    // is posted before the body-ended handler runs, so that a parse which yields to the event
    // loop sees it arrive.
    QTimer::singleShot(0, this, [this] {
        reportDone();
        m_listener.httpBodyEnd(*this);
    });
}

void FakeClient::reportDone()
{
    if (m_donePosted)
        return;
    m_donePosted = true;
    QTimer::singleShot(0, this, [this] {
        m_state = HttpState::httpReady;
        m_listener.httpRequestDone(*this);
    });
}

void FakeClient::abort()
{
    ++*aborts;
    if (m_donePosted)
        return;
    m_aborted = true;
    m_state = HttpState::httpAborting;
    reportDone();
}

std::unique_ptr<HttpClient> FakeFactory::create(const HttpRequestSettings& settings, int tag, std::string& body,
                                                HttpClientListener& listener)
{
    FakeReply reply = FakeReply::page();
    const auto it = m_scripts.find(settings.url);
    if (it != m_scripts.end() && !it->second.empty()) {
        size_t& used = m_used[settings.url];
        reply = it->second[std::min(used, it->second.size() - 1)];
        ++used;
    }
    auto client = std::make_unique<FakeClient>(settings, tag, body, listener, std::move(reply));
    made.push_back({settings.url, tag, client.get(), client->aborts});
    return client;
}

std::vector<std::string> FakeFactory::urls() const
{
    std::vector<std::string> out;
    for (const Made& m : made)
        out.push_back(m.url);
    return out;
}

bool spinUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void drainEvents()
{
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}
