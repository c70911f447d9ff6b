#include "crawl/replyheader.h"

#include <gtest/gtest.h>

TEST(StatusFromHeader, FallbackReading)
{
    struct Case {
        std::vector<std::string> header;
        int32_t status;
        const char* reason;
    } const cases[] = {
        {{}, 0, ""},
        {{"HTTP/1.1 200 OK", "Server: x"}, 200, "OK"},
        {{"HTTP/1.1 404 Not Found"}, 404, "Not Found"},
        {{"ICY 200 OK"}, 200, "OK"},
        {{"HTTP/1.1 200"}, 0, ""},            // one blank only
        {{"HTTP/1.1  OK"}, 0, "OK"},          // empty status text
        {{"HTTP/1.1 2x0 Odd"}, 0, "Odd"},     // not all digits
        {{"HTTP/2 99999999999 Big"}, 0, "Big"}, // too long to be a status
        {{"garbage"}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header.empty() ? std::string("(none)") : c.header.front());
        const StatusLine line = StatusFromHeader(c.header);
        EXPECT_EQ(line.status, c.status);
        EXPECT_EQ(line.reason, c.reason);
    }
}

TEST(AttachmentTest, Verdicts)
{
    struct Case {
        const char* header;
        bool attachment;
        bool mentionsDisposition;
    } const cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Type: text/html", false, false},
        {"HTTP/1.1 200 OK\r\nContent-Disposition: attachment; filename=a.txt", true, true},
        {"HTTP/1.1 200 OK\r\ncontent-disposition: ATTACHMENT", true, true},
        {"HTTP/1.1 200 OK\r\nContent-Disposition: inline", false, true},
        {"HTTP/1.1 200 OK\r\nContent-Description: File Transfer", true, false},
        {"HTTP/1.1 200 OK\r\ncontent-description: file transfer", true, false},
        // The two words must stand in the same line.
        {"HTTP/1.1 200 OK\r\nContent-Disposition: inline\r\nX-Note: attachment", false, true},
        {"HTTP/1.1 200 OK\r\nContent-Description: report\r\nX: File Transfer", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        const AttachmentVerdict verdict = AttachmentTest(c.header);
        EXPECT_EQ(verdict.attachment, c.attachment);
        EXPECT_EQ(verdict.mentionsDisposition, c.mentionsDisposition);
    }
}

TEST(JoinReceivedHeader, JoinsWithCrLfAndEndsAtNul)
{
    EXPECT_EQ(joinReceivedHeader({"HTTP/1.1 200 OK", "A: b"}), "HTTP/1.1 200 OK\r\nA: b");
    EXPECT_EQ(joinReceivedHeader({"HTTP/1.1 200 OK", std::string("X: a\0b", 6), "C: d"}), "HTTP/1.1 200 OK\r\nX: a");
    EXPECT_EQ(joinReceivedHeader({}), "");
}
