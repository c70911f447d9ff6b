// TestWebServer: an in-process web server on 127.0.0.1 for network tests. Each path answers
// with scripted raw bytes, so a test can send a broken header, never answer, stream a large
// body slowly or close early. It runs on its own threads (poll() and blocking sockets), so it
// keeps serving while a test pumps the Qt event loop, and it logs what every connection
// received and how much of its reply it got out before the client went away.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// What the server does for one request, after it has read the request header.
struct TestReply {
    std::string bytes;          // sent exactly as they are
    std::size_t chunkSize = 0;  // 0: everything in one go; otherwise pieces of this size...
    int chunkDelayMs = 0;       // ...with this pause before every piece after the first
    int delayMs = 0;            // pause before the first byte
    bool keepOpen = false;      // after sending, hold the connection until the client closes it
};

// One connection as the server saw it.
struct TestRequestRecord {
    std::string request;        // raw bytes received, up to and including the empty line
    std::string target;         // the request target of the request line ("/a?b")
    std::size_t bytesToSend = 0;
    std::size_t bytesSent = 0;  // reply bytes the server got out
    bool peerClosed = false;    // sending stopped because the client had closed the connection
    bool finished = false;      // the server is done with the connection
};

class TestWebServer {
public:
    enum class Scheme { Http, Https };

    // Listens on 127.0.0.1 on a free port at once. Https makes a self-signed certificate with
    // the openssl command. Throws std::runtime_error when it cannot.
    explicit TestWebServer(Scheme scheme = Scheme::Http);
    ~TestWebServer();
    TestWebServer(const TestWebServer&) = delete;
    TestWebServer& operator=(const TestWebServer&) = delete;

    std::uint16_t port() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by `path` (https for an Https server).
    std::string url(std::string_view path = "/") const;

    // Scripts the answer for a request target; a target with a query falls back to its path
    // without the query. Unscripted targets get a small 404 page.
    void setReply(const std::string& target, TestReply reply);
    // A complete reply with Content-Length and "Connection: close".
    void setPage(const std::string& target, std::string_view body, std::string_view contentType = "text/html",
                 int status = 200, const std::vector<std::string>& extraHeaderLines = {});
    void setRedirect(const std::string& target, std::string_view location, int status = 301);
    // An Https server then speaks only TLS 1.0, as old servers do.
    void setLegacyTlsOnly();
    // Bytes sent on every new connection before the request is read (a server that talks first,
    // or plain bytes where the client expects a TLS handshake). Empty: none.
    void setGreeting(std::string bytes);

    // Builds "HTTP/1.1 <status> <reason>", the header lines, Content-Length (when addLength),
    // "Connection: close", the empty line and the body.
    static std::string response(int status, std::string_view reason, const std::vector<std::string>& headerLines,
                                std::string_view body, bool addLength = true);

    std::vector<TestRequestRecord> requests() const;
    std::size_t requestCount() const;
    // Waits until at least `count` connections are finished; false on time-out.
    bool waitForFinished(std::size_t count, int timeoutMs) const;

private:
    struct Tls;
    struct Connection;

    void acceptLoop();
    void serve(Connection& connection, std::size_t record);
    TestReply replyFor(const std::string& target) const;
    bool pause(int ms) const; // false when the server is stopping
    void update(std::size_t record, const std::function<void(TestRequestRecord&)>& change);

    Scheme m_scheme;
    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    std::uint16_t m_port = 0;
    std::unique_ptr<Tls> m_tls;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_stopping = false;
    std::map<std::string, TestReply> m_replies;
    std::string m_greeting;
    std::vector<TestRequestRecord> m_records;
    std::vector<std::unique_ptr<Connection>> m_connections;
    std::thread m_acceptThread;
};
