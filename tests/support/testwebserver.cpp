#include "tests/support/testwebserver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {

constexpr std::size_t kMaxRequestBytes = 64 * 1024;

// A self-signed certificate for 127.0.0.1, made once per test process.
struct CertificateFiles {
    std::filesystem::path dir;
    std::string cert;
    std::string key;

    CertificateFiles()
    {
        char pattern[] = "/tmp/tarnwick-cert-XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("cannot make a folder for the test certificate");
        dir = pattern;
        cert = (dir / "cert.pem").string();
        key = (dir / "key.pem").string();
        const std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"
                                    " -days 2 -subj /CN=127.0.0.1 -keyout '" + key + "' -out '" + cert +
                                    "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("the openssl command could not make a test certificate");
    }
    ~CertificateFiles()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
};

const CertificateFiles& certificate()
{
    static const CertificateFiles files;
    return files;
}

std::string reasonFor(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

} // namespace

struct TestWebServer::Tls {
    SSL_CTX* ctx = nullptr;
    ~Tls()
    {
        if (ctx)
            SSL_CTX_free(ctx);
    }
};

struct TestWebServer::Connection {
    int fd = -1;
    SSL* ssl = nullptr;
    std::thread thread;
    std::atomic<bool> done{false}; // set as the thread's last act

    ~Connection()
    {
        if (thread.joinable())
            thread.join();
        if (ssl)
            SSL_free(ssl);
        if (fd >= 0)
            ::close(fd);
    }

    long receive(char* buffer, std::size_t size)
    {
        if (ssl) {
            const int n = SSL_read(ssl, buffer, static_cast<int>(size));
            return n > 0 ? n : -1;
        }
        return ::recv(fd, buffer, size, 0);
    }

    long sendSome(const char* data, std::size_t size)
    {
        if (ssl) {
            const int n = SSL_write(ssl, data, static_cast<int>(size));
            return n > 0 ? n : -1;
        }
        return ::send(fd, data, size, MSG_NOSIGNAL);
    }
};

TestWebServer::TestWebServer(Scheme scheme) : m_scheme(scheme)
{
    // A client that hangs up while TLS writes would otherwise kill the test process.
    std::signal(SIGPIPE, SIG_IGN);

    if (scheme == Scheme::Https) {
        const CertificateFiles& files = certificate();
        m_tls = std::make_unique<Tls>();
        m_tls->ctx = SSL_CTX_new(TLS_server_method());
        if (!m_tls->ctx || SSL_CTX_use_certificate_file(m_tls->ctx, files.cert.c_str(), SSL_FILETYPE_PEM) != 1 ||
            SSL_CTX_use_PrivateKey_file(m_tls->ctx, files.key.c_str(), SSL_FILETYPE_PEM) != 1)
            throw std::runtime_error("cannot load the test certificate");
    }

    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        throw std::runtime_error("cannot create the listening socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listenFd, 64) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(m_listenFd);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    m_port = ntohs(address.sin_port);
    if (::pipe2(m_wakePipe, O_CLOEXEC) != 0) {
        ::close(m_listenFd);
        throw std::runtime_error("cannot create the wake-up pipe");
    }
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

TestWebServer::~TestWebServer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        // Wakes every connection thread blocked in a read or write.
        for (const auto& c : m_connections)
            ::shutdown(c->fd, SHUT_RDWR);
    }
    m_changed.notify_all();
    const char wake = 1;
    [[maybe_unused]] const auto written = ::write(m_wakePipe[1], &wake, 1);
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    {
        std::lock_guard lock(m_mutex);
        for (const auto& c : m_connections)
            ::shutdown(c->fd, SHUT_RDWR);
    }
    m_connections.clear(); // joins the connection threads
    ::close(m_listenFd);
    ::close(m_wakePipe[0]);
    ::close(m_wakePipe[1]);
}

std::string TestWebServer::url(std::string_view path) const
{
    return std::string(m_scheme == Scheme::Https ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_port) +
           std::string(path);
}

void TestWebServer::setReply(const std::string& target, TestReply reply)
{
    std::lock_guard lock(m_mutex);
    m_replies[target] = std::move(reply);
}

void TestWebServer::setPage(const std::string& target, std::string_view body, std::string_view contentType,
                            int status, const std::vector<std::string>& extraHeaderLines)
{
    std::vector<std::string> lines;
    if (!contentType.empty())
        lines.push_back("Content-Type: " + std::string(contentType));
    lines.insert(lines.end(), extraHeaderLines.begin(), extraHeaderLines.end());
    setReply(target, TestReply{response(status, reasonFor(status), lines, body)});
}

void TestWebServer::setRedirect(const std::string& target, std::string_view location, int status)
{
    setReply(target, TestReply{response(status, reasonFor(status),
                                         {"Location: " + std::string(location), "Content-Type: text/html"}, "")});
}

void TestWebServer::setLegacyTlsOnly()
{
    if (!m_tls)
        throw std::logic_error("legacy TLS needs an Https server");
    std::lock_guard lock(m_mutex);
    SSL_CTX_set_security_level(m_tls->ctx, 0);
    if (SSL_CTX_set_min_proto_version(m_tls->ctx, TLS1_VERSION) != 1 ||
        SSL_CTX_set_max_proto_version(m_tls->ctx, TLS1_VERSION) != 1 ||
        SSL_CTX_set_cipher_list(m_tls->ctx, "ALL:@SECLEVEL=0") != 1)
        throw std::runtime_error("the TLS library refuses TLS 1.0");
}

void TestWebServer::setGreeting(std::string bytes)
{
    std::lock_guard lock(m_mutex);
    m_greeting = std::move(bytes);
}

std::string TestWebServer::response(int status, std::string_view reason, const std::vector<std::string>& headerLines,
                                    std::string_view body, bool addLength)
{
    std::string text = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) + "\r\n";
    for (const std::string& line : headerLines)
        text += line + "\r\n";
    if (addLength)
        text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    text += "Connection: close\r\n\r\n";
    text += body;
    return text;
}

std::vector<TestRequestRecord> TestWebServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_records;
}

std::size_t TestWebServer::requestCount() const
{
    std::lock_guard lock(m_mutex);
    return m_records.size();
}

bool TestWebServer::waitForFinished(std::size_t count, int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        std::size_t finished = 0;
        for (const auto& r : m_records)
            finished += r.finished ? 1 : 0;
        return finished >= count;
    });
}

TestReply TestWebServer::replyFor(const std::string& target) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_replies.find(target);
    if (it == m_replies.end())
        it = m_replies.find(target.substr(0, target.find('?')));
    if (it != m_replies.end())
        return it->second;
    return TestReply{response(404, "Not Found", {"Content-Type: text/html"}, "<html><body>Not here</body></html>")};
}

bool TestWebServer::pause(int ms) const
{
    std::unique_lock lock(m_mutex);
    return !m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping; });
}

void TestWebServer::update(std::size_t record, const std::function<void(TestRequestRecord&)>& change)
{
    {
        std::lock_guard lock(m_mutex);
        change(m_records[record]);
    }
    m_changed.notify_all();
}

void TestWebServer::acceptLoop()
{
    for (;;) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        if (!(fds[0].revents & POLLIN))
            continue;
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard lock(m_mutex);
        if (m_stopping) {
            ::close(fd);
            return;
        }
        // Finished connections are reaped here, so that a long crawl does not pile up threads.
        std::erase_if(m_connections, [](const std::unique_ptr<Connection>& c) { return c->done.load(); });
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        const std::size_t record = m_records.size();
        m_records.emplace_back();
        Connection& c = *connection;
        m_connections.push_back(std::move(connection));
        c.thread = std::thread([this, &c, record] {
            serve(c, record);
            c.done = true;
        });
    }
}

void TestWebServer::serve(Connection& c, std::size_t record)
{
    const auto finish = [&] {
        if (c.ssl)
            SSL_shutdown(c.ssl);
        ::shutdown(c.fd, SHUT_WR);
        // Let the client close first, so that no reset can overtake the reply; bounded.
        pollfd p{c.fd, POLLIN, 0};
        char sink[4096];
        for (int i = 0; i < 40 && ::poll(&p, 1, 50) >= 0; ++i) {
            if ((p.revents & POLLIN) && ::recv(c.fd, sink, sizeof sink, 0) <= 0)
                break;
            if (p.revents & (POLLHUP | POLLERR))
                break;
        }
        update(record, [](TestRequestRecord& r) { r.finished = true; });
    };

    if (m_tls) {
        c.ssl = SSL_new(m_tls->ctx);
        if (!c.ssl || SSL_set_fd(c.ssl, c.fd) != 1 || SSL_accept(c.ssl) != 1) {
            ERR_clear_error();
            update(record, [](TestRequestRecord& r) { r.finished = true; });
            return;
        }
    }

    std::string greeting;
    {
        std::lock_guard lock(m_mutex);
        greeting = m_greeting;
    }
    for (std::size_t sent = 0; sent < greeting.size();) {
        const long n = c.sendSome(greeting.data() + sent, greeting.size() - sent);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }

    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequestBytes) {
        const long n = c.receive(buffer, sizeof buffer);
        if (n <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    const auto lineEnd = request.find("\r\n");
    const std::string requestLine = request.substr(0, lineEnd);
    const auto firstBlank = requestLine.find(' ');
    const auto secondBlank = requestLine.find(' ', firstBlank == std::string::npos ? 0 : firstBlank + 1);
    const std::string target = firstBlank == std::string::npos
                                   ? std::string()
                                   : requestLine.substr(firstBlank + 1, secondBlank - firstBlank - 1);
    const TestReply reply = replyFor(target);
    update(record, [&](TestRequestRecord& r) {
        r.request = request;
        r.target = target;
        r.bytesToSend = reply.bytes.size();
    });
    if (request.find("\r\n\r\n") == std::string::npos) {
        finish(); // the client went away before finishing its request
        return;
    }

    if (reply.delayMs > 0 && !pause(reply.delayMs)) {
        finish();
        return;
    }
    const std::size_t chunk = reply.chunkSize ? reply.chunkSize : reply.bytes.size();
    std::size_t sent = 0;
    bool peerClosed = false;
    while (sent < reply.bytes.size()) {
        if (sent > 0 && reply.chunkDelayMs > 0 && !pause(reply.chunkDelayMs))
            break;
        const std::size_t end = std::min(reply.bytes.size(), sent + chunk);
        while (sent < end) {
            const long n = c.sendSome(reply.bytes.data() + sent, end - sent);
            if (n <= 0) {
                peerClosed = true;
                break;
            }
            sent += static_cast<std::size_t>(n);
        }
        update(record, [&](TestRequestRecord& r) {
            r.bytesSent = sent;
            r.peerClosed = peerClosed;
        });
        if (peerClosed)
            break;
    }
    if (reply.keepOpen && !peerClosed) {
        // Hold the line until the client gives up (or the server stops).
        while (c.receive(buffer, sizeof buffer) > 0) {
        }
    }
    finish();
}
