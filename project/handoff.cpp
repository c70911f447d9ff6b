#include "project/handoff.h"

#include "project/textfile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

HandOffResult TakeHandOffFile(const std::string& folder, const std::function<void(const std::string&)>& insert)
{
    HandOffResult result;
    const std::string path = (std::filesystem::path(folder) / kHandOffFileName).string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return result;

    std::string text;
    try {
        text = readWholeFile(path);
    } catch (const FileError& error) {
        // Left in place: the list is not lost, and the next start tries again.
        result.status = HandOffStatus::Unreadable;
        result.problem = error.what();
        return result;
    }

    for (const std::string_view line : splitLines(text)) {
        if (line.empty())
            continue;
        insert(std::string(line));
        ++result.entries;
    }

    result.status = HandOffStatus::Taken;
    if (!std::filesystem::remove(path, ec) || ec) {
        result.status = HandOffStatus::TakenKept;
        result.problem = ec ? ec.message() : std::string(std::strerror(ENOENT));
    }
    return result;
}
