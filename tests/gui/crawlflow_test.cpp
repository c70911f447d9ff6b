// The real main window crawling a site on the loopback test web server: Start, the finish
// message, the grid, menus during a scan, Abort, closing, the unsaved-changes prompt, sorting,
// the context menu, the raw-header window, reports, CSV and the start-up list.
#include "guifixture.h"

#include "app/crawlerpanelwidget.h"
#include "settings/listfile.h"
#include "tests/support/testwebserver.h"
#include "view/rawheaderwindow.h"
#include "view/resultgridwidget.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <fstream>

namespace {

constexpr const char* kFinished = "Tarnwick has finished!";

bool contains(const std::vector<std::string>& list, const std::string& text)
{
    return std::find(list.begin(), list.end(), text) != list.end();
}

} // namespace

class CrawlFlowTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        server.setPage("/", R"(<html><head><title>Home</title></head><body>
            <a href="/a.html">a</a> <a href="/logo.png">logo</a> <a href="/missing">gone</a></body></html>)");
        server.setPage("/a.html", "<title>Page A</title><a href=\"/\">home</a>");
        server.setPage("/logo.png", std::string(300, 'x'), "image/png");
        server.setReply("/slow", TestReply{TestWebServer::response(200, "OK", {"Content-Type: text/html"}, "late"),
                                           0, 0, 4000, false});
    }

    MainWindow& startWindow()
    {
        MainWindow& w = makeWindow();
        w.show();
        return w;
    }

    void start(MainWindow& w, const std::string& url)
    {
        w.crawlerPanel()->startUrl()->setText(QString::fromStdString(url));
        w.crawlerPanel()->startButton()->click();
    }

    bool waitFinished() { return waitUntil([this] { return contains(prompts.messages, kFinished); }); }

    QString cell(MainWindow& w, int line, int column, int role = Qt::DisplayRole)
    {
        QAbstractItemModel* model = w.gridWidget()->model();
        return model->data(model->index(line, column), role).toString();
    }

    std::vector<std::string> urlsShown(MainWindow& w)
    {
        std::vector<std::string> urls;
        for (int line = 0; line < w.gridWidget()->model()->rowCount(); ++line)
            urls.push_back(cell(w, line, 0).toStdString());
        return urls;
    }

    int lineOf(MainWindow& w, const std::string& url)
    {
        const auto urls = urlsShown(w);
        return int(std::find(urls.begin(), urls.end(), url) - urls.begin());
    }

    TestWebServer server;
};

TEST_F(CrawlFlowTest, StartCrawlsTheSiteIntoTheGridWithMenusGreyedMeanwhile)
{
    MainWindow& w = startWindow();
    start(w, server.url("/"));
    EXPECT_EQ(w.crawlerPanel()->startButton()->text(), QStringLiteral("Abort"));
    EXPECT_FALSE(w.saveSitemapMenu()->actions().first()->isEnabled());
    EXPECT_FALSE(w.settingsAction()->isEnabled());
    EXPECT_TRUE(w.helpMenu()->actions().first()->isEnabled());

    ASSERT_TRUE(waitFinished());
    EXPECT_EQ(w.crawlerPanel()->startButton()->text(), QStringLiteral("Start"));
    EXPECT_TRUE(w.saveSitemapMenu()->actions().first()->isEnabled());
    EXPECT_TRUE(w.settingsAction()->isEnabled());
    EXPECT_FALSE(w.grid().GridPlaceholder());
    EXPECT_EQ(w.statusPanel(2)->text(), QStringLiteral("Status: Completed"));

    ASSERT_TRUE(waitForLines(w));
    auto urls = urlsShown(w);
    std::sort(urls.begin(), urls.end());
    EXPECT_EQ(urls, (std::vector<std::string>{server.url("/"), server.url("/a.html"), server.url("/logo.png"),
                                              server.url("/missing")}));

    const int missing = lineOf(w, server.url("/missing"));
    const int logo = lineOf(w, server.url("/logo.png"));
    const int home = lineOf(w, server.url("/"));
    const QVariant red = QColor(255, 0, 0);
    const QVariant blue = QColor(0, 0, 255);
    EXPECT_EQ(cell(w, missing, 3), QStringLiteral("404"));
    EXPECT_EQ(w.gridWidget()->model()->data(w.gridWidget()->model()->index(missing, 3), Qt::ForegroundRole), red);
    EXPECT_EQ(w.gridWidget()->model()->data(w.gridWidget()->model()->index(missing, 4), Qt::ForegroundRole), red);
    EXPECT_EQ(w.gridWidget()->model()->data(w.gridWidget()->model()->index(logo, 2), Qt::ForegroundRole), blue);
    EXPECT_FALSE(w.gridWidget()->model()->data(w.gridWidget()->model()->index(home, 3), Qt::ForegroundRole).isValid());
    EXPECT_EQ(cell(w, home, 1), QStringLiteral("Home"));
    EXPECT_FALSE(cell(w, home, 6).isEmpty()); // stamped with today's date
    EXPECT_EQ(cell(w, home, 7), QStringLiteral("daily"));
    EXPECT_EQ(cell(w, home, 8), QStringLiteral("0.5"));
}

TEST_F(CrawlFlowTest, HeaderClicksSortAndTheContextMenuFollowsTheSelection)
{
    MainWindow& w = startWindow();
    start(w, server.url("/"));
    ASSERT_TRUE(waitFinished());
    ASSERT_TRUE(waitForLines(w));
    ResultGridWidget* grid = w.gridWidget();

    // "Status" ascending lists the highest codes first; a second click reverses it.
    grid->horizontalHeader()->sectionClicked(3);
    EXPECT_EQ(cell(w, 0, 3), QStringLiteral("404"));
    grid->horizontalHeader()->sectionClicked(3);
    EXPECT_EQ(cell(w, 3, 3), QStringLiteral("404"));
    EXPECT_FALSE(grid->horizontalHeader()->isSortIndicatorShown());

    // Sort by URL descending (first click ascending, second descending).
    grid->horizontalHeader()->sectionClicked(0);
    grid->horizontalHeader()->sectionClicked(0);
    const std::vector<std::string> shown = urlsShown(w);
    EXPECT_TRUE(std::is_sorted(shown.rbegin(), shown.rend()));

    grid->selectLines({});
    QMenu* menu = grid->PopupMenu1Popup();
    ASSERT_NE(menu, nullptr);
    const auto entries = menu->actions();
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[0]->text(), QStringLiteral("Copy All URLs"));
    EXPECT_FALSE(entries[1]->isEnabled());
    EXPECT_TRUE(entries[2]->isSeparator());
    EXPECT_EQ(entries[3]->text(), QStringLiteral("Copy Cell content"));

    entries[0]->trigger();
    std::string all;
    for (const auto& url : shown)
        all += url + "\r\n";
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), all);

    grid->selectLines({0, 2});
    EXPECT_TRUE(grid->PopupMenu1Popup()->actions()[1]->isEnabled());
    entries[1]->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), shown[0] + "\r\n" + shown[2] + "\r\n");

    // A right click aims "Copy Cell content" without changing the selection.
    const int missing = lineOf(w, server.url("/missing"));
    const QRect statusCell = grid->visualRect(grid->model()->index(missing, 3));
    QTest::mousePress(grid->viewport(), Qt::RightButton, {}, statusCell.center());
    QTest::mouseRelease(grid->viewport(), Qt::RightButton, {}, statusCell.center());
    EXPECT_EQ(w.grid().selectedCount(), 2);
    entries[3]->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("404"));

    // Below the last line: the clipboard keeps what it had.
    QTest::mousePress(grid->viewport(), Qt::RightButton, {}, QPoint(5, grid->viewport()->height() - 2));
    entries[3]->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("404"));
}

TEST_F(CrawlFlowTest, AbortStopsTheScanAndBringsTheMenusBack)
{
    MainWindow& w = startWindow();
    start(w, server.url("/slow"));
    ASSERT_EQ(w.crawlerPanel()->startButton()->text(), QStringLiteral("Abort"));
    w.crawlerPanel()->startButton()->click();
    EXPECT_TRUE(contains(prompts.messages, "Tarnwick has aborted scan!"));
    EXPECT_EQ(w.crawlerPanel()->startButton()->text(), QStringLiteral("Start"));
    EXPECT_TRUE(w.reportMenu()->actions().first()->isEnabled());
    EXPECT_EQ(w.statusPanel(2)->text(), QStringLiteral("Status: Aborted by user"));
}

TEST_F(CrawlFlowTest, ClosingDuringAScanAsksFirstAndAbortsSilentlyOnYes)
{
    server.setPage("/withslow", "<title>W</title><a href=\"/slow\">slow</a>");
    MainWindow& w = startWindow();
    start(w, server.url("/withslow"));
    ASSERT_TRUE(waitUntil([&w] { return w.controller().data().RowCount() >= 1; }));
    ASSERT_EQ(w.crawlerPanel()->startButton()->text(), QStringLiteral("Abort"));

    // No: the scan goes on and nothing is saved.
    prompts.answers = {false};
    w.close();
    EXPECT_EQ(prompts.questions, std::vector<std::string>{"Abort current scan and close application?"});
    EXPECT_TRUE(exitCodes.empty());
    EXPECT_EQ(w.crawlerPanel()->startButton()->text(), QStringLiteral("Abort"));
    EXPECT_FALSE(std::filesystem::exists(folder() / "settings.dat"));

    // Yes, then Yes to saving: aborted without the abort message, the window stays open on
    // the save dialog.
    prompts.questions.clear();
    prompts.answers = {true, true};
    w.close();
    EXPECT_EQ(prompts.questions, (std::vector<std::string>{"Abort current scan and close application?",
                                                           "Current project has not been saved. Save now?"}));
    EXPECT_FALSE(contains(prompts.messages, "Tarnwick has aborted scan!"));
    EXPECT_EQ(w.crawlerPanel()->startButton()->text(), QStringLiteral("Start"));
    ASSERT_EQ(prompts.saveDialogs.size(), 1u);
    EXPECT_EQ(prompts.saveDialogs[0].defaultExtension, "sitemap");
    EXPECT_EQ(prompts.saveDialogs[0].filter, "Tarnwick file|*.sitemap");
    EXPECT_TRUE(exitCodes.empty());
    EXPECT_FALSE(w.controller().data().Closing);

    // Closing again and answering No: settings written, the process ends with 0.
    prompts.questions.clear();
    prompts.answers = {false};
    w.close();
    EXPECT_EQ(prompts.questions, std::vector<std::string>{"Current project has not been saved. Save now?"});
    EXPECT_EQ(exitCodes, std::vector<int>{0});
    EXPECT_TRUE(std::filesystem::exists(folder() / "settings.dat"));
}

TEST_F(CrawlFlowTest, UnsavedResultsPromptBeforeStartAndOpenReport)
{
    MainWindow& w = startWindow();
    start(w, server.url("/"));
    ASSERT_TRUE(waitFinished());
    ASSERT_TRUE(w.controller().data().ProjectModified);

    // Start: Yes runs "Save Report" (cancelled here) and starts nothing.
    prompts.answers = {true};
    w.crawlerPanel()->startButton()->click();
    EXPECT_EQ(prompts.questions.back(), "Current project has not been saved. Save now?");
    EXPECT_EQ(prompts.saveDialogs.size(), 1u);
    EXPECT_EQ(w.crawlerPanel()->startButton()->text(), QStringLiteral("Start"));

    // Open Report: Yes leads to the save dialog, which saves; the report is not opened.
    const std::string report = (folder() / "site.sitemap").string();
    prompts.answers = {true};
    prompts.fileNames = {report};
    w.reportMenu()->actions()[0]->trigger();
    EXPECT_TRUE(prompts.openDialogs.empty());
    EXPECT_TRUE(std::filesystem::exists(report));
    EXPECT_FALSE(w.controller().data().ProjectModified);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tarnwick"));

    // Saved: Open Report asks nothing and shows the file's rows.
    const size_t asked = prompts.questions.size();
    prompts.fileNames = {report};
    w.reportMenu()->actions()[0]->trigger();
    EXPECT_EQ(prompts.questions.size(), asked);
    ASSERT_EQ(prompts.openDialogs.size(), 1u);
    EXPECT_EQ(prompts.openDialogs[0].filter, "Tarnwick file|*.sitemap");
    ASSERT_TRUE(waitForLines(w));
    EXPECT_EQ(w.gridWidget()->model()->rowCount(), 4);
    EXPECT_EQ(w.statusPanel(0)->text(), QStringLiteral("URLs: 4"));
    EXPECT_EQ(w.statusPanel(1)->text(), QStringLiteral("Finished URLs:4  Pages in sitemap:2"));
    EXPECT_EQ(w.statusPanel(2)->text(), QStringLiteral("Status: Showing Report"));
    EXPECT_EQ(w.crawlerPanel()->startUrl()->text().toStdString(), server.url("/"));
}

TEST_F(CrawlFlowTest, CsvExportShowsItsProgressInTheCaption)
{
    MainWindow& w = startWindow();
    start(w, server.url("/"));
    ASSERT_TRUE(waitFinished());
    std::vector<QString> captions;
    QObject::connect(&w, &QWidget::windowTitleChanged, [&captions](const QString& title) { captions.push_back(title); });
    const std::string csv = (folder() / "grid.csv").string();
    prompts.fileNames = {csv};
    w.reportMenu()->actions()[3]->trigger();
    ASSERT_EQ(prompts.saveDialogs.size(), 1u);
    EXPECT_EQ(prompts.saveDialogs[0].filter, "CSV file|*.csv");
    EXPECT_EQ(prompts.saveDialogs[0].defaultExtension, "csv");
    // Row counts are spaced in time; the first and the last are always shown.
    ASSERT_GE(captions.size(), 4u);
    EXPECT_EQ(captions.front(), QStringLiteral("Writing rows 1"));
    EXPECT_EQ(captions[captions.size() - 3], QStringLiteral("Writing rows 4"));
    EXPECT_EQ(captions[captions.size() - 2], QStringLiteral("Writing to file..."));
    EXPECT_EQ(captions.back(), QStringLiteral("Tarnwick"));
    std::ifstream in(csv, std::ios::binary);
    std::string header;
    std::getline(in, header);
    EXPECT_EQ(header, "\"URL\",\"Page Title\",\"Type\",\"Status\",\"Reason\",\"Redirected to\",\"Last Modified\","
                      "\"Change Frequency\",\"Priority\"\r");

    // The dialog offers the last chosen name again.
    w.reportMenu()->actions()[3]->trigger();
    EXPECT_EQ(prompts.saveDialogs.back().initialName, csv);
}

TEST_F(CrawlFlowTest, RawHeaderWindowShowsNoHeaderForATimedOutRow)
{
    MainWindow& w = startWindow();
    w.settings().timeoutSeconds = 1;
    start(w, server.url("/slow"));
    ASSERT_TRUE(waitFinished());
    ASSERT_TRUE(waitForLines(w));
    ASSERT_EQ(w.gridWidget()->model()->rowCount(), 1);
    EXPECT_EQ(cell(w, 0, 3), QStringLiteral("0"));
    EXPECT_EQ(cell(w, 0, 4), QStringLiteral("Connection TimeOut (set in Options)"));

    ResultGridWidget* grid = w.gridWidget();
    const QPoint point = grid->visualRect(grid->model()->index(0, 0)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, point);
    RawHeaderWindow* raw = w.rawHeaderWindow();
    EXPECT_EQ(raw->windowTitle().toStdString(), "Received Header from:  " + server.url("/slow"));
    EXPECT_EQ(raw->text(), QStringLiteral("No header received"));

    // A row with a header shows it; "Copy" puts all of it on the clipboard.
    start(w, server.url("/a.html"));
    prompts.answers.clear();
    ASSERT_TRUE(waitUntil([this] {
        return std::count(prompts.messages.begin(), prompts.messages.end(), std::string(kFinished)) == 2;
    }));
    ASSERT_TRUE(waitForLines(w));
    const int line = lineOf(w, server.url("/a.html"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(line, 0)).center());
    EXPECT_TRUE(raw->text().startsWith(QStringLiteral("HTTP/1.1 200")));
    raw->copyButton()->click();
    EXPECT_EQ(QApplication::clipboard()->text(), raw->text());
}

TEST_F(CrawlFlowTest, StartUpListIsScannedWhenTheWindowFirstShows)
{
    SaveListToFile({server.url("/a.html"), server.url("/A.html"), server.url("/logo.png")}, folder() / "temporary.dat");
    MainWindow& w = startWindow();
    EXPECT_FALSE(std::filesystem::exists(folder() / "temporary.dat"));
    ASSERT_TRUE(waitFinished());
    ASSERT_TRUE(waitForLines(w));
    EXPECT_EQ(w.gridWidget()->model()->rowCount(), 2);
    EXPECT_TRUE(w.crawlerPanel()->startUrl()->text().isEmpty());
}
