#include "settings/programfolder.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "tempfolder.h"

namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, WritableExecutableFolderIsUsed)
{
    TempFolder exe;
    TempFolder config;
    const fs::path chosen = ChooseProgramFolder(exe.path(), config.path());
    EXPECT_EQ(chosen.string(), exe.path().string() + "/");
    EXPECT_EQ(exe.entryCount(), 0u) << "the write probe is removed";
    EXPECT_FALSE(fs::exists(config / "tarnwick"));
}

TEST(ProgramFolder, UnwritableExecutableFolderFallsBackToConfigFolder)
{
    TempFolder exe;
    TempFolder config;
    exe.write("plain", "x");
    const fs::path unwritable[] = {
        exe / "plain",   // a file where the folder should be: nothing can be created in it
        exe / "missing", // a folder that is gone
    };
    for (const fs::path& folder : unwritable) {
        SCOPED_TRACE(folder.string());
        const fs::path chosen = ChooseProgramFolder(folder, config / "nested");
        EXPECT_EQ(chosen.string(), (config / "nested" / "tarnwick").string() + "/");
        EXPECT_TRUE(fs::is_directory(chosen)) << "created on demand";
    }
}

TEST(ProgramFolder, ReadOnlyExecutableFolderFallsBackToConfigFolder)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not bind the super-user";
    TempFolder exe;
    TempFolder config;
    fs::permissions(exe.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ChooseProgramFolder(exe.path(), config.path()).string(), (config / "tarnwick").string() + "/");
}

TEST(ProgramFolder, ConfigFolderThatCannotBeMadeKeepsExecutableFolder)
{
    TempFolder exe;
    exe.write("plain", "x");
    const fs::path chosen = ChooseProgramFolder(exe / "plain", exe / "plain" / "config");
    EXPECT_EQ(chosen.string(), (exe / "plain").string() + "/");
}

TEST(ProgramFolder, ConfigHomeFromEnvironment)
{
    const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string xdg = savedXdg ? savedXdg : "";
    const char* savedHome = std::getenv("HOME");
    const std::string home = savedHome ? savedHome : "";

    ::setenv("XDG_CONFIG_HOME", "/xdg/config", 1);
    EXPECT_EQ(UserConfigHome(), fs::path("/xdg/config"));
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1); // only absolute paths count
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(UserConfigHome(), fs::path("/home/someone/.config"));
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserConfigHome(), fs::path("/home/someone/.config"));

    if (savedXdg)
        ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
    if (savedHome)
        ::setenv("HOME", home.c_str(), 1);
    else
        ::unsetenv("HOME");
}

} // namespace
