// Whole-file text I/O shared by every writer and reader of the project files.
//
// A file is always built completely in memory and then replaces its destination in one step
// (a temporary file in the same folder, renamed over it), so a failed write never leaves a
// half-written or destroyed file behind. Lines end in CR LF; readers accept CR LF, CR or LF.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// An error meant for the global error handler: what() is the exact text to show.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Cannot create file "<path>". <reason>" and "Cannot open file "<path>". <reason>", the path
// made absolute and the reason taken from errno.
std::string cannotCreateMessage(const std::string& path, int error);
std::string cannotOpenMessage(const std::string& path, int error);

// Replaces the file at path with bytes in one step; throws FileError ("Cannot create file").
void writeFileAtomically(const std::string& path, std::string_view bytes);

// The whole file; throws FileError ("Cannot open file").
std::string readWholeFile(const std::string& path);

// Splits at CR LF, lone CR or lone LF. A line break at the very end adds no empty line, so
// the empty text has no lines.
std::vector<std::string_view> splitLines(std::string_view text);

// Every line followed by CR LF.
void appendLine(std::string& out, std::string_view line);

// The text with every CR LF, lone CR and lone LF made a CR LF and a CR LF after a last line
// that had none: the same bytes as splitting into lines and writing each with CR LF.
std::string normalizeLineEnds(std::string_view text);
