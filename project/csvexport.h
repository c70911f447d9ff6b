// The CSV table of the grid: a header of the nine captions, then every line's cell texts.
#pragma once

#include "project/sitemappages.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>

// Told the window caption to show while the table is built: "Writing rows N" after each
// line, then "Writing to file..." before the bytes are written.
using CsvProgress = std::function<void(const std::string& caption)>;

// One cell: quotes doubled, the whole enclosed in quotes; in a cell holding a comma every
// CR LF becomes LF.
void appendCsvCell(std::string& out, std::string_view text);
std::string encodeCsvCell(std::string_view text);

// One row: the cells separated by commas, then CR LF.
void appendCsvRow(std::string& out, std::span<const std::string_view> cells);

// The whole file's bytes.
std::string BuildCsvText(const RowTable& rows, GridLines lines, const CsvProgress& progress = {});

// WriteCsvFile: builds the table and replaces fileName with it; throws FileError.
void WriteCsvFile(const std::string& fileName, const RowTable& rows, GridLines lines, const CsvProgress& progress = {});
