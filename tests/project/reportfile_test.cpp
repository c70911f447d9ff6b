#include "project/reportfile.h"

#include "projectfixture.h"

namespace {

class ReportTest : public RowsFixture {
protected:
    // Reads text into a fresh table; the lines added go to loadedLines.
    int32_t load(std::string_view text)
    {
        loadedLines.clear();
        bool resetSeen = false;
        ReportLoadHooks hooks;
        hooks.beforeRows = [&] { resetSeen = true; };
        hooks.addLine = [&](int32_t row) {
            EXPECT_TRUE(resetSeen);
            loadedLines.push_back(row);
        };
        return LoadReportText(text, loaded, loadedValues, loadedSettings, hooks);
    }

    std::string save() const { return BuildReportText(rows, lines, values, settings); }

    static std::vector<std::string> linesOf(const std::string& text)
    {
        const auto views = splitLines(text);
        return {views.begin(), views.end()};
    }

    static std::string join(const std::vector<std::string>& lines)
    {
        std::string text;
        for (const auto& line : lines)
            appendLine(text, line);
        return text;
    }

    ReportValues values{"http://site.test/", 1};
    ProjectSettings settings;
    RowTable loaded;
    ReportValues loadedValues;
    ProjectSettings loadedSettings;
    std::vector<int32_t> loadedLines;
};

TEST_F(ReportTest, TwoRowsGiveNineLinesEachAndTheTrailer)
{
    fill({TestRow("http://site.test/", 200, "text/html", "Home").tags("2024-03-05", "daily", "0.5"),
          TestRow("http://site.test/x.png", 404, "image/png")});
    const std::string text = save();
    const auto lines = linesOf(text);
    ASSERT_EQ(lines.size(), 26u);
    size_t crlf = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++crlf;
    EXPECT_EQ(crlf, 26u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 9),
              (std::vector<std::string>{"http://site.test/", "Home", "text/html", "200", "OK", "", "2024-03-05", "daily", "0.5"}));
    EXPECT_EQ(lines[12], "404");
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 18, lines.end()),
              (std::vector<std::string>{"Pagescount:1", "Start URL:http://site.test/", "Number of URLs:2", "Maxthreads:7",
                                        "Filter:", "Use Filter:0", "MaxLength:2000", "Use MaxLength:0"}));
}

TEST_F(ReportTest, BlankGridSavesOnlyTheTrailer)
{
    const auto lines = linesOf(save());
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[2], "Number of URLs:0");
}

TEST_F(ReportTest, RoundTripRestoresRowsInOrderAndSettings)
{
    fill({TestRow("http://site.test/b", 301), TestRow("http://site.test/a", 200, "text/html", "filter: not a key"),
          TestRow("http://site.test/c", 999, "application/zip")});
    lines = {2, 0, 1};  // a sorted grid: the file keeps display order
    settings.connectionsIndex = 5;  // 10 connections
    settings.exclusions = {"a", "b"};
    settings.exclusionsOn = true;
    settings.maxLength = 300;
    settings.maxLengthOn = true;
    values = {"http://site.test/start", 87};
    const std::string text = save();
    EXPECT_NE(text.find("\r\nMaxthreads:5\r\nFilter:a<line>b<line>\r\nUse Filter:-1\r\n"), std::string::npos);

    EXPECT_EQ(load(text), 3);
    EXPECT_EQ(loadedLines, (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(loaded[0].Url, "http://site.test/c");
    EXPECT_EQ(loaded[0].Status, 999);
    EXPECT_EQ(loaded[2].Title, "filter: not a key");
    EXPECT_EQ(loaded[2].Redirects, "0");
    EXPECT_EQ(loaded[2].ChainId, 0);
    EXPECT_EQ(loadedValues.startUrl, "http://site.test/start");
    EXPECT_EQ(loadedValues.pagesInSitemap, 87);
    EXPECT_EQ(loadedSettings.connectionsIndex, 5);
    EXPECT_EQ(loadedSettings.connections(), 10);
    EXPECT_EQ(loadedSettings.exclusions, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(loadedSettings.exclusionsOn);
    EXPECT_EQ(loadedSettings.maxLength, 300);
    EXPECT_TRUE(loadedSettings.maxLengthOn);
}

TEST_F(ReportTest, LineBreaksInsideAFieldKeepTheLayout)
{
    fill({TestRow("http://site.test/", 200, "text/html", "Line one\r\nline two\rthree\nfour"), TestRow("http://site.test/2")});
    ScratchFolder folder;
    const std::string path = folder.file("titles.sitemap");
    WriteReportFile(path, rows, lines, values, settings);
    ASSERT_EQ(linesOf(readBytes(path)).size(), 26u);

    ReportLoadHooks hooks;
    EXPECT_EQ(ReadReportFile(path, loaded, loadedValues, loadedSettings, hooks), 2);
    EXPECT_EQ(loaded[0].Title, "Line one  line two three four");
    EXPECT_EQ(loaded[1].Url, "http://site.test/2");
}

TEST_F(ReportTest, TrailerWithoutMaxLengthKeepsThoseSettings)
{
    fill({TestRow("http://site.test/")});
    settings.exclusions = {"x"};
    auto lines = linesOf(save());
    lines.resize(lines.size() - 2);
    loadedSettings.maxLength = 77;
    loadedSettings.maxLengthOn = true;
    EXPECT_EQ(load(join(lines)), 1);
    EXPECT_EQ(loadedSettings.exclusions, (std::vector<std::string>{"x"}));
    EXPECT_EQ(loadedSettings.maxLength, 77);
    EXPECT_TRUE(loadedSettings.maxLengthOn);
}

TEST_F(ReportTest, SettingsPartStopsAtTheFirstFailure)
{
    fill({TestRow("http://site.test/")});
    auto lines = linesOf(save());
    lines[12] = "Maxthreads:12";  // past the end of the connections list
    loadedSettings.connectionsIndex = 2;
    loadedSettings.exclusions = {"kept"};
    EXPECT_EQ(load(join(lines)), 1);
    EXPECT_EQ(loadedValues.pagesInSitemap, 1);  // taken before the failure
    EXPECT_EQ(loadedSettings.connectionsIndex, 2);
    EXPECT_EQ(loadedSettings.exclusions, (std::vector<std::string>{"kept"}));
}

TEST_F(ReportTest, RowErrorsKeepTheRowsBeforeThem)
{
    fill({TestRow("http://site.test/1"), TestRow("http://site.test/2")});
    struct Case {
        const char* name;
        int line;            // line to change, -1 for the count
        const char* text;
        const char* message;
        int32_t kept;
    } cases[] = {
        {"count beyond the rows", 20, "Number of URLs:3", "List index out of bounds (18)", 2},
        {"status not a number", 12, "4o4", "'4o4' is not a valid integer value", 1},
        {"empty status", 12, "", "'' is not a valid integer value", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto lines = linesOf(save());
        lines[static_cast<size_t>(c.line)] = c.text;
        try {
            load(join(lines));
            FAIL() << "no error";
        } catch (const ReportError& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        ASSERT_EQ(loaded.RowCount(), c.kept);
        ASSERT_EQ(loadedLines.size(), static_cast<size_t>(c.kept));
        EXPECT_EQ(loaded[c.kept - 1].Url, "http://site.test/" + std::to_string(c.kept));
        EXPECT_TRUE(loaded[c.kept].Url.empty());  // the row being read is not left half-filled
    }
}

TEST_F(ReportTest, FileThatIsNotAReport)
{
    loadedValues.startUrl = "http://before.test/";
    std::vector<std::string> text(25, "just some text");
    EXPECT_EQ(load(join(text)), 0);
    EXPECT_EQ(loadedValues.startUrl, "");  // 20 lines or more: an empty value, not a failure
    EXPECT_TRUE(loadedLines.empty());

    loadedValues.startUrl = "http://before.test/";
    text.resize(5);
    EXPECT_EQ(load(join(text)), 0);
    EXPECT_EQ(loadedValues.startUrl, "http://before.test/");
}

TEST_F(ReportTest, OpenFailureChangesNothing)
{
    ScratchFolder folder;
    fill({TestRow("http://site.test/")});
    values.startUrl = "unchanged";
    bool touched = false;
    ReportLoadHooks hooks;
    hooks.beforeRows = [&] { touched = true; };
    EXPECT_THROW(ReadReportFile(folder.file("missing.sitemap"), rows, values, settings, hooks), FileError);
    EXPECT_FALSE(touched);
    EXPECT_EQ(rows.RowCount(), 1);
    EXPECT_EQ(values.startUrl, "unchanged");
}

TEST(FindReportValueTest, Lookup)
{
    std::vector<std::string_view> lines(20, "row text");
    lines[0] = "Start URL:too far back";
    lines[15] = "Filter:a<line>";
    lines[16] = "Use Filter:-1";
    lines[17] = "MaxLength:2000";
    lines[18] = "Use MaxLength:0";
    lines[19] = "Start URL:http://x.test/a:b";
    EXPECT_EQ(FindReportValue("filter", lines), "a<line>");
    EXPECT_EQ(FindReportValue("USE FILTER:", lines), "-1");
    EXPECT_EQ(FindReportValue("MaxLength", lines), "2000");
    EXPECT_EQ(FindReportValue("start url", lines), "http://x.test/a:b");
    EXPECT_EQ(FindReportValue("row", lines), "");  // no colon
    EXPECT_EQ(FindReportValue("pagescount", lines), "");

    lines.erase(lines.begin());  // 19 lines: a missing key fails the lookup
    EXPECT_EQ(FindReportValue("pagescount", lines), std::nullopt);
    EXPECT_EQ(FindReportValue("filter", lines), "a<line>");
}

TEST(ReportConversionTest, IntegersAndTruthValues)
{
    struct Case {
        const char* text;
        std::optional<int32_t> number;
        std::optional<bool> truth;
    } cases[] = {
        {"0", 0, false},
        {"-1", -1, true},
        {"2147483647", 2147483647, true},
        {"-2147483648", -2147483647 - 1, true},
        {"2147483648", std::nullopt, std::nullopt},  // out of range
        {"", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {" 1", std::nullopt, std::nullopt},          // no blanks
        {"+1", std::nullopt, std::nullopt},
        {"TRUE", std::nullopt, true},
        {"false", std::nullopt, false},
        {"yes", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseReportInteger(c.text), c.number);
        EXPECT_EQ(parseReportBool(c.text), c.truth);
    }
}

TEST(ReportStatusPanelsTest, AfterOpening)
{
    const ReportStatusPanels panels = reportStatusPanels(120, 87, kShowingReport);
    EXPECT_EQ(panels.urls, "URLs: 120");
    EXPECT_EQ(panels.finished, "Finished URLs:120  Pages in sitemap:87");
    EXPECT_EQ(panels.status, "Status: Showing Report");
}

} // namespace
