#include "settings/listfile.h"

#include <csignal>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tempfolder.h"

namespace {

TEST(SplitLines, AcceptsEveryLineEnd)
{
    struct Case {
        const char* name;
        std::string_view text;
        std::vector<std::string> lines;
    } const cases[] = {
        {"empty text has no lines", "", {}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"lone LF", "a\nb\n", {"a", "b"}},
        {"lone CR", "a\rb\r", {"a", "b"}},
        {"mixed ends", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"last line without end", "a\r\nb", {"a", "b"}},
        {"empty lines kept", "\r\n\r\nx\r\n", {"", "", "x"}},
        {"LF CR is two ends", "a\n\rb", {"a", "", "b"}},
        {"CR CR LF is two ends", "a\r\r\nb", {"a", "", "b"}},
        {"blanks kept", " a \r\n", {" a "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SplitLines(c.text), c.lines);
    }
}

TEST(ListFile, WritesCrLfAfterEveryLineAndReadsItBack)
{
    TempFolder folder;
    const std::vector<std::string> list{"first", "", "third line"};
    SaveListToFile(list, folder / "list.dat");
    EXPECT_EQ(folder.read("list.dat"), "first\r\n\r\nthird line\r\n");
    EXPECT_EQ(LoadListFromFile(folder / "list.dat"), list);

    SaveListToFile({}, folder / "list.dat");
    EXPECT_EQ(folder.read("list.dat"), "");
    EXPECT_EQ(folder.entryCount(), 1u) << "no temporary file may be left behind";
}

TEST(ListFile, KeepsEvery8BitByte)
{
    TempFolder folder;
    std::string line;
    for (int c = 0; c < 256; ++c) {
        if (c != '\r' && c != '\n')
            line += static_cast<char>(c);
    }
    SaveListToFile({line}, folder / "bytes.dat");
    EXPECT_EQ(LoadListFromFile(folder / "bytes.dat"), std::vector<std::string>{line});
}

TEST(ListFile, ReportsFilesThatCannotBeOpenedWithFullPathAndReason)
{
    TempFolder folder;
    const std::string missing = (folder / "missing.dat").string();
    try {
        LoadListFromFile(folder / "missing.dat");
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + missing + "\". No such file or directory");
    }
    try {
        LoadListFromFile(folder.path()); // a folder opens but cannot be read
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + folder.path().string() + "\". Is a directory");
    }
}

TEST(ListFile, RelativePathIsReportedInFull)
{
    TempFolder folder;
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    std::string message;
    try {
        LoadListFromFile("nothing.dat");
    } catch (const FileError& e) {
        message = e.what();
    }
    std::filesystem::current_path(previous);
    EXPECT_EQ(message, "Cannot open file \"" + (folder / "nothing.dat").string() + "\". No such file or directory");
}

TEST(ListFile, ReportsFilesThatCannotBeCreated)
{
    TempFolder folder;
    folder.write("plain", "x");
    const std::filesystem::path impossible = folder / "plain" / "list.dat"; // a file is no folder
    try {
        SaveListToFile({"a"}, impossible);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + impossible.string() + "\". Not a directory");
    }
}

// A write that fails halfway (here: the file size limit) must leave the old file whole and no
// half-written temporary file behind. Works for any user, the super-user included.
TEST(ListFile, FailedWriteKeepsOldFile)
{
    TempFolder folder;
    folder.write("list.dat", "old\r\n");

    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = previous;
    tiny.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    std::string message;
    try {
        SaveListToFile({"a line longer than the limit", "and another"}, folder / "list.dat");
    } catch (const FileError& e) {
        message = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(message, "Cannot create file \"" + (folder / "list.dat").string() + "\". File too large");
    EXPECT_EQ(folder.read("list.dat"), "old\r\n");
    EXPECT_EQ(folder.entryCount(), 1u);
}

TEST(ListFile, UnwritableFolderKeepsOldFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not bind the super-user";
    TempFolder folder;
    folder.write("list.dat", "old\r\n");
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_THROW(SaveListToFile({"new"}, folder / "list.dat"), FileError);
    EXPECT_EQ(folder.read("list.dat"), "old\r\n");
}

TEST(ListFile, ReplacingKeepsThePermissionsOfTheOldFile)
{
    TempFolder folder;
    folder.write("list.dat", "old\r\n");
    namespace fs = std::filesystem;
    fs::permissions(folder / "list.dat", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    SaveListToFile({"new"}, folder / "list.dat");
    EXPECT_EQ(fs::status(folder / "list.dat").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

} // namespace
