#include "project/csvexport.h"

#include "project/textfile.h"
#include "view/gridcolumns.h"

#include <array>

namespace {

template <typename Out>
void emitCsvCell(Out& out, std::string_view text)
{
    const bool hasComma = text.find(',') != std::string_view::npos;
    out.push_back('"');
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            out.append(text.substr(start, i + 1 - start)); // the quote, then its double below
            start = i;
        } else if (hasComma && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out.append(text.substr(start, i - start));
            start = i + 1;
        }
    }
    out.append(text.substr(start));
    out.push_back('"');
}

template <typename Out>
void emitCsvRow(Out& out, std::span<const std::string_view> cells)
{
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out.push_back(',');
        emitCsvCell(out, cells[i]);
    }
    out.append("\r\n");
}

template <typename Out>
void emitCsv(Out& out, const RowTable& rows, GridLines lines, const CsvProgress& progress)
{
    std::array<std::string_view, kGridColumnCount> cells;
    const std::vector<GridColumnInfo> columns = BuildGridColumns();
    for (size_t c = 0; c < cells.size(); ++c)
        cells[c] = columns[c].caption;
    emitCsvRow(out, cells);

    std::string status;
    std::string caption;
    int32_t filled = 0;
    for (const int32_t index : lines) {
        const trow& row = rows[index];
        status = CellText(row, static_cast<int>(GridColumn::Status));
        for (int c = 0; c < kGridColumnCount; ++c)
            cells[static_cast<size_t>(c)] = c == static_cast<int>(GridColumn::Status) ? std::string_view(status) : cellField(row, c);
        emitCsvRow(out, cells);
        ++filled;
        if (progress) {
            caption.assign("Writing rows ");
            caption.append(std::to_string(filled));
            progress(caption);
        }
    }
    if (progress)
        progress("Writing to file...");
}

} // namespace

void appendCsvCell(std::string& out, std::string_view text)
{
    emitCsvCell(out, text);
}

std::string encodeCsvCell(std::string_view text)
{
    std::string out;
    emitCsvCell(out, text);
    return out;
}

void appendCsvRow(std::string& out, std::span<const std::string_view> cells)
{
    emitCsvRow(out, cells);
}

std::string BuildCsvText(const RowTable& rows, GridLines lines, const CsvProgress& progress)
{
    std::string text;
    text.reserve(200 + lines.size() * 200);
    emitCsv(text, rows, lines, progress);
    return text;
}

// The progress reaches "Writing to file..." before the last bytes go out, as the caption
// promises; the table itself is never held twice.
void WriteCsvFile(const std::string& fileName, const RowTable& rows, GridLines lines, const CsvProgress& progress)
{
    AtomicFile file(fileName);
    emitCsv(file, rows, lines, progress);
    file.commit();
}
