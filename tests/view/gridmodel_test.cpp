#include "view/gridmodel.h"

#include "view/displaytext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kUrl = static_cast<int>(GridColumn::Url);
constexpr int kTitle = static_cast<int>(GridColumn::PageTitle);
constexpr int kType = static_cast<int>(GridColumn::Type);
constexpr int kStatus = static_cast<int>(GridColumn::Status);
constexpr int kReason = static_cast<int>(GridColumn::Reason);

struct TestRow {
    TestRow(std::string u, int32_t s = 200, std::string t = "text/html", std::string ti = {})
        : url(std::move(u)), status(s), type(std::move(t)), title(std::move(ti)) {}
    std::string url;
    int32_t status;
    std::string type;
    std::string title;
};

// A row table and a grid showing every row in table order.
class GridFixture : public ::testing::Test {
protected:
    GridFixture() : grid(rows) {}

    void load(const std::vector<TestRow>& testRows)
    {
        grid.clearLines();
        for (const TestRow& testRow : testRows) {
            trow& row = rows.beginAppend();
            row.Url = testRow.url;
            row.Status = testRow.status;
            row.ContentType = testRow.type;
            row.Title = testRow.title;
            grid.addLine(rows.commitAppend());
        }
    }

    std::vector<std::string> urlsInOrder() const
    {
        std::vector<std::string> out;
        for (int32_t row : grid.displayRows())
            out.push_back(rows[row].Url);
        return out;
    }

    std::vector<int32_t> statusesInOrder() const
    {
        std::vector<int32_t> out;
        for (int32_t row : grid.displayRows())
            out.push_back(rows[row].Status);
        return out;
    }

    RowTable rows;
    GridModel grid;
};

TEST(GridColumnsTest, CaptionsRulesAndSamples)
{
    const std::vector<GridColumnInfo> columns = BuildGridColumns();
    ASSERT_EQ(columns.size(), 9u);
    const char* captions[] = {"URL", "Page Title", "Type", "Status", "Reason", "Redirected to",
                              "Last Modified", "Change Frequency", "Priority"};
    for (size_t i = 0; i < columns.size(); ++i) {
        SCOPED_TRACE(captions[i]);
        EXPECT_EQ(columns[i].caption, captions[i]);
        EXPECT_EQ(columns[i].rule, i == 3 ? CompareRule::Status : CompareRule::Text);
    }
    EXPECT_EQ(columns[0].widthSample.size(), 75u);
    EXPECT_EQ(columns[5].widthSample.size(), 62u);
    EXPECT_EQ(columns[1].widthSample, "Title of the web page malo duze da bude");
    EXPECT_EQ(compareRuleForCaption("Something else"), CompareRule::None);
    EXPECT_EQ(initialColumnWidth(100), 120);
}

TEST_F(GridFixture, CellTextsAndPlaceholder)
{
    grid.showPlaceholder();
    EXPECT_TRUE(grid.GridPlaceholder());
    EXPECT_EQ(grid.lineCount(), 1001);
    EXPECT_TRUE(grid.displayRows().empty());
    EXPECT_EQ(grid.VSTGetText(0, kUrl), u"");
    EXPECT_FALSE(grid.VSTHeaderClick(kStatus));
    EXPECT_EQ(grid.SortColumn(), 0);
    EXPECT_FALSE(grid.SortAscending());

    load({{"http://a/", 0, "", ""}});
    EXPECT_FALSE(grid.GridPlaceholder());
    EXPECT_EQ(grid.CellText(0, kStatus), "0");
    EXPECT_EQ(grid.CellText(0, kUrl), "http://a/");
    EXPECT_EQ(grid.CellText(0, 9), "");
    EXPECT_EQ(grid.CellText(0, -1), "");
}

TEST_F(GridFixture, DisplayedTextWidensCodePageExceptTitle)
{
    // The same bytes: UTF-8 "Café €" read as the title, as Windows-1252 everywhere else.
    const std::string bytes = "Caf\xC3\xA9 \xE2\x82\xAC \x80";
    load({{bytes, 200, "text/html", bytes}});
    EXPECT_EQ(grid.VSTGetText(0, kTitle), u"Café € \u0080");
    EXPECT_EQ(grid.VSTGetText(0, kUrl), u"Caf\u00C3\u00A9 \u00E2\u201A\u00AC \u20AC");
}

TEST(DisplayTextTest, Cp1252TableMatchesEveryByte)
{
    // The bytes 0x80-0x9F are the only ones that are not their own code point.
    for (int b = 0; b < 256; ++b) {
        const std::u16string wide = widenSystemCodePage(std::string(1, static_cast<char>(b)));
        ASSERT_EQ(wide.size(), 1u);
        if (b < 0x80 || b >= 0xA0)
            EXPECT_EQ(wide[0], static_cast<char16_t>(b)) << b;
        else
            EXPECT_NE(wide[0], 0) << b;
    }
    EXPECT_EQ(widenSystemCodePage("\x80\x9F\x8D"), u"\u20AC\u0178\u008D");
}

TEST_F(GridFixture, Colours)
{
    struct Case {
        const char* name;
        int32_t status;
        const char* type;
        CellColour status_, reason, typeCell;
    } cases[] = {
        {"timeout", 0, "", CellColour::Red, CellColour::Red, CellColour::Blue},
        {"upper-case text page", 200, "TEXT/HTML", CellColour::WindowText, CellColour::WindowText, CellColour::WindowText},
        {"image", 200, "image/png", CellColour::WindowText, CellColour::WindowText, CellColour::Blue},
        {"empty type", 200, "", CellColour::WindowText, CellColour::WindowText, CellColour::Blue},
        {"not found page", 404, "text/html", CellColour::Red, CellColour::Red, CellColour::WindowText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        load({{"http://a/", c.status, c.type, "t"}});
        EXPECT_EQ(grid.VSTPaintText(0, kStatus), c.status_);
        EXPECT_EQ(grid.VSTPaintText(0, kReason), c.reason);
        EXPECT_EQ(grid.VSTPaintText(0, kType), c.typeCell);
        EXPECT_EQ(grid.VSTPaintText(0, kUrl), CellColour::WindowText);
        EXPECT_EQ(grid.VSTPaintText(0, kTitle), CellColour::WindowText);
    }
}

TEST_F(GridFixture, HintOnlyWhenTextDoesNotFit)
{
    load({{"http://a/0123456789", 200, "text/html", "\xC5\xBD"}});
    const auto width = [](const std::u16string& text) { return static_cast<int>(text.size()) * 10; };
    // 19 characters: 190 pixels against a column of 208 - 18 = 190 fits, 207 does not.
    EXPECT_EQ(grid.VSTGetHint(0, kUrl, width, 208), u"");
    EXPECT_EQ(grid.VSTGetHint(0, kUrl, width, 207), u"http://a/0123456789");
    EXPECT_EQ(grid.VSTGetHint(0, kTitle, width, 10), u"\u017D");
}

TEST_F(GridFixture, HeaderClicksFollowTheSortState)
{
    load({{"http://b/", 200}, {"http://a/", 404}, {"http://c/", 999}, {"http://d/", 301}});

    EXPECT_TRUE(grid.VSTHeaderClick(kStatus));
    EXPECT_TRUE(grid.SortAscending());
    EXPECT_EQ(statusesInOrder(), (std::vector<int32_t>{999, 404, 301, 200}));

    grid.VSTHeaderClick(kStatus);
    EXPECT_FALSE(grid.SortAscending());
    EXPECT_EQ(statusesInOrder(), (std::vector<int32_t>{200, 301, 404, 999}));

    grid.VSTHeaderClick(kUrl);
    EXPECT_EQ(grid.SortColumn(), kUrl);
    EXPECT_TRUE(grid.SortAscending());
    EXPECT_EQ(urlsInOrder(), (std::vector<std::string>{"http://a/", "http://b/", "http://c/", "http://d/"}));

    // Rows stay where they were: only the lines moved.
    EXPECT_EQ(rows[0].Url, "http://b/");

    // A line added after a sort goes to the bottom until the next click.
    trow& late = rows.beginAppend();
    late.Url = "http://0/";
    grid.addLine(rows.commitAppend());
    EXPECT_EQ(urlsInOrder().back(), "http://0/");
    grid.VSTHeaderClick(kUrl);
    EXPECT_EQ(urlsInOrder(), (std::vector<std::string>{"http://d/", "http://c/", "http://b/", "http://a/", "http://0/"}));
}

TEST_F(GridFixture, FirstClickOnUrlSortsAscending)
{
    load({{"b"}, {"a"}});
    grid.VSTHeaderClick(kUrl);
    EXPECT_EQ(urlsInOrder(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(GridFixture, TextComparisonFoldsOnlyAsciiLetters)
{
    struct Case {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"http://x/A", "http://x/a", 0},
        {"http://x/_", "http://x/z", 1},  // '_' (95) against 'Z' (90)
        {"http://x/_", "http://x/9", 1},
        {"abc", "abcd", -1},
        {"\xE9", "\xC9", 1},             // accented letters are not folded
        {"\x80", "a", 1},                // bytes compare unsigned
        {"", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        load({{c.a}, {c.b}});
        const int result = grid.VSTCompareNodes(0, 1, kUrl);
        EXPECT_EQ((result > 0) - (result < 0), c.sign);
        EXPECT_EQ(compareFoldedAscii(c.a, c.b) > 0, c.sign > 0);
    }
    load({{"a", 200}, {"b", 404}});
    EXPECT_GT(grid.VSTCompareNodes(0, 1, kStatus), 0);
    EXPECT_EQ(grid.VSTCompareNodes(0, 1, 42), 0);
}

TEST_F(GridFixture, SortIsStableAndCarriesSelectionAndFocus)
{
    load({{"http://x/B"}, {"http://x/a"}, {"http://x/b"}, {"http://x/A"}});
    grid.setSelected(2, true);  // "b"
    grid.setFocusedLine(3);     // "A"
    grid.VSTHeaderClick(kUrl);
    EXPECT_EQ(urlsInOrder(), (std::vector<std::string>{"http://x/a", "http://x/A", "http://x/B", "http://x/b"}));
    EXPECT_EQ(grid.selectedCount(), 1);
    EXPECT_TRUE(grid.isSelected(3));
    EXPECT_EQ(grid.focusedLine(), 1);
    grid.VSTHeaderClick(kUrl);  // descending keeps equal lines in their order too
    EXPECT_EQ(urlsInOrder(), (std::vector<std::string>{"http://x/B", "http://x/b", "http://x/a", "http://x/A"}));
}

// The sort works on precomputed keys; it must give exactly the order that a stable sort
// with VSTCompareNodes gives, whatever prefix the texts share.
TEST_F(GridFixture, KeySortAgreesWithCompareNodes)
{
    std::mt19937 random(7);
    const std::string alphabet("aAbB_9/\x80\0", 9);  // NUL must not pass for the end of a text
    struct Variant {
        const char* name;
        std::string prefix;
        int count;
        int outlier; // a line that does not share the prefix, or -1
    } variants[] = {
        {"no shared prefix", "", 600, -1},
        {"shared prefix", "https://www.example.com/section/", 600, -1},
        // Enough lines that the shared beginning is guessed from a sample the outlier misses.
        {"prefix with an outlier", "https://www.example.com/section/", 1500, 701},
    };
    for (const Variant& variant : variants) {
        SCOPED_TRACE(variant.name);
        const std::string& prefix = variant.prefix;
        std::vector<TestRow> testRows;
        for (int i = 0; i < variant.count; ++i) {
            std::string url = i == variant.outlier ? "https://www.example.com/other" : prefix;
            const int length = static_cast<int>(random() % 30);
            for (int k = 0; k < length; ++k)
                url.push_back(alphabet[random() % alphabet.size()]);
            testRows.emplace_back(url, static_cast<int32_t>(random() % 4) * 100);
        }
        for (int column : {kUrl, kStatus}) {
            for (bool ascending : {true, false}) {
                SCOPED_TRACE("column " + std::to_string(column) + (ascending ? " up" : " down"));
                load(testRows);
                std::vector<int> expected(testRows.size());
                for (size_t i = 0; i < expected.size(); ++i)
                    expected[i] = static_cast<int>(i);
                std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
                    const int c = grid.VSTCompareNodes(a, b, column);
                    return ascending ? c < 0 : c > 0;
                });
                grid.sortLines(column, ascending);
                for (size_t i = 0; i < expected.size(); ++i)
                    ASSERT_EQ(grid.rowOf(static_cast<int>(i)), rows.RowCount() - static_cast<int32_t>(testRows.size()) + expected[i]) << i;
            }
        }
    }
}

} // namespace
