// Whole-file text I/O shared by every writer and reader of the project files.
//
// A file is always built completely in memory and then replaces its destination in one step
// (a temporary file in the same folder, renamed over it), so a failed write never leaves a
// half-written or destroyed file behind. Lines end in CR LF; readers accept CR LF, CR or LF.
#pragma once

#include "settings/listfile.h"

#include <string>
#include <string_view>
#include <vector>

// Errors are FileError (settings/listfile.h), carrying "Cannot create file "<path>". <reason>"
// or "Cannot open file "<path>". <reason>" with the path made absolute.

// Replaces the file at path with bytes in one step; throws FileError ("Cannot create file").
void writeFileAtomically(const std::string& path, std::string_view bytes);

// A file written through a buffer into a temporary file beside its destination and renamed
// over the destination by commit(). Destroyed without commit() (an error while the text was
// being made or written), it removes the temporary file: the destination is untouched and
// nothing half-written is ever seen under its name. Writers stream large texts through it
// rather than holding a second copy of every byte. Errors throw FileError ("Cannot create
// file" with the destination's path).
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void append(std::string_view bytes);
    void push_back(char c);
    void commit();

private:
    void flush();
    [[noreturn]] void fail(int error);

    std::string m_path;
    std::string m_temp;
    int m_fd = -1;
    std::string m_buffer;
};

// The whole file; throws FileError ("Cannot open file").
std::string readWholeFile(const std::string& path);

// The whole file in memory mapped for it in one piece (the pages are made present at once
// rather than one fault at a time), for files of any size; throws FileError ("Cannot open
// file"). The bytes are a private copy: changes to the file afterwards do not reach them.
class FileBytes {
public:
    explicit FileBytes(const std::string& path);
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::string_view view() const { return {m_data, m_size}; }

private:
    char* m_data = nullptr;
    size_t m_capacity = 0;
    size_t m_size = 0;
};

// Splits at CR LF, lone CR or lone LF. A line break at the very end adds no empty line, so
// the empty text has no lines.
std::vector<std::string_view> splitLines(std::string_view text);

// Walks the lines of a text one at a time, with the same line ends as splitLines, so that a
// large file need not be held as a list of lines.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : m_text(text) {}
    // The next line, or false at the end of the text.
    bool next(std::string_view& line);

private:
    size_t nextOf(char c, size_t& cached);

    std::string_view m_text;
    size_t m_pos = 0;
    // Where the next CR and the next LF lie (or the end), found with memchr and kept until
    // passed, so that a text using only one kind of line end is still scanned once.
    size_t m_nextCr = 0;
    size_t m_nextLf = 0;
    bool m_started = false;
};

// Every line followed by CR LF.
void appendLine(std::string& out, std::string_view line);

// The text with every CR LF, lone CR and lone LF made a CR LF and a CR LF after a last line
// that had none: the same bytes as splitting into lines and writing each with CR LF.
std::string normalizeLineEnds(std::string_view text);

// Appends text with every CR LF, lone CR and lone LF inside it written as CR LF; out is a
// std::string or an AtomicFile.
template <typename Out>
void appendWithCrLf(Out& out, std::string_view text)
{
    size_t start = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        out.append(text.substr(start, i - start));
        out.append("\r\n");
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    out.append(text.substr(start));
}
