#include "view/gridmodel.h"

#include "view/displaytext.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace {

constexpr int kHintMargin = 18;

// Sorting a million lines must not chase two row pointers per comparison, so every line's
// text is reduced once to a key: the first eight folded bytes after the prefix that all
// lines share, packed so that comparing the numbers compares the bytes. Only lines whose
// packed bytes tie go back to the texts.
struct TextKey {
    uint64_t head;
    const char* text;
    uint32_t size;
    int32_t line;
};

uint64_t packFolded(std::string_view text, size_t from)
{
    uint64_t head = 0;
    for (size_t k = 0; k < 8; ++k) {
        const size_t at = from + k;
        const unsigned char c = at < text.size() ? foldAscii(static_cast<unsigned char>(text[at])) : 0;
        head = (head << 8) | c;
    }
    return head;
}

// Folded comparison of two keys whose packed heads are equal.
int compareTails(const TextKey& a, const TextKey& b, size_t from)
{
    const size_t n = std::min(a.size, b.size);
    for (size_t i = std::min(from, n); i < n; ++i) {
        const int ca = foldAscii(static_cast<unsigned char>(a.text[i]));
        const int cb = foldAscii(static_cast<unsigned char>(b.text[i]));
        if (ca != cb)
            return ca - cb;
    }
    return a.size < b.size ? -1 : (a.size > b.size ? 1 : 0);
}

size_t sharedFoldedPrefix(std::string_view a, std::string_view b, size_t limit)
{
    const size_t n = std::min({a.size(), b.size(), limit});
    size_t i = 0;
    while (i < n && foldAscii(static_cast<unsigned char>(a[i])) == foldAscii(static_cast<unsigned char>(b[i])))
        ++i;
    return i;
}

// Inverted on purpose: an ascending sort lists the highest status first.
int compareStatus(int32_t a, int32_t b)
{
    return a < b ? 1 : (a > b ? -1 : 0);
}

} // namespace

GridModel::GridModel(const RowTable& rows)
    : m_rows(rows)
    , m_columns(BuildGridColumns())
{
}

void GridModel::showPlaceholder()
{
    m_lines.assign(kPlaceholderLines, kNoRow);
    m_selected.assign(kPlaceholderLines, 0);
    m_selectedCount = 0;
    m_focused = -1;
    m_placeholder = true;
}

void GridModel::clearLines()
{
    m_lines.clear();
    m_selected.clear();
    m_selectedCount = 0;
    m_focused = -1;
    m_hitLine = -1;
    m_placeholder = false;
}

void GridModel::addLine(int32_t row)
{
    m_lines.push_back(row);
    m_selected.push_back(0);
}

std::span<const int32_t> GridModel::displayRows() const
{
    if (m_placeholder)
        return {};
    return m_lines;
}

std::span<const uint8_t> GridModel::selectedFlags() const
{
    if (m_placeholder)
        return {};
    return m_selected;
}

void GridModel::setSelected(int line, bool selected)
{
    uint8_t& flag = m_selected[static_cast<size_t>(line)];
    if ((flag != 0) != selected) {
        flag = selected ? 1 : 0;
        m_selectedCount += selected ? 1 : -1;
    }
}

void GridModel::clearSelection()
{
    std::fill(m_selected.begin(), m_selected.end(), 0);
    m_selectedCount = 0;
}

void GridModel::VSTMouseDown(int line, int column)
{
    m_hitLine = line;
    m_hitColumn = column;
}

const trow* GridModel::rowAt(int line) const
{
    if (line < 0 || line >= lineCount())
        return nullptr;
    const int32_t row = m_lines[static_cast<size_t>(line)];
    return row == kNoRow ? nullptr : &m_rows[row];
}

std::string GridModel::CellText(int line, int column) const
{
    const trow* row = rowAt(line);
    return row ? ::CellText(*row, column) : std::string();
}

std::u16string GridModel::VSTGetText(int line, int column) const
{
    if (m_placeholder)
        return {};
    const std::string text = CellText(line, column);
    if (column == static_cast<int>(GridColumn::PageTitle))
        return titleToWide(text);
    return widenSystemCodePage(text);
}

CellColour GridModel::VSTPaintText(int line, int column) const
{
    const trow* row = rowAt(line);
    if (!row)
        return CellColour::WindowText;
    switch (static_cast<GridColumn>(column)) {
    case GridColumn::Status:
    case GridColumn::Reason:
        return row->Status != 200 ? CellColour::Red : CellColour::WindowText;
    case GridColumn::Type:
        return containsTextCi(row->ContentType) ? CellColour::WindowText : CellColour::Blue;
    default:
        return CellColour::WindowText;
    }
}

std::u16string GridModel::VSTGetHint(int line, int column, const std::function<int(const std::u16string&)>& textWidth,
                                     int columnWidth) const
{
    std::u16string text = VSTGetText(line, column);
    if (textWidth(text) > columnWidth - kHintMargin)
        return text;
    return {};
}

bool GridModel::VSTHeaderClick(int column)
{
    if (m_placeholder)
        return false;
    m_sortAscending = column == m_sortColumn ? !m_sortAscending : true;
    m_sortColumn = column;
    sortLines(column, m_sortAscending);
    return true;
}

int GridModel::VSTCompareNodes(int lineA, int lineB, int column) const
{
    if (column < 0 || column >= columnCount())
        return 0;
    static const trow kBlank;
    const trow* a = rowAt(lineA);
    const trow* b = rowAt(lineB);
    if (!a) a = &kBlank;
    if (!b) b = &kBlank;
    switch (m_columns[static_cast<size_t>(column)].rule) {
    case CompareRule::Text:
        return compareFoldedAscii(cellField(*a, column), cellField(*b, column));
    case CompareRule::Status:
        return compareStatus(a->Status, b->Status);
    case CompareRule::None:
        break;
    }
    return 0;
}

void GridModel::sortLines(int column, bool ascending)
{
    if (m_placeholder || column < 0 || column >= columnCount() || m_lines.size() < 2)
        return;
    const CompareRule rule = m_columns[static_cast<size_t>(column)].rule;
    if (rule == CompareRule::None)
        return; // every pair compares equal: a stable sort leaves the order as it is

    const size_t n = m_lines.size();
    std::vector<int32_t> order(n);

    if (rule == CompareRule::Status) {
        struct StatusKey {
            int32_t status;
            int32_t line;
        };
        std::vector<StatusKey> keys(n);
        for (size_t i = 0; i < n; ++i)
            keys[i] = {m_rows[m_lines[i]].Status, static_cast<int32_t>(i)};
        if (ascending)
            std::stable_sort(keys.begin(), keys.end(), [](const StatusKey& a, const StatusKey& b) { return compareStatus(a.status, b.status) < 0; });
        else
            std::stable_sort(keys.begin(), keys.end(), [](const StatusKey& a, const StatusKey& b) { return compareStatus(a.status, b.status) > 0; });
        for (size_t i = 0; i < n; ++i)
            order[i] = keys[i].line;
    } else {
        std::vector<TextKey> keys(n);
        std::string_view first = cellField(m_rows[m_lines[0]], column);
        size_t shared = first.size();
        for (size_t i = 0; i < n; ++i) {
            const std::string_view text = cellField(m_rows[m_lines[i]], column);
            shared = sharedFoldedPrefix(first, text, shared);
            keys[i] = {0, text.data(), static_cast<uint32_t>(text.size()), static_cast<int32_t>(i)};
        }
        for (TextKey& key : keys)
            key.head = packFolded(std::string_view(key.text, key.size), shared);
        const size_t tailFrom = shared + 8;
        auto compare = [tailFrom](const TextKey& a, const TextKey& b) {
            if (a.head != b.head)
                return a.head < b.head ? -1 : 1;
            return compareTails(a, b, tailFrom);
        };
        if (ascending)
            std::stable_sort(keys.begin(), keys.end(), [&](const TextKey& a, const TextKey& b) { return compare(a, b) < 0; });
        else
            std::stable_sort(keys.begin(), keys.end(), [&](const TextKey& a, const TextKey& b) { return compare(a, b) > 0; });
        for (size_t i = 0; i < n; ++i)
            order[i] = keys[i].line;
    }

    std::vector<int32_t> lines(n);
    std::vector<uint8_t> selected(n);
    int focused = -1;
    for (size_t i = 0; i < n; ++i) {
        const auto from = static_cast<size_t>(order[i]);
        lines[i] = m_lines[from];
        selected[i] = m_selected[from];
        if (order[i] == m_focused)
            focused = static_cast<int>(i);
    }
    m_lines = std::move(lines);
    m_selected = std::move(selected);
    m_focused = focused;
}
