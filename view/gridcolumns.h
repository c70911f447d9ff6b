// The result grid's column table and the cell texts taken from a row.
//
// Shared by the grid model and by every writer that walks the grid (the CSV export writes
// these very texts), so it depends on nothing but the row record.
#pragma once

#include "crawl/row.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Column positions; Count closes the list so that a new column is added in one place.
enum class GridColumn : int {
    Url,
    PageTitle,
    Type,
    Status,
    Reason,
    RedirectedTo,
    LastModified,
    ChangeFrequency,
    Priority,
    Count
};

inline constexpr int kGridColumnCount = static_cast<int>(GridColumn::Count);

// The captions as one comma-separated list; the columns are built by splitting it.
inline constexpr std::string_view kGridColumnCaptions =
    "URL,Page Title,Type,Status,Reason,Redirected to,Last Modified,Change Frequency,Priority";

// How two rows compare under a column: the rule follows the caption, not the position.
enum class CompareRule { None, Text, Status };

struct GridColumnInfo {
    std::string caption;
    std::string widthSample; // the text whose width, plus 20 pixels, is the starting width
    CompareRule rule = CompareRule::None;
};

// The nine columns in display order.
std::vector<GridColumnInfo> BuildGridColumns();

// Comparison rule for a caption; any caption outside the table compares as equal.
CompareRule compareRuleForCaption(std::string_view caption);

// Starting width of a column given the pixel width of its sample text.
inline int initialColumnWidth(int sampleWidth) { return sampleWidth + 20; }

// The 8-bit text of a cell: the row field shown in that column, "Status" in decimal; a
// column outside the table yields the empty text.
std::string CellText(const trow& row, int column);

// The field a text column shows, for comparing without copying; empty for "Status" and
// for columns outside the table.
std::string_view cellField(const trow& row, int column);

// Ordinal comparison folding only the ASCII letters a-z to upper case: negative, zero or
// positive; a text sorts before any longer text it begins.
int compareFoldedAscii(std::string_view a, std::string_view b);

// The byte with a-z folded to A-Z; every other byte unchanged.
inline unsigned char foldAscii(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c; }

// True when the text holds "text" in any ASCII letter case.
bool containsTextCi(std::string_view contentType);
