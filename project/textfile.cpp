#include "project/textfile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes a descriptor on every path out of a function.
struct Descriptor {
    int fd;
    explicit Descriptor(int d) : fd(d) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
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

namespace {
constexpr size_t kFileBuffer = 1 << 20;
}

AtomicFile::AtomicFile(std::string path)
    : m_path(std::move(path))
{
    const std::filesystem::path target(m_path);
    if (target.filename().empty())
        throw FileError(CannotCreateFileMessage(m_path, EISDIR));
    // A hidden name beside the destination; built step by step because g++ 12 warns
    // wrongly about "." + std::string at -O3.
    std::string name(".");
    name.append(target.filename().string());
    name.append(".XXXXXX");
    m_temp = (target.parent_path() / name).string();
    const mode_t mode = modeFor(m_path);
    m_fd = ::mkstemp(m_temp.data());
    if (m_fd < 0)
        throw FileError(CannotCreateFileMessage(m_path, errno));
    if (::fchmod(m_fd, mode) != 0)
        fail(errno);
    m_buffer.reserve(kFileBuffer);
}

AtomicFile::~AtomicFile()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_temp.c_str());
    }
}

void AtomicFile::fail(int error)
{
    ::close(m_fd);
    m_fd = -1;
    ::unlink(m_temp.c_str());
    throw FileError(CannotCreateFileMessage(m_path, error));
}

void AtomicFile::flush()
{
    if (!writeAll(m_fd, m_buffer))
        fail(errno);
    m_buffer.clear();
}

void AtomicFile::append(std::string_view bytes)
{
    if (m_buffer.size() + bytes.size() > kFileBuffer) {
        flush();
        if (bytes.size() > kFileBuffer) {
            if (!writeAll(m_fd, bytes))
                fail(errno);
            return;
        }
    }
    m_buffer.append(bytes);
}

void AtomicFile::push_back(char c)
{
    if (m_buffer.size() == kFileBuffer)
        flush();
    m_buffer.push_back(c);
}

void AtomicFile::commit()
{
    flush();
    if (::fsync(m_fd) != 0)
        fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(m_temp.c_str());
        throw FileError(CannotCreateFileMessage(m_path, error));
    }
    if (::rename(m_temp.c_str(), m_path.c_str()) != 0) {
        const int error = errno;
        ::unlink(m_temp.c_str());
        throw FileError(CannotCreateFileMessage(m_path, error));
    }
}

void writeFileAtomically(const std::string& path, std::string_view bytes)
{
    AtomicFile file(path);
    file.append(bytes);
    file.commit();
}

namespace {

// Opens a file for reading and tells its size; a folder is refused like an unreadable file.
int openForReading(const std::string& path, off_t& size)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileError(CannotOpenFileMessage(path, errno));
    Descriptor file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw FileError(CannotOpenFileMessage(path, errno));
    if (S_ISDIR(st.st_mode))
        throw FileError(CannotOpenFileMessage(path, EISDIR));
    file.fd = -1; // handed to the caller
    size = st.st_size;
    return fd;
}

} // namespace

std::string readWholeFile(const std::string& path)
{
    off_t size = 0;
    const int fd = openForReading(path, size);
    Descriptor file(fd);

    // Read straight into the result; a file that grows meanwhile is read to its end.
    std::string data(static_cast<size_t>(std::max<off_t>(size, 0)), '\0');
    size_t filled = 0;
    for (;;) {
        if (filled == data.size())
            data.resize(data.size() + (1 << 16));
        const ssize_t got = ::read(fd, data.data() + filled, data.size() - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw FileError(CannotOpenFileMessage(path, errno));
        }
        if (got == 0)
            break;
        filled += static_cast<size_t>(got);
    }
    data.resize(filled);
    return data;
}

size_t LineCursor::nextOf(char c, size_t& cached)
{
    if (!m_started || cached < m_pos) {
        const void* found = std::memchr(m_text.data() + m_pos, c, m_text.size() - m_pos);
        cached = found ? static_cast<size_t>(static_cast<const char*>(found) - m_text.data()) : m_text.size();
    }
    return cached;
}

bool LineCursor::next(std::string_view& line)
{
    const size_t n = m_text.size();
    if (m_pos >= n)
        return false;
    const size_t cr = nextOf('\r', m_nextCr);
    const size_t lf = nextOf('\n', m_nextLf);
    m_started = true;
    const size_t at = std::min(cr, lf);
    line = m_text.substr(m_pos, at - m_pos);
    if (at == n)
        m_pos = n;
    else if (at == cr && lf == cr + 1)
        m_pos = at + 2;
    else
        m_pos = at + 1;
    return true;
}

FileBytes::FileBytes(const std::string& path)
{
    off_t size = 0;
    const int fd = openForReading(path, size);
    Descriptor file(fd);

    // One page more than the file holds, so that a file that grew since fstat shows up as
    // a full buffer and is then read to its end through a larger one.
    size_t capacity = static_cast<size_t>(std::max<off_t>(size, 0)) + 4096;
    for (;;) {
        void* memory = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (memory == MAP_FAILED)
            throw FileError(CannotOpenFileMessage(path, errno));
        if (m_data) {
            std::memcpy(memory, m_data, m_size);
            ::munmap(m_data, m_capacity);
        }
        m_data = static_cast<char*>(memory);
        m_capacity = capacity;
        while (m_size < m_capacity) {
            const ssize_t got = ::read(fd, m_data + m_size, m_capacity - m_size);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                const int error = errno;
                ::munmap(m_data, m_capacity);
                m_data = nullptr;
                throw FileError(CannotOpenFileMessage(path, error));
            }
            if (got == 0)
                return;
            m_size += static_cast<size_t>(got);
        }
        capacity *= 2;
    }
}

FileBytes::~FileBytes()
{
    if (m_data)
        ::munmap(m_data, m_capacity);
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    LineCursor cursor(text);
    std::string_view line;
    while (cursor.next(line))
        lines.push_back(line);
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
    out.reserve(text.size() + 2);
    appendWithCrLf(out, text);
    if (!out.empty() && out.back() != '\n')
        out.append("\r\n");
    return out;
}
