// Event-loop responsiveness of the crawl engine: runs a crawl (or a list scan) in-process with
// a 10 ms timer beside it and reports the timer's worst lateness, which is the longest time the
// engine kept the event loop from turning, together with the crawl's rate and CPU cost.
//
// Usage: bench_engine_stall [--connections N] (--list FILE | START_URL)
#include "bench/stallprobe.h"
#include "cli/headlessscreen.h"
#include "crawl/crawlcontroller.h"
#include "crawl/curlclient.h"
#include "settings/listfile.h"
#include "settings/projectsettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <string>

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

    StallProbe probe;
    const CpuTimes before = CpuTimes::now();
    QElapsedTimer wall;
    wall.start();
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
    const CpuTimes cpu = CpuTimes::now() - before;
    const double user = cpu.user;
    const double system = cpu.system;
    const auto urls = screen.lines().size();
    const double perUrl = 1e6 / static_cast<double>(std::max<size_t>(urls, 1));
    std::printf("%zu URLs in %.2f s = %.0f URLs/s; CPU %.0f us/URL (user %.0f, system %.0f); "
                "worst event-loop stall %lld ms (%ld probe ticks)\n",
                urls, seconds, urls / seconds, (user + system) * perUrl, user * perUrl, system * perUrl,
                static_cast<long long>(probe.worstLateMs()), probe.ticks());
    return 0;
}
