#include "project/reportfile.h"

#include "project/textfile.h"
#include "view/gridcolumns.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

namespace {

constexpr size_t kTrailerSearch = 20;
constexpr std::string_view kLineJoin = "<line>";
constexpr int kMinMaxLength = 10;
constexpr int kMaxMaxLength = 2000;

// Line breaks inside a field would shift every following line of the layout.
template <typename Out>
void appendField(Out& out, std::string_view field)
{
    size_t start = 0;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\r' || field[i] == '\n') {
            out.append(field.substr(start, i - start));
            out.push_back(' ');
            start = i + 1;
        }
    }
    out.append(field.substr(start));
    out.append("\r\n");
}

template <typename Out>
void appendTrailer(Out& out, std::string_view key, std::string_view value)
{
    out.append(key);
    appendField(out, value);
}

bool startsWithFolded(std::string_view line, std::string_view key)
{
    if (line.size() < key.size())
        return false;
    for (size_t i = 0; i < key.size(); ++i) {
        if (foldAscii(static_cast<unsigned char>(line[i])) != foldAscii(static_cast<unsigned char>(key[i])))
            return false;
    }
    return true;
}

// The line holding key among the last lines, searched from the end; the second member is
// false when the lookup fails.
std::pair<std::optional<size_t>, bool> findReportLine(std::string_view key, std::span<const std::string_view> lines)
{
    const size_t first = lines.size() > kTrailerSearch ? lines.size() - kTrailerSearch : 0;
    for (size_t i = lines.size(); i > first; --i) {
        if (startsWithFolded(lines[i - 1], key))
            return {i - 1, true};
    }
    return {std::nullopt, lines.size() >= kTrailerSearch};
}

std::string valueOf(std::string_view line)
{
    const size_t colon = line.find(':');
    return colon == std::string_view::npos ? std::string() : std::string(line.substr(colon + 1));
}

std::vector<std::string> splitExclusions(std::string_view value)
{
    // "<line>" stands for a line break; a trailing one adds no empty entry.
    std::vector<std::string> out;
    size_t start = 0;
    while (start < value.size()) {
        const size_t mark = value.find(kLineJoin, start);
        if (mark == std::string_view::npos) {
            out.emplace_back(value.substr(start));
            break;
        }
        out.emplace_back(value.substr(start, mark - start));
        start = mark + kLineJoin.size();
    }
    return out;
}

// The settings part of a load: each step needs the one before it; the first lookup or
// conversion that fails ends the part silently, keeping what was taken.
struct SettingsPart {
    int32_t rowCount = 0;
    std::optional<size_t> countLine; // where "Number of URLs" was found
};

SettingsPart readSettingsPart(std::span<const std::string_view> lines, ReportValues& values, ProjectSettings& settings)
{
    SettingsPart part;
    auto lookup = [&](std::string_view key) { return FindReportValue(key, lines); };

    const auto startUrl = lookup("Start URL");
    if (!startUrl)
        return part;
    values.startUrl = *startUrl;

    const auto [countLine, countFound] = findReportLine("Number of URLs", lines);
    if (!countFound)
        return part;
    const auto count = parseReportInteger(countLine ? valueOf(lines[*countLine]) : std::string());
    if (!count)
        return part;
    part.rowCount = *count;
    part.countLine = countLine;

    const auto pages = lookup("pagescount");
    const auto pagesValue = pages ? parseReportInteger(*pages) : std::nullopt;
    if (!pagesValue)
        return part;
    values.pagesInSitemap = *pagesValue;

    const auto threads = lookup("maxthreads");
    const auto position = threads ? parseReportInteger(*threads) : std::nullopt;
    if (!position || *position < 0 || *position >= static_cast<int32_t>(ProjectSettings::kConnectionEntries.size()))
        return part;
    settings.connectionsIndex = *position;

    const auto filter = lookup("filter");
    if (!filter)
        return part;
    settings.exclusions = splitExclusions(*filter);

    const auto useFilter = lookup("Use filter:");
    const auto useFilterValue = useFilter ? parseReportBool(*useFilter) : std::nullopt;
    if (!useFilterValue)
        return part;
    settings.exclusionsOn = *useFilterValue;

    const auto maxLength = lookup("MaxLength");
    const auto maxLengthValue = maxLength ? parseReportInteger(*maxLength) : std::nullopt;
    if (!maxLengthValue)
        return part;
    settings.maxLength = std::clamp(*maxLengthValue, kMinMaxLength, kMaxMaxLength);

    const auto useMaxLength = lookup("Use MaxLength:");
    const auto useMaxLengthValue = useMaxLength ? parseReportBool(*useMaxLength) : std::nullopt;
    if (!useMaxLengthValue)
        return part;
    settings.maxLengthOn = *useMaxLengthValue;
    return part;
}

[[noreturn]] void throwMissingLine(size_t line)
{
    throw ReportError("List index out of bounds (" + std::to_string(line) + ")");
}

} // namespace

namespace {

template <typename Out>
void emitReport(Out& out, const RowTable& rows, GridLines lines, const ReportValues& values,
                const ProjectSettings& settings)
{
    char status[16];
    for (const int32_t index : lines) {
        const trow& row = rows[index];
        appendField(out, row.Url);
        appendField(out, row.Title);
        appendField(out, row.ContentType);
        const auto written = std::to_chars(status, status + sizeof status, row.Status);
        appendField(out, std::string_view(status, static_cast<size_t>(written.ptr - status)));
        appendField(out, row.Reason);
        appendField(out, row.RedirectedTo);
        appendField(out, row.LastModified);
        appendField(out, row.ChangeFrequency);
        appendField(out, row.Priority);
    }
    std::string filter;
    for (const std::string& exclusion : settings.exclusions) {
        filter.append(exclusion);
        filter.append(kLineJoin);
    }
    appendTrailer(out, "Pagescount:", std::to_string(values.pagesInSitemap));
    appendTrailer(out, "Start URL:", values.startUrl);
    appendTrailer(out, "Number of URLs:", std::to_string(lines.size()));
    appendTrailer(out, "Maxthreads:", std::to_string(settings.connectionsIndex));
    appendTrailer(out, "Filter:", filter);
    appendTrailer(out, "Use Filter:", settings.exclusionsOn ? "-1" : "0");
    appendTrailer(out, "MaxLength:", std::to_string(settings.maxLength));
    appendTrailer(out, "Use MaxLength:", settings.maxLengthOn ? "-1" : "0");
}

} // namespace

std::string BuildReportText(const RowTable& rows, GridLines lines, const ReportValues& values,
                            const ProjectSettings& settings)
{
    std::string text;
    text.reserve(512 + lines.size() * 200);
    emitReport(text, rows, lines, values, settings);
    return text;
}

void WriteReportFile(const std::string& fileName, const RowTable& rows, GridLines lines, const ReportValues& values,
                     const ProjectSettings& settings)
{
    AtomicFile file(fileName);
    emitReport(file, rows, lines, values, settings);
    file.commit();
}

std::optional<std::string> FindReportValue(std::string_view key, std::span<const std::string_view> lines)
{
    const auto [line, found] = findReportLine(key, lines);
    if (!found)
        return std::nullopt;
    return line ? valueOf(lines[*line]) : std::string();
}

std::optional<int32_t> parseReportInteger(std::string_view text)
{
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        i = 1;
    if (i >= text.size())
        return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min())
        return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<bool> parseReportBool(std::string_view text)
{
    if (const auto number = parseReportInteger(text))
        return *number != 0;
    if (text.size() == 4 && startsWithFolded(text, "true"))
        return true;
    if (text.size() == 5 && startsWithFolded(text, "false"))
        return false;
    return std::nullopt;
}

int32_t LoadReportText(std::string_view text, RowTable& rows, ReportValues& values, ProjectSettings& settings,
                       const ReportLoadHooks& hooks)
{
    // The trailer lookup only ever sees the last 20 lines: one pass keeps them and counts
    // the lines, so a large report is never held as a list of lines.
    std::array<std::string_view, kTrailerSearch> ring;
    size_t total = 0;
    {
        LineCursor cursor(text);
        std::string_view line;
        while (cursor.next(line))
            ring[total++ % kTrailerSearch] = line;
    }
    const size_t kept = std::min(total, kTrailerSearch);
    std::vector<std::string_view> tail(kept);
    for (size_t i = 0; i < kept; ++i)
        tail[i] = ring[(total - kept + i) % kTrailerSearch];
    const SettingsPart part = readSettingsPart(tail, values, settings);

    if (hooks.beforeRows)
        hooks.beforeRows();
    rows.reset();

    // Rows end where the trailer begins (two lines above "Number of URLs"), so a count
    // larger than the stored rows reports the first missing row line rather than reading
    // the trailer as row data.
    size_t available = total;
    if (part.countLine && *part.countLine + (total - kept) >= 2)
        available = *part.countLine + (total - kept) - 2;

    LineCursor cursor(text);
    size_t lineIndex = 0;
    for (int32_t i = 0; i < part.rowCount; ++i) {
        trow& row = rows.beginAppend();
        auto field = [&]() -> std::string_view {
            std::string_view line;
            if (lineIndex >= available || !cursor.next(line)) {
                row.reset();
                throwMissingLine(lineIndex);
            }
            ++lineIndex;
            return line;
        };
        row.Url = field();
        row.Title = field();
        row.ContentType = field();
        const std::string_view statusText = field();
        const auto status = parseReportInteger(statusText);
        if (!status) {
            row.reset();
            throw ReportError("'" + std::string(statusText) + "' is not a valid integer value");
        }
        row.Status = *status;
        row.Reason = field();
        row.RedirectedTo = field();
        row.LastModified = field();
        row.ChangeFrequency = field();
        row.Priority = field();
        const int32_t index = rows.commitAppend();
        if (hooks.addLine)
            hooks.addLine(index);
    }
    return rows.RowCount();
}

int32_t ReadReportFile(const std::string& fileName, RowTable& rows, ReportValues& values, ProjectSettings& settings,
                       const ReportLoadHooks& hooks)
{
    const FileBytes bytes(fileName);
    return LoadReportText(bytes.view(), rows, values, settings, hooks);
}

ReportStatusPanels reportStatusPanels(int32_t lineCount, int32_t pagesInSitemap, std::string_view statusText)
{
    const std::string lines = std::to_string(lineCount);
    return {"URLs: " + lines,
            "Finished URLs:" + lines + "  Pages in sitemap:" + std::to_string(pagesInSitemap),
            "Status: " + std::string(statusText)};
}
