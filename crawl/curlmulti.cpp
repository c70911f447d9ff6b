#include "crawl/curlmulti.h"

#include <QSocketNotifier>

#include <algorithm>
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

// The notifiers of one socket libcurl asked us to watch. Notifiers are deleted through the
// event loop: the one being retired may be the very one whose signal is running.
struct CurlMulti::SocketWatch {
    QSocketNotifier* read = nullptr;
    QSocketNotifier* write = nullptr;

    ~SocketWatch()
    {
        for (QSocketNotifier* n : {read, write}) {
            if (n) {
                n->setEnabled(false);
                n->deleteLater();
            }
        }
    }
};

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
    m_watches.clear();
    m_retired.clear();
    m_multi.reset();
    m_share.reset();
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
    m_retired.clear();
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
    m_retired.clear();
}

int CurlMulti::socketCallback(CURL*, curl_socket_t socket, int what, void* userp, void*)
{
    auto* self = static_cast<CurlMulti*>(userp);
    const auto it = self->m_watches.find(socket);
    self->updateSocket(socket, what, it == self->m_watches.end() ? nullptr : it->second.get());
    return 0;
}

void CurlMulti::updateSocket(curl_socket_t socket, int what, SocketWatch* watch)
{
    if (what == CURL_POLL_REMOVE) {
        // Off at once; freed after socket_action returns, since libcurl may hand the same
        // descriptor back before then.
        const auto it = m_watches.find(socket);
        if (it != m_watches.end()) {
            if (it->second->read)
                it->second->read->setEnabled(false);
            if (it->second->write)
                it->second->write->setEnabled(false);
            m_retired.push_back(std::move(it->second));
            m_watches.erase(it);
        }
        return;
    }
    if (!watch) {
        auto created = std::make_unique<SocketWatch>();
        watch = created.get();
        m_watches[socket] = std::move(created);
    }
    const bool wantRead = what == CURL_POLL_IN || what == CURL_POLL_INOUT;
    const bool wantWrite = what == CURL_POLL_OUT || what == CURL_POLL_INOUT;
    if (wantRead && !watch->read) {
        watch->read = new QSocketNotifier(socket, QSocketNotifier::Read, this);
        connect(watch->read, &QSocketNotifier::activated, this,
                [this, socket] { drive(socket, CURL_CSELECT_IN); });
    }
    if (wantWrite && !watch->write) {
        watch->write = new QSocketNotifier(socket, QSocketNotifier::Write, this);
        connect(watch->write, &QSocketNotifier::activated, this,
                [this, socket] { drive(socket, CURL_CSELECT_OUT); });
    }
    if (watch->read)
        watch->read->setEnabled(wantRead);
    if (watch->write)
        watch->write->setEnabled(wantWrite);
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
    m_retired.clear();
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
