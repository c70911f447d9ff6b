// The three settings files in the program folder and the conversions of their values.
//
// settings.dat holds eight lines: connections position, HTTP version position, User-Agent preset
// position, custom User-Agent on, custom User-Agent text, a reserved integer, max redirections
// and the time-out. filter.dat is a reserved list of lines kept exactly as read. settings2.dat
// holds the raw-header window's left, top, width, height and whether it is shown.
//
// Loading never fails because of a file's content: a missing, unreadable, short or malformed file
// gives each missing or bad line its default and each out-of-range value the nearest value its
// control allows, while the good lines still load. Saving replaces each file in one step and
// throws FileError (listfile.h) when it cannot.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/projectsettings.h"

inline constexpr std::string_view kSettingsFileName = "settings.dat";
inline constexpr std::string_view kFilterFileName = "filter.dat";
inline constexpr std::string_view kRawHeaderFileName = "settings2.dat";

// Position, size and visibility of the raw-header window; the defaults are its built-in
// geometry, used when settings2.dat does not exist.
struct RawHeaderGeometry {
    static constexpr int kMinSize = 200; // the window's minimum width and height

    int left = 571;
    int top = 196;
    int width = 379;
    int height = 296;
    bool shown = false;

    bool operator==(const RawHeaderGeometry&) const = default;
};

// Booleans in files: written "-1" / "0"; read from "-1", "0", any other integer (non-zero is
// true) or "True" / "False" in any letter case. Blanks around a value are ignored.
std::string BoolText(bool value);
std::optional<bool> ParseBoolText(std::string_view text);
// A decimal integer with an optional sign, blanks around it ignored; nothing when the text is
// not one or does not fit into an int.
std::optional<int> ParseIntText(std::string_view text);

// Reads filter.dat and settings.dat from `folder` into the settings. Without settings.dat the
// first-run choices are made (connections "20", "HTTP/1.1", preset "Google", custom User-Agent on
// with "Tarnwick v1.3", reserved 0) and max redirections and the time-out keep their values.
// The length limit, the exclusions and their check boxes are never touched. Never throws.
void LoadSettings(ProjectSettings& settings, const std::filesystem::path& folder);

// Writes settings.dat, filter.dat and settings2.dat into `folder`. An empty custom User-Agent
// text first turns the custom User-Agent off and the text back into "Tarnwick v1.3"; line breaks
// in the text are removed, since they would break the file apart. Every file is attempted; the
// first failure is then thrown as FileError.
void SaveSettings(ProjectSettings& settings, const RawHeaderGeometry& rawHeader,
                  const std::filesystem::path& folder);

// The dialog's "OK": saves, then loads what was just written (which also puts out-of-range
// values back into their ranges). Throws FileError, without reloading, when saving fails.
void ConfirmSettings(ProjectSettings& settings, const RawHeaderGeometry& rawHeader,
                     const std::filesystem::path& folder);

// settings2.dat alone. Loading gives the built-in geometry when the file is missing and keeps
// the default of each missing or bad line; width and height are raised to the window's minimum.
RawHeaderGeometry LoadRawHeaderGeometry(const std::filesystem::path& folder);
void SaveRawHeaderGeometry(const RawHeaderGeometry& geometry, const std::filesystem::path& folder);

// The eight lines of settings.dat for the given settings, and their reading (lines beyond the
// eighth are ignored); the file functions above are built on these.
std::vector<std::string> SettingsFileLines(const ProjectSettings& settings);
void ApplySettingsFileLines(ProjectSettings& settings, const std::vector<std::string>& lines);
