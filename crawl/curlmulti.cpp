#include "crawl/curlmulti.h"

#include <QSocketNotifier>

#include <sys/epoll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <stdexcept>

namespace {

void initCurlOnce()
{
    static const CURLcode rc = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (rc != CURLE_OK)
        throw std::runtime_error(std::string("libcurl could not be initialised: ") + curl_easy_strerror(rc));
}

void warnMulti(const char* what, CURLMcode rc)
{
    if (rc != CURLM_OK)
        std::fprintf(stderr, "tarnwick: %s: %s\n", what, curl_multi_strerror(rc));
}

} // namespace

CurlMulti::CurlMulti(QObject* parent) : QObject(parent)
{
    initCurlOnce();
    m_multi.reset(curl_multi_init());
    m_share.reset(curl_share_init());
    if (!m_multi || !m_share)
        throw std::runtime_error("libcurl could not create its multi or share handle");

    // One thread only, so the share handle needs no lock functions.
    if (curl_share_setopt(m_share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION) != CURLSHE_OK)
        throw std::runtime_error("libcurl could not share the TLS session cache");

    CURLMcode rc = curl_multi_setopt(m_multi.get(), CURLMOPT_SOCKETFUNCTION, &CurlMulti::socketCallback);
    if (rc == CURLM_OK)
        rc = curl_multi_setopt(m_multi.get(), CURLMOPT_SOCKETDATA, this);
    if (rc == CURLM_OK)
        rc = curl_multi_setopt(m_multi.get(), CURLMOPT_TIMERFUNCTION, &CurlMulti::timerCallback);
    if (rc == CURLM_OK)
        rc = curl_multi_setopt(m_multi.get(), CURLMOPT_TIMERDATA, this);
    if (rc != CURLM_OK)
        throw std::runtime_error(std::string("libcurl multi set-up failed: ") + curl_multi_strerror(rc));

    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    if (m_epoll < 0)
        throw std::runtime_error("the socket watch set could not be created");
    m_epollNotifier = new QSocketNotifier(m_epoll, QSocketNotifier::Read, this);
    connect(m_epollNotifier, &QSocketNotifier::activated, this, &CurlMulti::onSocketsReady);

    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { drive(CURL_SOCKET_TIMEOUT, 0); });
}

CurlMulti::~CurlMulti()
{
    m_timer.stop();
    for (CurlTransfer* t : m_running) {
        if (t->easy)
            warnMulti("curl_multi_remove_handle", curl_multi_remove_handle(m_multi.get(), t->easy.get()));
    }
    m_running.clear();
    m_orphans.clear();
    m_multi.reset(); // may still tell the socket callback to forget sockets
    m_share.reset();
    m_watches.clear();
    m_epollNotifier->setEnabled(false);
    ::close(m_epoll);
}

void CurlMulti::setConnectTo(const std::vector<std::string>& entries)
{
    CurlSlistPtr list;
    for (const std::string& entry : entries) {
        curl_slist* grown = curl_slist_append(list.get(), entry.c_str());
        if (!grown)
            throw std::runtime_error("out of memory for the connection redirections");
        list.release();
        list.reset(grown);
    }
    m_connectTo = std::move(list);
}

bool CurlMulti::isRunning(const CurlTransfer& transfer) const
{
    return m_running.count(const_cast<CurlTransfer*>(&transfer)) != 0;
}

bool CurlMulti::start(CurlTransfer& transfer)
{
    if (!transfer.easy || isRunning(transfer))
        return false;
    if (curl_easy_setopt(transfer.easy.get(), CURLOPT_PRIVATE, &transfer) != CURLE_OK)
        return false;
    if (isDriving()) {
        m_pendingStarts.push_back(&transfer);
        m_running.insert(&transfer);
        return true;
    }
    const CURLMcode rc = curl_multi_add_handle(m_multi.get(), transfer.easy.get());
    warnMulti("curl_multi_add_handle", rc);
    if (rc != CURLM_OK)
        return false;
    m_running.insert(&transfer);
    return true;
}

void CurlMulti::removeHandle(CurlTransfer* transfer)
{
    m_running.erase(transfer);
    const auto pending = std::find(m_pendingStarts.begin(), m_pendingStarts.end(), transfer);
    if (pending != m_pendingStarts.end()) {
        m_pendingStarts.erase(pending); // never handed to libcurl
        return;
    }
    warnMulti("curl_multi_remove_handle", curl_multi_remove_handle(m_multi.get(), transfer->easy.get()));
}

void CurlMulti::stop(CurlTransfer& transfer)
{
    if (!isRunning(transfer))
        return;
    if (isDriving()) {
        if (std::find(m_pendingStops.begin(), m_pendingStops.end(), &transfer) == m_pendingStops.end())
            m_pendingStops.push_back(&transfer);
        return;
    }
    removeHandle(&transfer);
    finish(&transfer, CURLE_ABORTED_BY_CALLBACK);
}

void CurlMulti::release(std::unique_ptr<CurlTransfer> transfer)
{
    if (!transfer)
        return;
    transfer->owner = nullptr;
    m_pendingStops.erase(std::remove(m_pendingStops.begin(), m_pendingStops.end(), transfer.get()),
                         m_pendingStops.end());
    if (!isRunning(*transfer))
        return; // not known to libcurl: free it now
    if (isDriving()) {
        m_orphans.push_back(std::move(transfer));
        return;
    }
    removeHandle(transfer.get());
}

int CurlMulti::socketCallback(CURL*, curl_socket_t socket, int what, void* userp, void*)
{
    static_cast<CurlMulti*>(userp)->updateSocket(socket, what);
    return 0;
}

void CurlMulti::updateSocket(curl_socket_t socket, int what)
{
    const auto it = m_watches.find(socket);
    if (what == CURL_POLL_REMOVE) {
        // Only forgotten here: libcurl closes the socket right after, which takes it out of the
        // epoll set without a call of ours. One left open is taken out when it next reports.
        if (it != m_watches.end())
            m_watches.erase(it);
        return;
    }
    if (it != m_watches.end() && it->second == what)
        return;
    if (what == CURL_POLL_NONE) {
        epoll_ctl(m_epoll, EPOLL_CTL_DEL, socket, nullptr);
        m_watches[socket] = what;
        return;
    }
    epoll_event event{};
    event.events = (what == CURL_POLL_IN || what == CURL_POLL_INOUT ? EPOLLIN : 0u)
                   | (what == CURL_POLL_OUT || what == CURL_POLL_INOUT ? EPOLLOUT : 0u);
    event.data.fd = socket;
    const bool known = it != m_watches.end() && it->second != CURL_POLL_NONE;
    int rc = epoll_ctl(m_epoll, known ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, socket, &event);
    // The set may still hold a socket libcurl let go of without closing it, or may have lost
    // one closed and reopened under the same number.
    if (rc != 0 && errno == EEXIST)
        rc = epoll_ctl(m_epoll, EPOLL_CTL_MOD, socket, &event);
    else if (rc != 0 && errno == ENOENT)
        rc = epoll_ctl(m_epoll, EPOLL_CTL_ADD, socket, &event);
    if (rc != 0) {
        std::perror("tarnwick: epoll_ctl");
        return;
    }
    m_watches[socket] = what;
}

void CurlMulti::onSocketsReady()
{
    epoll_event events[64];
    const int count = epoll_wait(m_epoll, events, 64, 0);
    for (int i = 0; i < count; ++i) {
        const curl_socket_t socket = events[i].data.fd;
        const auto it = m_watches.find(socket);
        if (it == m_watches.end()) {
            // A socket libcurl let go of but has not closed (or an earlier drive of this round
            // let go of it): out of the set, or it would wake the loop again and again.
            epoll_ctl(m_epoll, EPOLL_CTL_DEL, socket, nullptr);
            continue;
        }
        const int what = it->second;
        const uint32_t ready = events[i].events;
        // An error or hang-up wakes whichever side is waited on, as a socket notifier would.
        int action = 0;
        if ((what == CURL_POLL_IN || what == CURL_POLL_INOUT) && (ready & (EPOLLIN | EPOLLHUP | EPOLLERR)))
            action |= CURL_CSELECT_IN;
        if ((what == CURL_POLL_OUT || what == CURL_POLL_INOUT) && (ready & (EPOLLOUT | EPOLLERR)))
            action |= CURL_CSELECT_OUT;
        if (action != 0)
            drive(socket, action);
    }
}

int CurlMulti::timerCallback(CURLM*, long timeoutMs, void* userp)
{
    auto* self = static_cast<CurlMulti*>(userp);
    if (timeoutMs < 0)
        self->m_timer.stop();
    else
        self->m_timer.start(static_cast<int>(std::min<long>(timeoutMs, 24L * 3600 * 1000)));
    return 0;
}

void CurlMulti::drive(curl_socket_t socket, int events)
{
    int running = 0;
    ++m_driving;
    const CURLMcode rc = curl_multi_socket_action(m_multi.get(), socket, events, &running);
    --m_driving;
    if (rc != CURLM_OK && rc != CURLM_BAD_SOCKET) {
        warnMulti("curl_multi_socket_action", rc);
        failAll(CURLE_FAILED_INIT);
    } else {
        readCompletions();
    }
    afterDrive();
}

void CurlMulti::readCompletions()
{
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(m_multi.get(), &left)) {
        if (msg->msg != CURLMSG_DONE)
            continue;
        CURL* easy = msg->easy_handle; // copied before the handle is removed
        const CURLcode result = msg->data.result;
        void* priv = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_PRIVATE, &priv) != CURLE_OK || !priv) {
            warnMulti("curl_multi_remove_handle", curl_multi_remove_handle(m_multi.get(), easy));
            continue;
        }
        auto* transfer = static_cast<CurlTransfer*>(priv);
        removeHandle(transfer);
        finish(transfer, result);
    }
}

void CurlMulti::afterDrive()
{
    const std::vector<CurlTransfer*> stops = std::move(m_pendingStops);
    m_pendingStops.clear();
    for (CurlTransfer* t : stops) {
        if (!isRunning(*t))
            continue; // it completed on its own in this same round
        removeHandle(t);
        finish(t, CURLE_ABORTED_BY_CALLBACK);
    }
    for (auto& orphan : m_orphans) {
        if (isRunning(*orphan))
            removeHandle(orphan.get());
    }
    m_orphans.clear();

    const std::vector<CurlTransfer*> starts = std::move(m_pendingStarts);
    m_pendingStarts.clear();
    for (CurlTransfer* t : starts) {
        const CURLMcode rc = curl_multi_add_handle(m_multi.get(), t->easy.get());
        if (rc != CURLM_OK) {
            warnMulti("curl_multi_add_handle", rc);
            m_running.erase(t);
            finish(t, CURLE_FAILED_INIT);
        }
    }
}

void CurlMulti::failAll(CURLcode result)
{
    const std::vector<CurlTransfer*> all(m_running.begin(), m_running.end());
    for (CurlTransfer* t : all) {
        removeHandle(t);
        finish(t, result);
    }
}

void CurlMulti::finish(CurlTransfer* transfer, CURLcode result)
{
    if (transfer->owner)
        transfer->owner->curlTransferFinished(result);
}
