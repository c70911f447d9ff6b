// Responsiveness of the desktop program during a crawl: the real main window crawls a site
// while a 10 ms timer measures how late the GUI event loop lets it tick. Reports the worst
// lateness, the crawl's rate and CPU cost, so the window can be compared with bench_engine_stall.
//
// Usage: bench_gui_stall [--connections N] START_URL   (run with QT_QPA_PLATFORM=offscreen or
// under xvfb-run; the program folder is a temporary one)
#include "app/mainwindow.h"
#include "app/userprompts.h"
#include "bench/stallprobe.h"
#include "crawl/curlclient.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

// Answers every prompt No and ends the run at the finish message.
class QuietPrompts final : public UserPrompts {
public:
    void message(const std::string& text) override
    {
        if (text == "Tarnwick has finished!")
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    bool askYesNo(const std::string&) override { return false; }
    std::optional<std::string> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> openFileName(const FileDialogRequest&) override { return std::nullopt; }
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    int connections = 40;
    std::string start;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--connections" && i + 1 < argc)
            connections = std::stoi(argv[++i]);
        else
            start = a;
    }
    if (start.empty()) {
        std::fprintf(stderr, "usage: bench_gui_stall [--connections N] START_URL\n");
        return 2;
    }

    QTemporaryDir folder;
    CurlClientFactory clients;
    QuietPrompts prompts;
    MainWindow::Options options;
    options.programFolder = folder.path().toStdString() + "/";
    options.clientFactory = &clients;
    options.prompts = &prompts;
    options.terminate = [](int) {};
    MainWindow window(std::move(options));
    window.show();
    QCoreApplication::processEvents();
    window.controller().setWorkingSettings(WorkingSettings{connections, "1.1", "Tarnwick v1.3"});

    StallProbe probe;
    const CpuTimes before = CpuTimes::now();
    QElapsedTimer wall;
    wall.start();
    probe.start();
    window.setStartUrlText(start);
    window.controller().Button1Click();
    app.exec();
    const double seconds = wall.elapsed() / 1000.0;
    const CpuTimes times = CpuTimes::now() - before;
    const double cpu = times.user + times.system;
    const int urls = window.grid().lineCount();
    std::printf("GUI: %d URLs in %.2f s = %.0f URLs/s; CPU %.0f us/URL; worst event-loop stall %lld ms (%ld probe ticks)\n",
                urls, seconds, urls / seconds, cpu / std::max(urls, 1) * 1e6, static_cast<long long>(probe.worstLateMs()),
                probe.ticks());
    return 0;
}
