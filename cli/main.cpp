// tarnwick-crawl: crawls a site (or checks a list of URLs) without a window and writes the
// sitemaps, lists and report the desktop program writes.
#include "cli/crawljob.h"
#include "cli/crawloptions.h"
#include "crawl/curlclient.h"

#include <QCoreApplication>
#include <QDate>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSigint(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[0], &byte, 1);
}

// Errors that escape an event handler end the run with their message instead of a crash.
class CrawlApplication : public QCoreApplication {
public:
    using QCoreApplication::QCoreApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QCoreApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "tarnwick-crawl: %s\n", e.what());
        }
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    CrawlApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnwick-crawl"));

    const ParsedCommandLine parsed = parseCrawlCommandLine(
        QCoreApplication::arguments(), QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")).toStdString());
    if (parsed.outcome == ParsedCommandLine::Outcome::ExitOk) {
        std::fputs(parsed.message.c_str(), stdout);
        return CrawlJob::kExitOk;
    }
    if (parsed.outcome == ParsedCommandLine::Outcome::UsageError) {
        std::fputs(parsed.message.c_str(), stderr);
        return CrawlJob::kExitUsage;
    }

    try {
        CurlClientFactory factory;
        CrawlJob job(parsed.options, factory, stderr);

        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
            auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, &app);
            QObject::connect(notifier, &QSocketNotifier::activated, &job, [&job] {
                char byte;
                [[maybe_unused]] const auto got = ::read(g_signalPipe[1], &byte, 1);
                job.interrupt();
            });
            struct sigaction action {};
            action.sa_handler = onSigint;
            sigemptyset(&action.sa_mask);
            action.sa_flags = SA_RESTART;
            sigaction(SIGINT, &action, nullptr);
            sigaction(SIGTERM, &action, nullptr);
        }

        QObject::connect(&job, &CrawlJob::finished, &app, &QCoreApplication::quit, Qt::QueuedConnection);
        if (!job.start())
            return CrawlJob::kExitUsage;
        app.exec();
        const bool written = job.writeOutputs();
        if (job.interrupted())
            return CrawlJob::kExitInterrupted;
        return written ? CrawlJob::kExitOk : CrawlJob::kExitOutputFailed;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarnwick-crawl: %s\n", e.what());
        return CrawlJob::kExitOutputFailed;
    }
}
