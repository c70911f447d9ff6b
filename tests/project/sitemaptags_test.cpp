#include "project/sitemaptags.h"

#include "projectfixture.h"

namespace {

class TagsTest : public RowsFixture {
protected:
    void fillTen()
    {
        std::vector<TestRow> testRows;
        for (int i = 0; i < 10; ++i)
            testRows.emplace_back("http://s.test/" + std::to_string(i));
        fill(testRows);
        for (int i = 0; i < 10; ++i)
            StampNewRowTags(tags, rows[i]);
        selected.assign(10, 0);
    }

    int32_t apply(std::string_view name, std::string_view value)
    {
        return ApplyUrlTag(name, value, tags, rows, lines, selected, modified);
    }

    TagSettings tags = TagSettings::defaults(2024, 3, 5);
    std::vector<uint8_t> selected;
    bool modified = false;
};

TEST_F(TagsTest, DefaultsStampNewRows)
{
    trow row;
    StampNewRowTags(tags, row);
    EXPECT_EQ(row.LastModified, "2024-03-05");
    EXPECT_EQ(row.ChangeFrequency, "daily");
    EXPECT_EQ(row.Priority, "0.5");
    EXPECT_FALSE(tags.selectedRowsOnly);

    tags.lastModifiedOn = false;
    StampNewRowTags(tags, row);
    EXPECT_EQ(row.LastModified, "");
    EXPECT_EQ(row.Priority, "0.5");
    EXPECT_EQ(formatTagDate(987, 12, 31), "0987-12-31");
}

TEST_F(TagsTest, UntickingClearsAndTickingWritesOnEveryRow)
{
    fillTen();
    tags.priorityOn = false;
    EXPECT_EQ(apply(kTagPriority, tags.priority), 10);
    EXPECT_TRUE(modified);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(rows[i].Priority, "") << i;

    tags.priorityOn = true;
    tags.priority = "0.8";
    apply(kTagPriority, tags.priority);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(rows[i].Priority, "0.8") << i;
    EXPECT_EQ(rows[3].ChangeFrequency, "daily");
}

TEST_F(TagsTest, SelectedRowsOnly)
{
    fillTen();
    tags.selectedRowsOnly = true;
    selected[2] = selected[7] = 1;
    tags.changeFrequency = "weekly";
    EXPECT_EQ(apply(kTagChangeFreq, "weekly"), 2);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(rows[lines[static_cast<size_t>(i)]].ChangeFrequency, i == 2 || i == 7 ? "weekly" : "daily") << i;
}

TEST_F(TagsTest, ProjectModifiedOnlyWithRows)
{
    EXPECT_EQ(apply(kTagLastMod, "2024-01-01"), 0);
    EXPECT_FALSE(modified);
    fillTen();
    EXPECT_EQ(apply("unknown", "x"), 0);
    EXPECT_TRUE(modified);
    EXPECT_EQ(rows[0].LastModified, "2024-03-05");
}

} // namespace
