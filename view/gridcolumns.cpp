#include "view/gridcolumns.h"

#include <algorithm>

namespace {

// Width samples: URL-like texts of 75 and 62 characters for the two URL columns.
constexpr std::array<std::string_view, kGridColumnCount> kWidthSamples{
    "https://www.example-site.com/category/subcategory/page-name-here.html?id=42",
    "Title of the web page malo duze da bude",
    "text-html-audio",
    "Status",
    "bad request reason",
    "https://www.example-site.com/redirected/target-page.html?ref=9",
    "Last Modified",
    "Change Frequency",
    "Priority",
};

} // namespace

std::vector<GridColumnInfo> BuildGridColumns()
{
    std::vector<GridColumnInfo> columns;
    columns.reserve(kGridColumnCount);
    std::string_view rest = kGridColumnCaptions;
    for (size_t i = 0; i < kWidthSamples.size(); ++i) {
        const size_t comma = rest.find(',');
        const std::string_view caption = rest.substr(0, comma);
        columns.push_back({std::string(caption), std::string(kWidthSamples[i]), compareRuleForCaption(caption)});
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return columns;
}

CompareRule compareRuleForCaption(std::string_view caption)
{
    if (caption == "Status")
        return CompareRule::Status;
    static constexpr std::array<std::string_view, 8> kTextCaptions{
        "URL", "Page Title", "Type", "Reason", "Redirected to", "Last Modified", "Change Frequency", "Priority"};
    for (std::string_view text : kTextCaptions) {
        if (caption == text)
            return CompareRule::Text;
    }
    return CompareRule::None;
}

std::string_view cellField(const trow& row, int column)
{
    switch (static_cast<GridColumn>(column)) {
    case GridColumn::Url: return row.Url;
    case GridColumn::PageTitle: return row.Title;
    case GridColumn::Type: return row.ContentType;
    case GridColumn::Reason: return row.Reason;
    case GridColumn::RedirectedTo: return row.RedirectedTo;
    case GridColumn::LastModified: return row.LastModified;
    case GridColumn::ChangeFrequency: return row.ChangeFrequency;
    case GridColumn::Priority: return row.Priority;
    case GridColumn::Status:
    case GridColumn::Count: break;
    }
    return {};
}

std::string CellText(const trow& row, int column)
{
    if (column == static_cast<int>(GridColumn::Status))
        return std::to_string(row.Status);
    return std::string(cellField(row, column));
}

int compareFoldedAscii(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = foldAscii(static_cast<unsigned char>(a[i]));
        const int cb = foldAscii(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca - cb;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool containsTextCi(std::string_view contentType)
{
    static constexpr std::string_view kText = "TEXT";
    if (contentType.size() < kText.size())
        return false;
    for (size_t i = 0; i + kText.size() <= contentType.size(); ++i) {
        size_t k = 0;
        while (k < kText.size() && foldAscii(static_cast<unsigned char>(contentType[i + k])) == kText[k])
            ++k;
        if (k == kText.size())
            return true;
    }
    return false;
}
