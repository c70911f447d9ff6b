// The sitemap tags: the settings of the "Set URL tags" panel, stamping them on new rows and
// applying one tag to the rows already in the grid.
#pragma once

#include "project/sitemappages.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

inline constexpr std::array<std::string_view, 7> kChangeFrequencies{
    "always", "hourly", "daily", "weekly", "monthly", "yearly", "never"};
inline constexpr std::array<std::string_view, 11> kPriorities{
    "1", "0.9", "0.8", "0.7", "0.6", "0.5", "0.4", "0.3", "0.2", "0.1", "0.0"};

// Tag names that ApplyUrlTag understands.
inline constexpr std::string_view kTagLastMod = "lastmod";
inline constexpr std::string_view kTagChangeFreq = "changefreq";
inline constexpr std::string_view kTagPriority = "priority";

// The panel's state. The date is kept as the row text it gives ("yyyy-MM-dd").
struct TagSettings {
    bool lastModifiedOn = true;
    std::string lastModified;
    bool changeFrequencyOn = true;
    std::string changeFrequency = "daily";
    bool priorityOn = true;
    std::string priority = "0.5";
    bool selectedRowsOnly = false;

    // The defaults, with the local date of program start supplied by the caller.
    static TagSettings defaults(int year, int month, int day);
};

// Four-digit year, two-digit month and day: 2024-03-05.
std::string formatTagDate(int year, int month, int day);

// StampNewRowTags: writes the three tags on a row being appended; an unticked tag is empty.
void StampNewRowTags(const TagSettings& tags, trow& row);

// ApplyUrlTag: writes value into the named tag of every eligible line's row (every line, or
// only the selected ones when selectedRowsOnly is on), and clears it again when the tag's
// box is not ticked. selected runs parallel to lines (GridModel::selectedFlags()). Sets
// projectModified when the table has rows; returns the number of rows written. The caller
// repaints the grid.
int32_t ApplyUrlTag(std::string_view tagName, std::string_view value, const TagSettings& tags, RowTable& rows,
                    GridLines lines, std::span<const uint8_t> selected, bool& projectModified);
