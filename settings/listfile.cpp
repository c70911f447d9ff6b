#include "settings/listfile.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Owns a file descriptor; closing errors matter only where the caller checks them itself.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    // Closes now and reports whether the kernel accepted the data (NFS reports late errors here).
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// The path as the user should see it in a message: absolute, so that "settings.dat" names the
// folder it was looked for in.
fs::path fullPath(const fs::path& path)
{
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    return ec ? path : full.lexically_normal();
}

// Permissions for a new file: those of the file being replaced, else what the umask allows, so
// that replacing through a private temporary file does not tighten the file's permissions.
mode_t modeForReplacement(const fs::path& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, std::string_view content)
{
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

} // namespace

std::string CannotOpenFileMessage(const fs::path& path, int errorNumber)
{
    return "Cannot open file \"" + fullPath(path).string() + "\". " + std::strerror(errorNumber);
}

std::string CannotCreateFileMessage(const fs::path& path, int errorNumber)
{
    return "Cannot create file \"" + fullPath(path).string() + "\". " + std::strerror(errorNumber);
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string LoadTextFromFile(const fs::path& path)
{
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        throw FileError(CannotOpenFileMessage(path, errno));
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            // A folder opens fine and fails here with EISDIR.
            throw FileError(CannotOpenFileMessage(path, errno));
        }
        content.append(buffer, static_cast<size_t>(got));
    }
    return content;
}

void SaveTextToFile(std::string_view content, const fs::path& path)
{
    const fs::path full = fullPath(path);
    // Built step by step: g++ 12 warns wrongly (-Wrestrict) about "." + std::string at -O3.
    std::string hidden(".");
    hidden.append(full.filename().string()).append(".XXXXXX");
    std::string temporary = (full.parent_path() / hidden).string();
    const mode_t mode = modeForReplacement(full);

    FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0)
        throw FileError(CannotCreateFileMessage(full, errno));

    int error = 0;
    if (::fchmod(file.get(), mode) != 0 || !writeAll(file.get(), content) || ::fsync(file.get()) != 0)
        error = errno;
    if (!file.close() && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), full.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        throw FileError(CannotCreateFileMessage(full, error));
    }
}

std::vector<std::string> LoadListFromFile(const fs::path& path)
{
    return SplitLines(LoadTextFromFile(path));
}

void SaveListToFile(const std::vector<std::string>& list, const fs::path& path)
{
    SaveTextToFile(JoinLines(list), path);
}
