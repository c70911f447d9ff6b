#include "projectfixture.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

TEST(TextFileTest, SplitLinesAcceptsEveryLineEnd)
{
    struct Case {
        const char* text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"\r\n\r\n", {"", ""}},
        {"a\n\rb", {"a", "", "b"}},  // LF then CR: two line ends
        {"a\r\r\nb", {"a", "", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto views = splitLines(c.text);
        EXPECT_EQ(std::vector<std::string>(views.begin(), views.end()), c.lines);
        std::string joined;
        for (const auto& line : c.lines)
            appendLine(joined, line);
        EXPECT_EQ(normalizeLineEnds(c.text), joined);
    }
}

TEST(TextFileTest, AtomicWriteReplacesAndLeavesNoTemporaryFile)
{
    ScratchFolder folder;
    const std::string path = folder.file("out.txt");
    writeFileAtomically(path, "old\r\n");
    writeFileAtomically(path, "new\r\n");
    EXPECT_EQ(readWholeFile(path), "new\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(TextFileTest, FailuresCarryTheExactMessage)
{
    ScratchFolder folder;
    const std::string missing = folder.file("no/such/folder/out.txt");
    try {
        writeFileAtomically(missing, "x");
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file \"" + missing + "\". " + std::strerror(ENOENT));
    }
    try {
        readWholeFile(folder.file("absent.sitemap"));
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open file \"" + folder.file("absent.sitemap") + "\". " + std::strerror(ENOENT));
    }
    // A folder in the way of the destination: the old content survives, no stray file.
    std::filesystem::create_directory(folder.file("taken"));
    EXPECT_THROW(writeFileAtomically(folder.file("taken"), "x"), FileError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

} // namespace
