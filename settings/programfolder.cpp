#include "settings/programfolder.h"

#include <cstdlib>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path withTrailingSeparator(fs::path folder)
{
    if (folder.has_filename())
        folder /= "";
    return folder;
}

fs::path executableFolder()
{
    std::error_code ec;
    const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return executable.parent_path();
}

} // namespace

bool IsWritableFolder(const fs::path& folder)
{
    if (folder.empty())
        return false;
    std::string probe = (folder / ".tarnwick-write-test.XXXXXX").string();
    const int fd = ::mkostemp(probe.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

fs::path UserConfigHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && fs::path(xdg).is_absolute())
        return fs::path(xdg);
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        if (const passwd* entry = ::getpwuid(::getuid()))
            home = entry->pw_dir;
    }
    if (home == nullptr || *home == '\0')
        return {};
    return fs::path(home) / ".config";
}

fs::path ChooseProgramFolder(const fs::path& executableFolder, const fs::path& configHome)
{
    if (IsWritableFolder(executableFolder))
        return withTrailingSeparator(executableFolder);
    if (!configHome.empty()) {
        const fs::path userFolder = configHome / "tarnwick";
        std::error_code ec;
        fs::create_directories(userFolder, ec);
        if (!ec && fs::is_directory(userFolder, ec))
            return withTrailingSeparator(userFolder);
    }
    if (!executableFolder.empty())
        return withTrailingSeparator(executableFolder);
    return withTrailingSeparator(configHome / "tarnwick");
}

fs::path ProgramFolder()
{
    static const fs::path folder = ChooseProgramFolder(executableFolder(), UserConfigHome());
    return folder;
}
