// The test web server itself: what it logs and how it sends, seen through a bare socket.
#include "tests/support/testwebserver.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int connectTo(const TestWebServer& server)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(server.port());
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    return fd;
}

std::string readAll(int fd)
{
    std::string text;
    char buffer[4096];
    long n = 0;
    while ((n = ::recv(fd, buffer, sizeof buffer, 0)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

void sendText(int fd, const std::string& text)
{
    ASSERT_EQ(::send(fd, text.data(), text.size(), MSG_NOSIGNAL), static_cast<long>(text.size()));
}

TEST(TestWebServerTest, AnswersScriptedBytesAndLogsTheRequest)
{
    TestWebServer server;
    server.setReply("/raw", TestReply{std::string("HTTP/1.1 200 OK\r\nX: a\0b\r\n\r\n", 26)});
    server.setPage("/page", "<p>hi</p>", "text/html");

    const std::string request = "GET /raw?q=1 HTTP/1.0\r\nHost: x\r\n\r\n";
    int fd = connectTo(server);
    sendText(fd, request);
    EXPECT_EQ(readAll(fd), std::string("HTTP/1.1 200 OK\r\nX: a\0b\r\n\r\n", 26)); // query falls back to the path
    ::close(fd);

    fd = connectTo(server);
    sendText(fd, "GET /page HTTP/1.1\r\n\r\n");
    EXPECT_EQ(readAll(fd), "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 9\r\n"
                           "Connection: close\r\n\r\n<p>hi</p>");
    ::close(fd);

    fd = connectTo(server);
    sendText(fd, "GET /unknown HTTP/1.1\r\n\r\n");
    EXPECT_EQ(readAll(fd).compare(0, 22, "HTTP/1.1 404 Not Found"), 0);
    ::close(fd);

    ASSERT_TRUE(server.waitForFinished(3, 5000));
    const auto records = server.requests();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].request, request);
    EXPECT_EQ(records[0].target, "/raw?q=1");
    EXPECT_EQ(records[0].bytesSent, 26u);
    EXPECT_FALSE(records[0].peerClosed);
    EXPECT_EQ(records[2].target, "/unknown");
}

TEST(TestWebServerTest, SlowReplyStopsWhenTheClientLeaves)
{
    TestWebServer server;
    TestReply slow{std::string(2 * 1024 * 1024, 'z')};
    slow.chunkSize = 8 * 1024;
    slow.chunkDelayMs = 2;
    server.setReply("/slow", slow);

    const int fd = connectTo(server);
    sendText(fd, "GET /slow HTTP/1.1\r\n\r\n");
    char buffer[1024];
    ASSERT_GT(::recv(fd, buffer, sizeof buffer, 0), 0);
    ::close(fd);

    ASSERT_TRUE(server.waitForFinished(1, 10000));
    const TestRequestRecord record = server.requests().front();
    EXPECT_TRUE(record.peerClosed);
    EXPECT_LT(record.bytesSent, record.bytesToSend);
}

TEST(TestWebServerTest, GreetingAndSilence)
{
    TestWebServer server;
    server.setGreeting("hello\r\n");
    TestReply silent;
    silent.keepOpen = true;
    server.setReply("/silent", silent);

    const int fd = connectTo(server);
    char buffer[16];
    const long n = ::recv(fd, buffer, sizeof buffer, 0);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(std::max(n, 0L))), "hello\r\n");
    sendText(fd, "GET /silent HTTP/1.1\r\n\r\n");
    EXPECT_FALSE(server.waitForFinished(1, 200)); // holds the line while the client stays
    ::close(fd);
    EXPECT_TRUE(server.waitForFinished(1, 5000));
    EXPECT_EQ(server.requests().front().bytesSent, 0u);
}

} // namespace
