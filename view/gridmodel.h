// The result grid's model: which row each line shows, in which order, and what its cells say.
//
// The grid owns no row data. A line carries the index of its row in the row table and a
// selected flag; texts, colours, hints and sort keys are computed from the row when asked.
// Sorting moves lines, never rows. The widget only calls into this class.
#pragma once

#include "crawl/rowtable.h"
#include "view/gridcolumns.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

// Text colour of a cell; WindowText is the widget's ordinary text colour.
enum class CellColour { WindowText, Red, Blue };

struct Rgb {
    int r, g, b;
};
inline constexpr Rgb kStatusRed{255, 0, 0};
inline constexpr Rgb kTypeBlue{0, 0, 255};

class GridModel {
public:
    static constexpr int kPlaceholderLines = 1001;
    static constexpr int32_t kNoRow = -1; // row index of a blank start-up line

    explicit GridModel(const RowTable& rows);

    const std::vector<GridColumnInfo>& columns() const { return m_columns; }
    int columnCount() const { return static_cast<int>(m_columns.size()); }

    // Blank start-up state: 1001 inert lines that stand for no row.
    bool GridPlaceholder() const { return m_placeholder; }
    void showPlaceholder();

    // Removes every line; also ends the blank start-up state.
    void clearLines();
    // Appends a line at the bottom for an existing row.
    void addLine(int32_t row);

    int lineCount() const { return static_cast<int>(m_lines.size()); }
    int32_t rowOf(int line) const { return m_lines[static_cast<size_t>(line)]; }

    // The rows in display order, top to bottom; empty while the blank lines are shown, so a
    // writer walking them sees no row.
    std::span<const int32_t> displayRows() const;
    // The selected flag of every line, parallel to displayRows().
    std::span<const uint8_t> selectedFlags() const;

    bool isSelected(int line) const { return m_selected[static_cast<size_t>(line)] != 0; }
    void setSelected(int line, bool selected);
    void clearSelection();
    int selectedCount() const { return m_selectedCount; }

    // The focused line, or -1.
    int focusedLine() const { return m_focused; }
    void setFocusedLine(int line) { m_focused = line; }

    // Line (or -1) and column (or -1) under the mouse at the last press in the grid.
    int HitLine() const { return m_hitLine; }
    int HitColumn() const { return m_hitColumn; }
    // VSTMouseDown: stores the hit-tested line and column of a press.
    void VSTMouseDown(int line, int column);

    int SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_sortAscending; }

    // The 8-bit text of a cell; empty for a blank line or a column outside the table.
    std::string CellText(int line, int column) const;
    // VSTGetText: the displayed text of a cell.
    std::u16string VSTGetText(int line, int column) const;
    // VSTPaintText: the text colour of a cell.
    CellColour VSTPaintText(int line, int column) const;
    // VSTGetHint: the cell's whole displayed text when it does not fit its column, else empty.
    std::u16string VSTGetHint(int line, int column, const std::function<int(const std::u16string&)>& textWidth,
                              int columnWidth) const;
    // VSTHeaderClick: updates the sort state for a click on a column header and sorts.
    // Returns false when the click is ignored (blank start-up lines).
    bool VSTHeaderClick(int column);
    // VSTCompareNodes: negative, zero or positive for two lines under a column's rule.
    int VSTCompareNodes(int lineA, int lineB, int column) const;

    // Stable sort of all lines by a column, the selection and the focus moving with them.
    void sortLines(int column, bool ascending);

private:
    const trow* rowAt(int line) const;

    const RowTable& m_rows;
    std::vector<GridColumnInfo> m_columns;
    std::vector<int32_t> m_lines;
    std::vector<uint8_t> m_selected;
    int m_selectedCount = 0;
    int m_focused = -1;
    int m_hitLine = -1;
    int m_hitColumn = -1;
    bool m_placeholder = false;
    int m_sortColumn = 0;
    bool m_sortAscending = false;
};
