// Whole-file line lists: the format of every small text file the program keeps next to itself
// (the settings files, the start-up URL list) and the safe way such files are replaced.
//
// Files are 8-bit text with CR LF after every line, the last one included. Reading accepts
// CR LF, a lone CR or a lone LF as a line end. Writing builds the whole file in memory, writes it
// to a temporary file in the destination's folder and renames that over the destination, so a
// failed write leaves the old file as it was and never a half-written one.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A file that could not be read or written. what() is the message shown to the user:
// Cannot open file "<full path>". <reason>   or   Cannot create file "<full path>". <reason>
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The lines of a text: split at CR LF, CR or LF; a last line without a line end still counts,
// an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view text);
// The lines joined with CR LF after each one, the last included.
std::string JoinLines(const std::vector<std::string>& lines);

// The whole content of a file. Throws FileError("Cannot open file ...") when it cannot be read.
std::string LoadTextFromFile(const std::filesystem::path& path);
// Replaces the file with `content` in one step (temporary file in the same folder + rename).
// Throws FileError("Cannot create file ...") on any failure; the old file is then untouched and
// no temporary file is left behind.
void SaveTextToFile(std::string_view content, const std::filesystem::path& path);

// Whole-file line lists on top of the two above.
std::vector<std::string> LoadListFromFile(const std::filesystem::path& path);
void SaveListToFile(const std::vector<std::string>& list, const std::filesystem::path& path);

// The texts of the two errors, for callers that report a file failure of their own.
std::string CannotOpenFileMessage(const std::filesystem::path& path, int errorNumber);
std::string CannotCreateFileMessage(const std::filesystem::path& path, int errorNumber);
