#include "project/csvexport.h"

#include "project/textfile.h"
#include "view/gridcolumns.h"

#include <array>

void appendCsvCell(std::string& out, std::string_view text)
{
    const bool hasComma = text.find(',') != std::string_view::npos;
    out.push_back('"');
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            out.push_back('"');
        else if (hasComma && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out.push_back(c);
    }
    out.push_back('"');
}

std::string encodeCsvCell(std::string_view text)
{
    std::string out;
    appendCsvCell(out, text);
    return out;
}

void appendCsvRow(std::string& out, std::span<const std::string_view> cells)
{
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0)
            out.push_back(',');
        appendCsvCell(out, cells[i]);
    }
    out.append("\r\n");
}

std::string BuildCsvText(const RowTable& rows, GridLines lines, const CsvProgress& progress)
{
    std::string text;
    text.reserve(200 + lines.size() * 200);

    std::array<std::string_view, kGridColumnCount> cells;
    const std::vector<GridColumnInfo> columns = BuildGridColumns();
    for (size_t c = 0; c < cells.size(); ++c)
        cells[c] = columns[c].caption;
    appendCsvRow(text, cells);

    std::string status;
    int32_t filled = 0;
    for (const int32_t index : lines) {
        const trow& row = rows[index];
        status = CellText(row, static_cast<int>(GridColumn::Status));
        for (int c = 0; c < kGridColumnCount; ++c)
            cells[static_cast<size_t>(c)] = c == static_cast<int>(GridColumn::Status) ? std::string_view(status) : cellField(row, c);
        appendCsvRow(text, cells);
        ++filled;
        if (progress)
            progress("Writing rows " + std::to_string(filled));
    }
    if (progress)
        progress("Writing to file...");
    return text;
}

void WriteCsvFile(const std::string& fileName, const RowTable& rows, GridLines lines, const CsvProgress& progress)
{
    writeFileAtomically(fileName, BuildCsvText(rows, lines, progress));
}
