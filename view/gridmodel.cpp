#include "view/gridmodel.h"

#include "view/displaytext.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace {

constexpr int kHintMargin = 18;

// Sorting a million lines must not chase two row pointers per comparison. Each pass sorts
// compact keys (sixteen folded bytes of the text packed so that comparing the numbers
// compares the bytes, and how many of those bytes exist); only lines still tied after a pass
// go on to the next sixteen bytes. Every pass is stable, so lines that compare equal
// throughout keep their order.
constexpr size_t kPassBytes = 16;

struct TextKey {
    uint64_t high;
    uint64_t low;
    uint32_t width; // bytes of the text inside this pass's sixteen
    int32_t line;
};

struct TextRef {
    const char* text;
    size_t size;
};

void packFolded(TextKey& key, const TextRef& ref, size_t from)
{
    uint64_t words[2] = {0, 0};
    const size_t available = ref.size > from ? std::min(ref.size - from, kPassBytes) : 0;
    for (size_t k = 0; k < kPassBytes; ++k) {
        const unsigned char c = k < available ? foldAscii(static_cast<unsigned char>(ref.text[from + k])) : 0;
        words[k / 8] = (words[k / 8] << 8) | c;
    }
    key.high = words[0];
    key.low = words[1];
    key.width = static_cast<uint32_t>(available);
}

bool sameKey(const TextKey& a, const TextKey& b)
{
    return a.high == b.high && a.low == b.low && a.width == b.width;
}

// Within a pass a text that ends sorts before one that goes on with the same bytes.
inline bool keyLess(const TextKey& a, const TextKey& b)
{
    if (a.high != b.high)
        return a.high < b.high;
    if (a.low != b.low)
        return a.low < b.low;
    return a.width < b.width;
}

// Sorts keys[begin, end) by the texts from byte `from` on; the first pass may come with its
// keys already packed.
void sortTextKeys(std::vector<TextKey>& keys, const std::vector<TextRef>& refs, size_t begin, size_t end, size_t from,
                  bool ascending, bool packed)
{
    for (;;) {
        if (!packed) {
            for (size_t i = begin; i < end; ++i)
                packFolded(keys[i], refs[static_cast<size_t>(keys[i].line)], from);
        }
        packed = false;
        const auto first = keys.begin() + static_cast<std::ptrdiff_t>(begin);
        const auto last = keys.begin() + static_cast<std::ptrdiff_t>(end);
        if (ascending)
            std::stable_sort(first, last, [](const TextKey& a, const TextKey& b) { return keyLess(a, b); });
        else
            std::stable_sort(first, last, [](const TextKey& a, const TextKey& b) { return keyLess(b, a); });

        // Runs still tied on every byte of the pass go on to the next bytes; the last run is
        // taken by the loop instead of a call, so a long shared text costs no recursion.
        size_t runStart = begin;
        size_t tailBegin = end;
        for (size_t i = begin + 1; i <= end; ++i) {
            if (i < end && sameKey(keys[i], keys[runStart]))
                continue;
            if (i - runStart > 1 && keys[runStart].width == kPassBytes) {
                if (i == end)
                    tailBegin = runStart;
                else
                    sortTextKeys(keys, refs, runStart, i, from + kPassBytes, ascending, false);
            }
            runStart = i;
        }
        if (tailBegin == end)
            return;
        begin = tailBegin;
        from += kPassBytes;
    }
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
        std::vector<TextRef> refs(n);
        std::vector<TextKey> keys(n);
        // Texts in a grid mostly share a long beginning (the site's address). A sample guesses
        // it; one pass over all lines then checks it and packs the bytes after it, touching
        // each text once. Should a text not share the guess, the keys are packed again.
        const std::string_view first = cellField(m_rows[m_lines[0]], column);
        size_t guess = first.size();
        for (size_t i = 0; i < n; i += std::max<size_t>(1, n / 512))
            guess = sharedFoldedPrefix(first, cellField(m_rows[m_lines[i]], column), guess);
        size_t shared = guess;
        for (size_t i = 0; i < n; ++i) {
            const std::string_view text = cellField(m_rows[m_lines[i]], column);
            shared = sharedFoldedPrefix(first, text, shared);
            refs[i] = {text.data(), text.size()};
            keys[i].line = static_cast<int32_t>(i);
            packFolded(keys[i], refs[i], guess);
        }
        // Every text holds the shared beginning, so the first pass starts after it.
        sortTextKeys(keys, refs, 0, n, shared, ascending, shared == guess);
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
