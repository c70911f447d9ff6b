// Runs the built tarnwick-crawl against the test web server and checks its outputs and exit codes.
#include "project/csvexport.h"
#include "project/htmlsitemap.h"
#include "project/reportfile.h"
#include "project/xmlsitemap.h"
#include "settings/projectsettings.h"
#include "tests/support/testwebserver.h"

#include <QDate>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <numeric>
#include <sstream>

namespace {

struct CrawlRun {
    int exitCode = -1;
    std::string err;
};

CrawlRun runCrawl(const QStringList& args, int timeoutMs = 60000)
{
    QProcess process;
    process.start(QStringLiteral(TARNWICK_CRAWL_PATH), args);
    EXPECT_TRUE(process.waitForFinished(timeoutMs));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardError().toStdString()};
}

std::string readFile(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

int csvDataRows(const std::string& csv)
{
    // Every row ends in CR LF and the test pages carry no line breaks in their cells.
    int lines = 0;
    for (size_t at = csv.find("\r\n"); at != std::string::npos; at = csv.find("\r\n", at + 2))
        ++lines;
    return lines - 1;
}

class TarnwickCrawl : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    TestWebServer m_server;
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(TarnwickCrawl, CrawlsASiteAndWritesEveryOutputAsTheLibraryWould)
{
    m_server.setPage("/", "<title>Home</title><a href=\"a.html\">a</a> <a href=\"/img.png\">i</a>"
                          "<a href=\"/moved\">m</a><a href=\"/gone\">g</a><a href=\"http://other.example/\">o</a>");
    m_server.setPage("/a.html", "<title>A &amp; B</title><a href=\"/\">home</a>");
    m_server.setPage("/b.html", "<title>B</title>");
    m_server.setPage("/img.png", std::string(100, 'x'), "image/png");
    m_server.setRedirect("/moved", "/b.html");

    const CrawlRun run = runCrawl({QStringLiteral("--quiet"), QStringLiteral("--lastmod"), QStringLiteral("2024-03-05"),
                              QStringLiteral("--report"), path("r.sitemap"), QStringLiteral("--xml"), path("s.xml"),
                              QStringLiteral("--html"), path("u.html"), QStringLiteral("--html-titles"),
                              path("t.html"), QStringLiteral("--txt"), path("l.txt"), QStringLiteral("--csv"),
                              path("c.csv"), QString::fromStdString(m_server.url("/"))});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "") << "--quiet prints nothing";

    // Read the rows back from the report and build every other output from them.
    RowTable rows;
    ReportValues values;
    ProjectSettings settings;
    ReadReportFile(path("r.sitemap").toStdString(), rows, values, settings, ReportLoadHooks{});
    ASSERT_EQ(rows.RowCount(), 6); // /, a.html, img.png, moved, gone, b.html
    std::vector<int32_t> order(static_cast<size_t>(rows.RowCount()));
    std::iota(order.begin(), order.end(), 0);
    const GridLines lines(order);
    const std::string date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();

    EXPECT_EQ(readFile(path("s.xml")), BuildXmlSitemap(rows, lines));
    EXPECT_EQ(readFile(path("u.html")), BuildHtmlSitemap(rows, lines, false, date));
    EXPECT_EQ(readFile(path("t.html")), BuildHtmlSitemap(rows, lines, true, date));
    EXPECT_EQ(readFile(path("l.txt")), BuildUrlList(rows, lines));
    EXPECT_EQ(readFile(path("c.csv")), BuildCsvText(rows, lines));
    EXPECT_EQ(values.startUrl, m_server.url("/"));
    EXPECT_EQ(values.pagesInSitemap, 3);
    EXPECT_NE(readFile(path("s.xml")).find("<lastmod>2024-03-05</lastmod>"), std::string::npos);
    EXPECT_NE(readFile(path("t.html")).find(">A & B</a>"), std::string::npos);
}

TEST_F(TarnwickCrawl, ListChecksEachUrlOnceIgnoringLetterCase)
{
    m_server.setPage("/a", "<a href=\"/b\">not followed in a list scan</a>");
    std::ofstream(path("list.txt").toStdString(), std::ios::binary)
        << m_server.url("/a") << "\r\n" << m_server.url("/A") << "\r\n";

    const CrawlRun run = runCrawl({QStringLiteral("--quiet"), QStringLiteral("--list"), path("list.txt"),
                              QStringLiteral("--csv"), path("c.csv")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(csvDataRows(readFile(path("c.csv"))), 1);
    EXPECT_EQ(m_server.requestCount(), 1u);
}

TEST_F(TarnwickCrawl, StayInPathKeepsTheCrawlUnderTheStartFolder)
{
    m_server.setPage("/docs/", "<a href=\"a.html\">in</a><a href=\"/other.html\">out</a>");
    m_server.setPage("/docs/a.html", "in");
    m_server.setPage("/other.html", "out");

    const CrawlRun run = runCrawl({QStringLiteral("--quiet"), QStringLiteral("--stay-in-path"), QStringLiteral("--txt"),
                              path("l.txt"), QString::fromStdString(m_server.url("/docs/"))});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string list = readFile(path("l.txt"));
    EXPECT_NE(list.find(m_server.url("/docs/a.html")), std::string::npos);
    EXPECT_EQ(list.find("other.html"), std::string::npos);
}

TEST_F(TarnwickCrawl, RefusedStartUrlIsAUsageError)
{
    const CrawlRun run = runCrawl({QStringLiteral("example.org/")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("Url is not valid! It must begin with http or https"), std::string::npos) << run.err;
}

TEST_F(TarnwickCrawl, AnUnwritableOutputFailsButTheOthersAreWritten)
{
    m_server.setPage("/", "<title>x</title>");
    const QString bad = path("missing-folder/s.xml");
    const CrawlRun run = runCrawl({QStringLiteral("--quiet"), QStringLiteral("--xml"), bad, QStringLiteral("--txt"),
                              path("l.txt"), QString::fromStdString(m_server.url("/"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Cannot create file \"" + bad.toStdString() + "\""), std::string::npos) << run.err;
    EXPECT_EQ(readFile(path("l.txt")), m_server.url("/") + "\r\n");
}

TEST_F(TarnwickCrawl, InterruptAbortsTheScanAndStillWritesTheOutputs)
{
    m_server.setPage("/", "<a href=\"/slow\">slow</a>");
    TestReply never;
    never.delayMs = 60000; // accepts and never answers within the test
    m_server.setReply("/slow", never);

    QProcess process;
    process.start(QStringLiteral(TARNWICK_CRAWL_PATH),
                  {QStringLiteral("--quiet"), QStringLiteral("--csv"), path("c.csv"),
                   QString::fromStdString(m_server.url("/"))});
    ASSERT_TRUE(process.waitForStarted());
    for (int i = 0; i < 200 && m_server.requestCount() < 2; ++i)
        QThread::msleep(25);
    ASSERT_EQ(m_server.requestCount(), 2u);
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 130);
    // The start page completed before the interrupt; the request in flight leaves no row.
    EXPECT_EQ(csvDataRows(readFile(path("c.csv"))), 1);
}
