#include "crawl/rowtable.h"

#include <gtest/gtest.h>

TEST(RowTable, GrowsByOneBlockAndKeepsRows)
{
    RowTable rows;
    ASSERT_EQ(rows.capacity(), 100000);
    for (int i = 0; i < 100000; ++i) {
        rows.beginAppend().Url = "u" + std::to_string(i);
        rows.commitAppend();
    }
    const trow* first = &rows[0];
    trow& next = rows.beginAppend();
    EXPECT_EQ(rows.capacity(), 200000);
    next.Url = "new";
    EXPECT_EQ(rows.commitAppend(), 100000);
    EXPECT_EQ(&rows[0], first) << "growing must not move rows";
    EXPECT_EQ(rows[99999].Url, "u99999");
    EXPECT_EQ(rows[100000].Url, "new");
}

TEST(RowTable, ResetEmptiesRowsAndChains)
{
    RowTable rows;
    trow& r = rows.beginAppend();
    r.Url = "x";
    r.ChainId = 3;
    r.Redirects = "2  Loop";
    rows.commitAppend();
    EXPECT_EQ(rows.chainHead(3), 0);
    EXPECT_EQ(rows.chainCount(3), 2);
    rows.reset();
    EXPECT_EQ(rows.RowCount(), 0);
    EXPECT_EQ(rows.chainHead(3), -1);
    EXPECT_EQ(rows.chainCount(3), 0);
    EXPECT_EQ(rows[0].Url, "");
    EXPECT_EQ(rows[0].Redirects, "0");
}

TEST(RowTable, ChainHeadIsLowestIndex)
{
    RowTable rows;
    for (int chain : {5, 7, 5, 5}) {
        rows.beginAppend().ChainId = chain;
        rows.commitAppend();
    }
    EXPECT_EQ(rows.chainHead(5), 0);
    EXPECT_EQ(rows.chainHead(7), 1);
    EXPECT_EQ(rows.chainRows(5), (std::vector<int32_t>{0, 2, 3}));
}

TEST(Redirects, IncrementKeepsRemainder)
{
    struct Case { const char* in; const char* out; int digits; };
    const Case cases[] = {
        {"0", "1 ", 0},
        {"1 ", "2 ", 1},
        {"2  Loop", "3  Loop", 2},
        {"9", "10 ", 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(incrementRedirects(c.in), c.out);
        EXPECT_EQ(redirectDigits(c.in), c.digits);
    }
}
