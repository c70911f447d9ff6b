// CurlMulti runs every transfer of the program inside the Qt event loop: it owns libcurl's
// multi handle and the share handle that keeps the TLS session cache, watches libcurl's sockets
// through one epoll set (itself watched by a single QSocketNotifier) and its time-out with one
// single-shot QTimer.
//
// Nothing here ever calls a curl_multi_* function from inside a libcurl callback: starts,
// stops and releases asked for while libcurl is being driven are carried out right after
// curl_multi_socket_action has returned.
#pragma once

#include <curl/curl.h>

#include <QObject>
#include <QTimer>

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class QSocketNotifier;

struct CurlEasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct CurlSlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct CurlMultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct CurlShareDeleter {
    void operator()(CURLSH* share) const { curl_share_cleanup(share); }
};
using CurlEasyPtr = std::unique_ptr<CURL, CurlEasyDeleter>;
using CurlSlistPtr = std::unique_ptr<curl_slist, CurlSlistDeleter>;

// Told when its transfer has ended; always called outside libcurl callbacks.
class CurlTransferOwner {
public:
    virtual ~CurlTransferOwner() = default;
    virtual void curlTransferFinished(CURLcode result) = 0;
};

// One easy handle and what libcurl's callbacks point at. It outlives its owner when the owner
// goes away while libcurl may still call back (the callbacks then see owner == nullptr).
struct CurlTransfer {
    CurlEasyPtr easy;
    CurlSlistPtr headers;
    CurlSlistPtr connectTo;
    CurlTransferOwner* owner = nullptr;
    char errorText[CURL_ERROR_SIZE] = {};
};

class CurlMulti : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CurlMulti)
public:
    // Throws std::runtime_error when libcurl cannot be initialised.
    explicit CurlMulti(QObject* parent = nullptr);
    ~CurlMulti() override;

    // The share handle every easy handle should use (TLS session cache).
    CURLSH* share() const { return m_share.get(); }

    // Adds the transfer's easy handle. Returns false (nothing started) when libcurl refuses.
    // While libcurl is being driven the add is deferred until curl_multi_socket_action returns.
    bool start(CurlTransfer& transfer);
    // Ends a running transfer; its owner's curlTransferFinished gets CURLE_ABORTED_BY_CALLBACK
    // (immediately, or after curl_multi_socket_action returns when called while driving).
    void stop(CurlTransfer& transfer);
    // The owner gives up its transfer; a running one is ended and freed when that is safe.
    void release(std::unique_ptr<CurlTransfer> transfer);

    // Connection redirections for tests, in CURLOPT_CONNECT_TO form ("HOST:PORT:CONNECT-HOST:
    // CONNECT-PORT", an empty HOST matching every host), so that a URL with a real-looking
    // host name and no port reaches a local test server. Applies to transfers created after.
    void setConnectTo(const std::vector<std::string>& entries);
    curl_slist* connectTo() const { return m_connectTo.get(); }

    bool isRunning(const CurlTransfer& transfer) const;
    // True while curl_multi_socket_action runs, i.e. possibly inside a libcurl callback.
    bool isDriving() const { return m_driving > 0; }
    int runningCount() const { return static_cast<int>(m_running.size()); }

private:
    static int socketCallback(CURL* easy, curl_socket_t socket, int what, void* userp, void* socketp);
    static int timerCallback(CURLM* multi, long timeoutMs, void* userp);
    void updateSocket(curl_socket_t socket, int what);
    void onSocketsReady();
    void drive(curl_socket_t socket, int events);
    void afterDrive();
    void readCompletions();
    void finish(CurlTransfer* transfer, CURLcode result);
    void removeHandle(CurlTransfer* transfer);
    void failAll(CURLcode result);

    std::unique_ptr<CURLM, CurlMultiDeleter> m_multi;
    std::unique_ptr<CURLSH, CurlShareDeleter> m_share;
    CurlSlistPtr m_connectTo;
    QTimer m_timer;
    // One notifier per socket would cost the event loop a wake-up for every change of what a
    // socket waits for (several per request); the epoll set changes with one call instead,
    // and the event loop polls a single descriptor however many transfers run.
    int m_epoll = -1;
    QSocketNotifier* m_epollNotifier = nullptr;
    std::unordered_map<curl_socket_t, int> m_watches; // socket -> libcurl's CURL_POLL_* wish
    std::unordered_set<CurlTransfer*> m_running;
    std::vector<CurlTransfer*> m_pendingStarts;
    std::vector<CurlTransfer*> m_pendingStops;
    std::vector<std::unique_ptr<CurlTransfer>> m_orphans;
    int m_driving = 0;
};
