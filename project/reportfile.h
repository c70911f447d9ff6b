// The report file (.sitemap): the grid's rows in display order, nine lines each, then an
// eight-line trailer with the start URL, the page counter and the project's crawl settings.
#pragma once

#include "project/sitemappages.h"
#include "settings/projectsettings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

// What a report holds besides its rows and the settings values.
struct ReportValues {
    std::string startUrl;       // text of the "Start URL:" field
    int32_t pagesInSitemap = 0; // PagesInSitemap
};

// A report whose rows cannot be read completely; what() is the text for the error handler.
class ReportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The whole file's bytes. A CR or LF inside a field is written as a blank, so that a title
// with a line break cannot shift the nine-line layout.
std::string BuildReportText(const RowTable& rows, GridLines lines, const ReportValues& values,
                            const ProjectSettings& settings);

// WriteReportFile: builds the report and replaces fileName with it; throws FileError.
void WriteReportFile(const std::string& fileName, const RowTable& rows, GridLines lines, const ReportValues& values,
                     const ProjectSettings& settings);

// FindReportValue: the trailer lookup over the file's lines. Searches the last 20 lines from
// the end for one beginning with key (ASCII case ignored) and returns the text after its
// first colon (empty without a colon). Not found: the empty text, or no value at all (the
// lookup fails) when the file has fewer than 20 lines.
std::optional<std::string> FindReportValue(std::string_view key, std::span<const std::string_view> lines);

// Decimal integer with an optional minus sign, nothing else; the empty text is no integer.
std::optional<int32_t> parseReportInteger(std::string_view text);
// A number (0 off, anything else on) or "True"/"False" in any letter case.
std::optional<bool> parseReportBool(std::string_view text);

// How the reader reaches the screen.
struct ReportLoadHooks {
    // Runs once the settings part is done and before the rows are reset: refresh the status
    // bar, remove every grid line and begin a grid update.
    std::function<void()> beforeRows;
    // Appends a grid line for a row that has been read completely.
    std::function<void(int32_t row)> addLine;
};

// ReadReportFile: replaces the rows, the values and the restored settings (connectionsIndex,
// exclusions, exclusionsOn, maxLength, maxLengthOn) with the file's content; returns the
// number of rows loaded. values and settings come in holding the current state: whatever
// the trailer does not restore (the settings part ends at its first failure) stays as it
// was. The caller then takes Connections from settings.connections(). Throws FileError when the file cannot be read (nothing changed) and
// ReportError ("List index out of bounds (%d)", "'%s' is not a valid integer value") when a
// row cannot be read; the rows read before it stay loaded with their grid lines.
int32_t ReadReportFile(const std::string& fileName, RowTable& rows, ReportValues& values, ProjectSettings& settings,
                       const ReportLoadHooks& hooks);
// The same over a report's bytes.
int32_t LoadReportText(std::string_view text, RowTable& rows, ReportValues& values, ProjectSettings& settings,
                       const ReportLoadHooks& hooks);

// Status bar panels 0 to 2 after a report has been opened.
struct ReportStatusPanels {
    std::string urls;     // "URLs: 120"
    std::string finished; // "Finished URLs:120  Pages in sitemap:87"
    std::string status;   // "Status: Showing Report"
};
ReportStatusPanels reportStatusPanels(int32_t lineCount, int32_t pagesInSitemap, std::string_view statusText);

inline constexpr std::string_view kShowingReport = "Showing Report";
inline constexpr std::string_view kUnsavedPrompt = "Current project has not been saved. Save now?";
