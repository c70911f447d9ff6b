#include "settings/settingsfiles.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <system_error>

#include "settings/listfile.h"

namespace fs = std::filesystem;

namespace {

std::string_view trimBlanks(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// Line `number` (counted from 1) of a file, when the file has that many lines.
const std::string* lineAt(const std::vector<std::string>& lines, size_t number)
{
    return number <= lines.size() ? &lines[number - 1] : nullptr;
}

int intLine(const std::vector<std::string>& lines, size_t number, int fallback)
{
    const std::string* line = lineAt(lines, number);
    if (line == nullptr)
        return fallback;
    return ParseIntText(*line).value_or(fallback);
}

int rangedLine(const std::vector<std::string>& lines, size_t number, int fallback, int low, int high)
{
    return std::clamp(intLine(lines, number, fallback), low, high);
}

bool boolLine(const std::vector<std::string>& lines, size_t number, bool fallback)
{
    const std::string* line = lineAt(lines, number);
    if (line == nullptr)
        return fallback;
    return ParseBoolText(*line).value_or(fallback);
}

// A settings file that exists but cannot be read counts as one without lines: every value then
// takes its default, and the next save writes the file anew.
std::vector<std::string> readLinesOrNothing(const fs::path& path)
{
    try {
        return LoadListFromFile(path);
    } catch (const FileError&) {
        return {};
    }
}

bool fileExists(const fs::path& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

// An empty custom text would send no User-Agent at all; the program's own name takes its place
// and the preset is used instead.
void normaliseCustomUserAgent(ProjectSettings& settings)
{
    std::erase_if(settings.customUserAgent, [](char c) { return c == '\r' || c == '\n'; });
    if (settings.customUserAgent.empty()) {
        settings.customUserAgentOn = false;
        settings.customUserAgent = std::string(kDefaultCustomUserAgent);
    }
}

} // namespace

std::string BoolText(bool value)
{
    return value ? "-1" : "0";
}

std::optional<bool> ParseBoolText(std::string_view text)
{
    text = trimBlanks(text);
    if (equalsIgnoringCase(text, "true"))
        return true;
    if (equalsIgnoringCase(text, "false"))
        return false;
    if (const std::optional<int> number = ParseIntText(text))
        return *number != 0;
    return std::nullopt;
}

std::optional<int> ParseIntText(std::string_view text)
{
    text = trimBlanks(text);
    // from_chars takes a "-" but no "+"; a "+" must not let a second sign through.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-')
        text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::vector<std::string> SettingsFileLines(const ProjectSettings& settings)
{
    ProjectSettings ranged = settings;
    ranged.clampToRanges();
    return {
        std::to_string(ranged.connectionsIndex),
        std::to_string(ranged.httpVersionIndex),
        std::to_string(ranged.userAgentPreset),
        BoolText(ranged.customUserAgentOn),
        ranged.customUserAgent,
        std::to_string(ranged.reserved),
        std::to_string(ranged.maxRedirections),
        std::to_string(ranged.timeoutSeconds),
    };
}

void ApplySettingsFileLines(ProjectSettings& settings, const std::vector<std::string>& lines)
{
    using S = ProjectSettings;
    settings.connectionsIndex = rangedLine(lines, 1, S::kDefaultConnectionsIndex, 0,
                                           static_cast<int>(S::kConnectionEntries.size()) - 1);
    settings.httpVersionIndex = rangedLine(lines, 2, S::kDefaultHttpVersionIndex, 0,
                                           static_cast<int>(kHttpVersionEntries.size()) - 1);
    settings.userAgentPreset = rangedLine(lines, 3, S::kDefaultUserAgentPreset, 0,
                                          static_cast<int>(kUserAgentPresets.size()) - 1);
    settings.customUserAgentOn = boolLine(lines, 4, true);
    const std::string* custom = lineAt(lines, 5);
    settings.customUserAgent = custom != nullptr ? *custom : std::string(kDefaultCustomUserAgent);
    normaliseCustomUserAgent(settings);
    settings.reserved = intLine(lines, 6, 0);
    settings.maxRedirections = rangedLine(lines, 7, S::kDefaultMaxRedirections, S::kMinMaxRedirections,
                                          S::kMaxMaxRedirections);
    settings.timeoutSeconds = rangedLine(lines, 8, S::kDefaultTimeoutSeconds, S::kMinTimeoutSeconds,
                                         S::kMaxTimeoutSeconds);
}

void LoadSettings(ProjectSettings& settings, const fs::path& folder)
{
    const fs::path filterPath = folder / kFilterFileName;
    if (fileExists(filterPath)) {
        try {
            settings.reservedList = LoadListFromFile(filterPath);
        } catch (const FileError&) {
            // Unreadable: the list already held is the best there is, and is what gets saved.
        }
    }

    const fs::path settingsPath = folder / kSettingsFileName;
    if (!fileExists(settingsPath)) {
        settings.connectionsIndex = ProjectSettings::kDefaultConnectionsIndex;
        settings.httpVersionIndex = ProjectSettings::kDefaultHttpVersionIndex;
        settings.reserved = 0;
        settings.userAgentPreset = ProjectSettings::kDefaultUserAgentPreset;
        settings.customUserAgentOn = true;
        settings.customUserAgent = std::string(kDefaultCustomUserAgent);
        return;
    }
    ApplySettingsFileLines(settings, readLinesOrNothing(settingsPath));
}

void SaveSettings(ProjectSettings& settings, const RawHeaderGeometry& rawHeader, const fs::path& folder)
{
    normaliseCustomUserAgent(settings);

    // One unwritable file should not keep the others from being saved.
    std::exception_ptr firstError;
    const auto attempt = [&firstError](auto&& save) {
        try {
            save();
        } catch (const FileError&) {
            if (!firstError)
                firstError = std::current_exception();
        }
    };
    attempt([&] { SaveListToFile(SettingsFileLines(settings), folder / kSettingsFileName); });
    attempt([&] { SaveListToFile(settings.reservedList, folder / kFilterFileName); });
    attempt([&] { SaveRawHeaderGeometry(rawHeader, folder); });
    if (firstError)
        std::rethrow_exception(firstError);
}

void ConfirmSettings(ProjectSettings& settings, const RawHeaderGeometry& rawHeader, const fs::path& folder)
{
    SaveSettings(settings, rawHeader, folder);
    LoadSettings(settings, folder);
}

RawHeaderGeometry LoadRawHeaderGeometry(const fs::path& folder)
{
    RawHeaderGeometry geometry;
    const fs::path path = folder / kRawHeaderFileName;
    if (!fileExists(path))
        return geometry;
    const std::vector<std::string> lines = readLinesOrNothing(path);
    geometry.left = intLine(lines, 1, geometry.left);
    geometry.top = intLine(lines, 2, geometry.top);
    geometry.width = std::max(intLine(lines, 3, geometry.width), RawHeaderGeometry::kMinSize);
    geometry.height = std::max(intLine(lines, 4, geometry.height), RawHeaderGeometry::kMinSize);
    geometry.shown = boolLine(lines, 5, geometry.shown);
    return geometry;
}

void SaveRawHeaderGeometry(const RawHeaderGeometry& geometry, const fs::path& folder)
{
    SaveListToFile({std::to_string(geometry.left), std::to_string(geometry.top), std::to_string(geometry.width),
                    std::to_string(geometry.height), BoolText(geometry.shown)},
                   folder / kRawHeaderFileName);
}
