// Writers, reader and grid sorting at a million rows.
//
// Fills a row table with 1,000,000 rows shaped like a crawl's (shared host, varied paths,
// mixed statuses), then times the XML sitemap, the report and the CSV written to files in a
// scratch folder, the report read back, and sorting the grid by "URL" and by "Status".
// Goals: each write or read under 2 s, each sort under 1 s. Exit code 1 when one is missed.
//
//   cmake --preset release -B build/rel-project -DTARNWICK_BUILD_BENCH=ON
//   cmake --build build/rel-project --target bench_writers
//   build/rel-project/bench/bench_writers [rows] [folder]
//
// Each figure is printed as wall-clock time and as processor time of this process; on a
// machine busy with other work the second shows what the code itself costs.
#include "project/csvexport.h"
#include "project/reportfile.h"
#include "project/xmlsitemap.h"
#include "view/gridmodel.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Figure {
    const char* name;
    double seconds;
    double goal;
};

// Processor time of this process (user and system): on a machine shared with other work it
// shows what the code costs when the wall clock also counts waiting for the processor.
double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

template <typename F>
Figure timed(const char* name, double goal, F&& work)
{
    const auto start = Clock::now();
    const double cpuStart = cpuSeconds();
    work();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%-28s %8.3f s wall %8.3f s cpu  (goal < %.0f s)\n", name, seconds, cpuSeconds() - cpuStart, goal);
    std::fflush(stdout);
    return {name, seconds, goal};
}

void fillRows(RowTable& rows, GridModel& grid, int32_t count)
{
    static const char* kTypes[] = {"text/html; charset=utf-8", "text/html", "image/png", "application/pdf", "text/css"};
    static const int32_t kStatuses[] = {200, 200, 200, 200, 301, 404, 500, 0};
    std::mt19937 random(42);
    grid.clearLines();
    for (int32_t i = 0; i < count; ++i) {
        trow& row = rows.beginAppend();
        const uint32_t id = random();
        row.Url = "https://www.example-shop.com/catalogue/section-" + std::to_string(id % 97) + "/item-" +
                  std::to_string(id) + (id % 3 ? ".html" : "?ref=list&page=" + std::to_string(id % 50));
        row.Title = "Item " + std::to_string(id) + " \xE2\x80\x93 Example Shop";
        row.ContentType = kTypes[id % 5];
        row.Status = kStatuses[(id >> 8) % 8];
        row.Reason = row.Status == 200 ? "OK" : "Not Found";
        row.RedirectedTo = row.Status == 301 ? "https://www.example-shop.com/moved/" + std::to_string(id) : "Original URL";
        row.LastModified = "2024-03-05";
        row.ChangeFrequency = "daily";
        row.Priority = "0.5";
        grid.addLine(rows.commitAppend());
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int32_t count = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    const std::filesystem::path folder = argc > 2 ? std::filesystem::path(argv[2])
                                                  : std::filesystem::temp_directory_path() / "tarnwick-bench-writers";
    std::filesystem::create_directories(folder);

    RowTable rows;
    GridModel grid(rows);
    const auto fillStart = Clock::now();
    fillRows(rows, grid, count);
    std::printf("%d rows filled in %.3f s\n", count, std::chrono::duration<double>(Clock::now() - fillStart).count());

    ProjectSettings settings;
    settings.exclusions = {"logout", "?sort="};
    const ReportValues values{"https://www.example-shop.com/", countSitemapPages(rows, grid.displayRows())};
    const std::string xmlPath = (folder / "bench.xml").string();
    const std::string reportPath = (folder / "bench.sitemap").string();
    const std::string csvPath = (folder / "bench.csv").string();

    std::vector<Figure> figures;
    figures.push_back(timed("write XML sitemap", 2, [&] { WriteXmlSitemap(xmlPath, rows, grid.displayRows()); }));
    figures.push_back(timed("write report", 2, [&] { WriteReportFile(reportPath, rows, grid.displayRows(), values, settings); }));
    figures.push_back(timed("write CSV", 2, [&] {
        int64_t updates = 0;
        WriteCsvFile(csvPath, rows, grid.displayRows(), [&](const std::string&) { ++updates; });
    }));
    for (const auto& path : {xmlPath, reportPath, csvPath})
        std::printf("  %s: %.1f MB\n", path.c_str(), static_cast<double>(std::filesystem::file_size(path)) / 1e6);

    figures.push_back(timed("sort by URL", 1, [&] { grid.VSTHeaderClick(static_cast<int>(GridColumn::Url)); }));
    figures.push_back(timed("sort by Status", 1, [&] { grid.VSTHeaderClick(static_cast<int>(GridColumn::Status)); }));

    // The reader replaces the table it is given, as opening a report does.
    ReportValues loadedValues;
    ProjectSettings loadedSettings;
    int32_t loaded = 0;
    figures.push_back(timed("read report", 2, [&] {
        ReportLoadHooks hooks;
        hooks.beforeRows = [&] { grid.clearLines(); };
        hooks.addLine = [&](int32_t row) { grid.addLine(row); };
        loaded = ReadReportFile(reportPath, rows, loadedValues, loadedSettings, hooks);
    }));
    if (loaded != count) {
        std::printf("read %d rows, expected %d\n", loaded, count);
        return 1;
    }

    bool ok = true;
    for (const Figure& figure : figures)
        ok = ok && figure.seconds < figure.goal;
    std::filesystem::remove_all(folder);
    std::printf("%s\n", ok ? "all goals met" : "GOAL MISSED");
    return ok ? 0 : 1;
}
