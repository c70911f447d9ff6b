// Event-loop responsiveness of the crawl engine: runs a crawl (or a list scan) in-process with
// a 10 ms timer beside it and reports the timer's worst lateness, which is the longest time the
// engine kept the event loop from turning, together with the crawl's rate and CPU cost.
//
// Usage: bench_engine_stall [--connections N] (--list FILE | START_URL)
#include "cli/headlessscreen.h"
#include "crawl/crawlcontroller.h"
#include "crawl/curlclient.h"
#include "settings/listfile.h"
#include "settings/projectsettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

double toSeconds(const timeval& t)
{
    return t.tv_sec + t.tv_usec / 1e6;
}

double userSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return toSeconds(usage.ru_utime);
}

double systemSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return toSeconds(usage.ru_stime);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int connections = 40;
    std::string list, start;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--connections" && i + 1 < argc)
            connections = std::stoi(argv[++i]);
        else if (a == "--list" && i + 1 < argc)
            list = argv[++i];
        else
            start = a;
    }
    if (list.empty() && start.empty()) {
        std::fprintf(stderr, "usage: bench_engine_stall [--connections N] (--list FILE | START_URL)\n");
        return 2;
    }

    HeadlessScreen screen;
    ProjectSettings settings;
    CurlClientFactory factory;
    CrawlController controller(screen, factory, settings);
    controller.setWorkingSettings(WorkingSettings{connections, "1.1", "Tarnwick v1.3"});
    QObject::connect(&controller, &CrawlController::scanFinished, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    // The probe: a 10 ms timer whose every tick says how late it came.
    QElapsedTimer sinceTick;
    qint64 worstLateMs = 0;
    long ticks = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(10);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 gap = sinceTick.restart();
        if (ticks++ > 0)
            worstLateMs = std::max(worstLateMs, gap - 10);
    });

    const double userBefore = userSeconds();
    const double systemBefore = systemSeconds();
    QElapsedTimer wall;
    wall.start();
    sinceTick.start();
    probe.start();
    if (!list.empty()) {
        for (const std::string& line : LoadListFromFile(list))
            if (!line.empty())
                controller.data().Queue.add(line);
        controller.Button4Click();
    } else {
        screen.setStartUrl(start);
        controller.Button1Click();
    }
    app.exec();
    const double seconds = wall.elapsed() / 1000.0;
    const double user = userSeconds() - userBefore;
    const double system = systemSeconds() - systemBefore;
    const auto urls = screen.lines().size();
    const double perUrl = 1e6 / static_cast<double>(std::max<size_t>(urls, 1));
    std::printf("%zu URLs in %.2f s = %.0f URLs/s; CPU %.0f us/URL (user %.0f, system %.0f); "
                "worst event-loop stall %lld ms (%ld probe ticks)\n",
                urls, seconds, urls / seconds, (user + system) * perUrl, user * perUrl, system * perUrl,
                static_cast<long long>(worstLateMs), ticks);
    return 0;
}
