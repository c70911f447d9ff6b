#include "project/handoff.h"

#include "projectfixture.h"

#include <fstream>
#include <set>
#include <unistd.h>

namespace {

// The queue's own rule: sorted, duplicates ignored without regard to letter case.
struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const
    {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](unsigned char x, unsigned char y) { return std::toupper(x) < std::toupper(y); });
    }
};

class HandOffTest : public ::testing::Test {
protected:
    HandOffResult take()
    {
        return TakeHandOffFile(folder.path().string(), [&](const std::string& url) { queue.insert(url); });
    }
    void writeList(const std::string& bytes)
    {
        std::ofstream(folder.file(kHandOffFileName), std::ios::binary) << bytes;
    }

    ScratchFolder folder;
    std::set<std::string, CaseInsensitiveLess> queue;
};

TEST_F(HandOffTest, ListIsTakenAndDeleted)
{
    writeList("http://s.test/A\r\nhttp://s.test/a\nhttps://s.test/b\r\n");
    const HandOffResult result = take();
    EXPECT_EQ(result.status, HandOffStatus::Taken);
    EXPECT_TRUE(result.pending());
    EXPECT_EQ(result.entries, 3);
    EXPECT_EQ(queue.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(folder.file(kHandOffFileName)));
}

TEST_F(HandOffTest, EmptyFileIsDeletedAndGivesNoEntries)
{
    writeList("");
    const HandOffResult result = take();
    EXPECT_EQ(result.status, HandOffStatus::Taken);
    EXPECT_EQ(result.entries, 0);
    EXPECT_TRUE(queue.empty());
    EXPECT_FALSE(std::filesystem::exists(folder.file(kHandOffFileName)));
}

TEST_F(HandOffTest, NoFileOrAFolderStartsIdle)
{
    EXPECT_EQ(take().status, HandOffStatus::NoFile);
    std::filesystem::create_directory(folder.file(kHandOffFileName));
    EXPECT_EQ(take().status, HandOffStatus::NoFile);
    EXPECT_TRUE(std::filesystem::is_directory(folder.file(kHandOffFileName)));
}

TEST_F(HandOffTest, UnreadableFileDoesNotStopStartUp)
{
    // A file every read of which fails, whoever runs the test.
    std::filesystem::create_symlink("/proc/self/mem", folder.file(kHandOffFileName));
    HandOffResult result;
    EXPECT_NO_THROW(result = take());
    EXPECT_EQ(result.status, HandOffStatus::Unreadable);
    EXPECT_FALSE(result.pending());
    EXPECT_FALSE(result.problem.empty());
    EXPECT_TRUE(queue.empty());
}

} // namespace
