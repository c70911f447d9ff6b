#include "project/sitemaptags.h"

#include <cstdio>

TagSettings TagSettings::defaults(int year, int month, int day)
{
    TagSettings tags;
    tags.lastModified = formatTagDate(year, month, day);
    return tags;
}

std::string formatTagDate(int year, int month, int day)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

void StampNewRowTags(const TagSettings& tags, trow& row)
{
    row.LastModified = tags.lastModifiedOn ? tags.lastModified : std::string();
    row.ChangeFrequency = tags.changeFrequencyOn ? tags.changeFrequency : std::string();
    row.Priority = tags.priorityOn ? tags.priority : std::string();
}

int32_t ApplyUrlTag(std::string_view tagName, std::string_view value, const TagSettings& tags, RowTable& rows,
                    GridLines lines, std::span<const uint8_t> selected, bool& projectModified)
{
    if (rows.RowCount() > 0)
        projectModified = true;

    std::string trow::*field = nullptr;
    bool on = false;
    if (tagName == kTagLastMod) {
        field = &trow::LastModified;
        on = tags.lastModifiedOn;
    } else if (tagName == kTagChangeFreq) {
        field = &trow::ChangeFrequency;
        on = tags.changeFrequencyOn;
    } else if (tagName == kTagPriority) {
        field = &trow::Priority;
        on = tags.priorityOn;
    } else {
        return 0;
    }

    const std::string text = on ? std::string(value) : std::string();
    int32_t written = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const bool isSelected = i < selected.size() && selected[i] != 0;
        if (tags.selectedRowsOnly && !isSelected)
            continue;
        rows[lines[i]].*field = text;
        ++written;
    }
    return written;
}
