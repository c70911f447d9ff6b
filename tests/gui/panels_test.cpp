// The "Set URL tags" panel and report loading through the menus, on rows read from a report.
#include "guifixture.h"

#include "app/urltagswidget.h"
#include "project/reportfile.h"
#include "view/resultgridwidget.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include <algorithm>
#include <fstream>

class PanelsTest : public GuiTest {
protected:
    // A report of `count` rows, all sitemap pages, with the tags "2020-01-01", "monthly", "0.3".
    std::string writeReport(int count)
    {
        RowTable rows;
        std::vector<int32_t> lines;
        for (int i = 0; i < count; ++i) {
            trow& row = rows.beginAppend();
            row.Url = "http://127.0.0.1/page" + std::to_string(i);
            row.ContentType = "text/html";
            row.Status = 200;
            row.Reason = "OK";
            row.LastModified = "2020-01-01";
            row.ChangeFrequency = "monthly";
            row.Priority = "0.3";
            lines.push_back(rows.commitAppend());
        }
        const std::string name = (folder() / "rows.sitemap").string();
        WriteReportFile(name, rows, lines, ReportValues{"http://127.0.0.1/", count}, ProjectSettings{});
        return name;
    }

    MainWindow& windowWithReport(int count)
    {
        MainWindow& w = makeWindow();
        w.show();
        prompts.fileNames = {writeReport(count)};
        w.reportMenu()->actions()[0]->trigger();
        EXPECT_TRUE(waitForLines(w));
        return w;
    }

    std::string tagOf(MainWindow& w, int line, int column)
    {
        return w.grid().CellText(line, column);
    }
};

TEST_F(PanelsTest, TagPanelWritesTagsOnAllOrSelectedRows)
{
    MainWindow& w = windowWithReport(10);
    ASSERT_EQ(w.gridWidget()->model()->rowCount(), 10);
    UrlTagsWidget* panel = w.tagsPanel();
    EXPECT_EQ(panel->datePicker()->displayFormat(), QStringLiteral("yyyy-MM-dd"));
    EXPECT_EQ(panel->frequencyList()->currentText(), QStringLiteral("daily"));
    EXPECT_EQ(panel->priorityList()->currentText(), QStringLiteral("0.5"));
    EXPECT_EQ(panel->priorityList()->itemText(0), QStringLiteral("1"));
    EXPECT_FALSE(w.controller().data().ProjectModified);

    // Unticking "Priority:" clears the tag on every row; ticking writes the list's entry.
    panel->priorityBox()->click();
    for (int line = 0; line < 10; ++line)
        EXPECT_EQ(tagOf(w, line, 8), "");
    EXPECT_TRUE(w.controller().data().ProjectModified);
    panel->priorityBox()->click();
    EXPECT_EQ(tagOf(w, 3, 8), "0.5");

    // Choosing "hourly" while "Change Frequency:" is unticked ticks it and writes the value.
    panel->changeFrequencyBox()->click();
    EXPECT_EQ(tagOf(w, 0, 7), "");
    panel->frequencyList()->setCurrentIndex(1);
    Q_EMIT panel->frequencyList()->activated(1);
    EXPECT_TRUE(panel->changeFrequencyBox()->isChecked());
    EXPECT_EQ(tagOf(w, 0, 7), "hourly");

    // Selected rows only, toggled through its label: two of ten lines change.
    QTest::mouseClick(panel->selectedOnlyLabel(), Qt::LeftButton);
    EXPECT_TRUE(panel->selectedOnlyBox()->isChecked());
    w.gridWidget()->selectLines({2, 7});
    panel->frequencyList()->setCurrentIndex(3);
    Q_EMIT panel->frequencyList()->activated(3);
    for (int line = 0; line < 10; ++line)
        EXPECT_EQ(tagOf(w, line, 7), line == 2 || line == 7 ? "weekly" : "hourly") << line;

    // A new date reaches the selected rows at once when the box was unticked.
    panel->lastModifiedBox()->click();
    EXPECT_EQ(tagOf(w, 2, 6), "");
    EXPECT_EQ(tagOf(w, 0, 6), "2020-01-01");
    panel->datePicker()->setDate(QDate(2024, 3, 5));
    EXPECT_EQ(tagOf(w, 2, 6), "2024-03-05");
    EXPECT_EQ(w.tags().lastModified, "2024-03-05");
}

TEST_F(PanelsTest, BrokenReportKeepsTheRowsReadAndLeavesTheGridUsable)
{
    MainWindow& w = makeWindow();
    w.show();
    const std::string name = writeReport(3);
    // Claim five rows where three are stored.
    std::ifstream in(name, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    in.close();
    const auto at = text.find("Number of URLs:3");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 16, "Number of URLs:5");
    std::ofstream(name, std::ios::binary) << text;

    prompts.fileNames = {name};
    w.reportMenu()->actions()[0]->trigger();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("List index out of bounds", 0), 0u) << errors[0];
    EXPECT_EQ(w.gridWidget()->tableModel()->pendingUpdates(), 0);
    ASSERT_TRUE(waitForLines(w));
    EXPECT_EQ(w.gridWidget()->model()->rowCount(), 3);

    // A file that cannot be opened changes nothing and is reported.
    prompts.fileNames = {(folder() / "absent.sitemap").string()};
    w.reportMenu()->actions()[0]->trigger();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1].rfind("Cannot open file", 0), 0u) << errors[1];
    EXPECT_EQ(w.gridWidget()->model()->rowCount(), 3);
}

TEST_F(PanelsTest, HintsAppearOnlyForCellsThatDoNotFit)
{
    MainWindow& w = windowWithReport(2);
    ResultGridWidget* grid = w.gridWidget();
    QAbstractItemModel* model = grid->model();
    const QModelIndex url = model->index(0, 0);
    EXPECT_FALSE(model->data(url, Qt::ToolTipRole).isValid());
    grid->setColumnWidth(0, 40);
    EXPECT_EQ(model->data(url, Qt::ToolTipRole).toString(), QStringLiteral("http://127.0.0.1/page0"));
}

TEST_F(PanelsTest, SelectionAndFocusTravelWithTheirLinesWhenSorted)
{
    MainWindow& w = windowWithReport(10);
    ResultGridWidget* grid = w.gridWidget();
    grid->selectLines({1, 3}); // page1 and page3; the focus ends on page3
    grid->horizontalHeader()->sectionClicked(0);
    grid->horizontalHeader()->sectionClicked(0); // URL descending: page9 ... page0

    std::vector<int> shown;
    for (const QModelIndex& index : grid->selectionModel()->selectedRows())
        shown.push_back(index.row());
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (std::vector<int>{6, 8}));
    EXPECT_TRUE(w.grid().isSelected(6));
    EXPECT_TRUE(w.grid().isSelected(8));
    EXPECT_EQ(w.grid().selectedCount(), 2);
    EXPECT_EQ(grid->currentIndex().row(), 6);
    EXPECT_EQ(w.grid().focusedLine(), 6);

    grid->CopyUrlsToClipboard(true);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("http://127.0.0.1/page3\r\nhttp://127.0.0.1/page1\r\n"));
}

TEST_F(PanelsTest, SitemapMenuEntriesOfferTheirOwnFiltersAndWriteTheFiles)
{
    MainWindow& w = windowWithReport(3);
    struct Entry {
        int position;
        const char* filter;
        const char* extension;
        const char* file;
        const char* expected; // text the written file contains
    } const entries[] = {
        {0, "Google XML sitemap file|*.xml", "xml", "map.xml", "<loc>http://127.0.0.1/page2</loc>"},
        {1, "Html files|*.html", "html", "urls.html", ">http://127.0.0.1/page1</a>"},
        {2, "HTML files|*.html", "html", "titles.html", ">No Title</a>"},
        {3, "Text files|*.txt", "txt", "urls.txt", "http://127.0.0.1/page0\r\n"},
    };
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.file);
        const std::string name = (folder() / entry.file).string();
        prompts.fileNames = {name};
        w.saveSitemapMenu()->actions()[entry.position]->trigger();
        ASSERT_FALSE(prompts.saveDialogs.empty());
        EXPECT_EQ(prompts.saveDialogs.back().filter, entry.filter);
        EXPECT_EQ(prompts.saveDialogs.back().defaultExtension, entry.extension);
        EXPECT_EQ(prompts.saveDialogs.back().initialName, "");
        std::ifstream in(name, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        EXPECT_NE(text.find(entry.expected), std::string::npos) << text;
    }
    // A cancelled dialog writes nothing and changes nothing.
    w.saveSitemapMenu()->actions()[0]->trigger();
    EXPECT_TRUE(errors.empty());
    EXPECT_FALSE(w.controller().data().ProjectModified);
}
