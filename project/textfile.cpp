#include "project/textfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string fullPath(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.string();
}

std::string fileMessage(const char* what, const std::string& path, int error)
{
    return std::string(what) + " \"" + fullPath(path) + "\". " + std::strerror(error);
}

// Closes a descriptor on every path out of a function.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int d) : fd(d) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    // Closes now and reports whether the kernel accepted the data.
    bool close()
    {
        const int d = fd;
        fd = -1;
        return ::close(d) == 0;
    }
};

// Permissions for a new file: those of the file it replaces, or the usual ones under umask.
mode_t modeFor(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

} // namespace

std::string cannotCreateMessage(const std::string& path, int error)
{
    return fileMessage("Cannot create file", path, error);
}

std::string cannotOpenMessage(const std::string& path, int error)
{
    return fileMessage("Cannot open file", path, error);
}

void writeFileAtomically(const std::string& path, std::string_view bytes)
{
    const std::filesystem::path target(path);
    if (target.filename().empty())
        throw FileError(cannotCreateMessage(path, EISDIR));
    std::string temp = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const mode_t mode = modeFor(path);

    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw FileError(cannotCreateMessage(path, errno));
    Descriptor file(fd);

    auto fail = [&](int error) {
        if (file.fd >= 0)
            file.close();
        ::unlink(temp.c_str());
        throw FileError(cannotCreateMessage(path, error));
    };
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, bytes) || ::fsync(fd) != 0)
        fail(errno);
    if (!file.close())
        fail(errno);
    if (::rename(temp.c_str(), path.c_str()) != 0)
        fail(errno);
}

std::string readWholeFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileError(cannotOpenMessage(path, errno));
    Descriptor file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw FileError(cannotOpenMessage(path, errno));
    if (S_ISDIR(st.st_mode))
        throw FileError(cannotOpenMessage(path, EISDIR));

    std::string data;
    if (st.st_size > 0)
        data.reserve(static_cast<size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw FileError(cannotOpenMessage(path, errno));
        }
        if (got == 0)
            break;
        data.append(buffer, static_cast<size_t>(got));
    }
    return data;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.push_back(text.substr(start));
    return lines;
}

void appendLine(std::string& out, std::string_view line)
{
    out.append(line);
    out.append("\r\n");
}

std::string normalizeLineEnds(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32 + 2);
    const size_t n = text.size();
    size_t start = 0;
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
    if (start < n) {
        out.append(text.substr(start));
        out.append("\r\n");
    }
    return out;
}
