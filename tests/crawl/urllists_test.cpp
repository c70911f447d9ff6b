#include "crawl/urllists.h"

#include <gtest/gtest.h>

TEST(UrlQueue, RefusesDuplicatesIgnoringCaseAndKeepsCaseInsensitiveOrder)
{
    UrlQueue queue;
    EXPECT_TRUE(queue.add("http://b.org/Page"));
    EXPECT_TRUE(queue.add("http://A.org/"));
    EXPECT_FALSE(queue.add("HTTP://B.ORG/page"));
    EXPECT_TRUE(queue.add("http://a.org/x"));
    EXPECT_EQ(queue.size(), 3u);
    EXPECT_TRUE(queue.contains("http://b.org/PAGE"));
    EXPECT_EQ(queue.entries(), (std::vector<std::string>{"http://A.org/", "http://a.org/x", "http://b.org/Page"}));
    EXPECT_EQ(queue.take(), "http://A.org/");
    EXPECT_EQ(queue.front(), "http://a.org/x");
    EXPECT_EQ(queue.size(), 2u);
}

TEST(UrlQueue, ShuffledEntriesAreTakenFirstAndStillRefuseDuplicates)
{
    UrlQueue queue;
    const std::vector<std::string> listed{"http://h/1", "http://h/2", "http://h/3", "http://h/4", "http://h/5"};
    for (const auto& url : listed)
        queue.add(url);
    queue.shuffle(12345u);
    EXPECT_EQ(queue.size(), listed.size());
    EXPECT_FALSE(queue.add("HTTP://H/3")) << "a shuffled entry must still refuse its duplicate";
    EXPECT_TRUE(queue.add("http://h/0"));

    const std::vector<std::string> order = queue.entries();
    ASSERT_EQ(order.size(), 6u);
    EXPECT_EQ(order.back(), "http://h/0") << "entries queued after the shuffle come after the shuffled run";
    std::vector<std::string> taken;
    while (!queue.empty()) {
        EXPECT_EQ(queue.front(), order[taken.size()]) << "entry 0 is the one taken next";
        taken.push_back(queue.take());
    }
    EXPECT_EQ(taken, order);
    std::vector<std::string> shuffled(taken.begin(), taken.end() - 1);
    std::sort(shuffled.begin(), shuffled.end());
    EXPECT_EQ(shuffled, listed);
    EXPECT_TRUE(queue.add("http://h/3")) << "a taken entry may be queued again";
}

TEST(UrlQueue, ShuffleOfOneEntryChangesNothing)
{
    UrlQueue queue;
    queue.add("http://h/");
    queue.shuffle();
    EXPECT_EQ(queue.take(), "http://h/");
    EXPECT_TRUE(queue.empty());
}

TEST(UrlSet, MembershipIgnoresCase)
{
    UrlSet set;
    EXPECT_TRUE(set.add("http://Example.org/A"));
    EXPECT_FALSE(set.add("http://example.org/a"));
    EXPECT_TRUE(set.contains("HTTP://EXAMPLE.ORG/A"));
    EXPECT_FALSE(set.contains("http://example.org/b"));
    EXPECT_EQ(set.size(), 1u);
}

TEST(QueueEntry, HopEntriesSplitAtTheLastCodeOne)
{
    struct Case {
        std::string entry;
        std::string url;
        bool isHop;
        int32_t chainId;
    } const cases[] = {
        {"http://h/a", "http://h/a", false, 0},
        {makeHopEntry("http://h/b", 17), "http://h/b", true, 17},
        {std::string("http://h/c\x01x") + '\x01' + "42", "http://h/c\x01x", true, 42},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        const QueueEntry split = splitQueueEntry(c.entry);
        EXPECT_EQ(split.url, c.url);
        EXPECT_EQ(split.isHop, c.isHop);
        EXPECT_EQ(split.chainId, c.chainId);
    }
}

TEST(TextHelpers, TrimBlanksTakesControlCharactersOffBothEnds)
{
    EXPECT_EQ(trimBlanks(" \t\r\n http://a/ b \x01\x1f"), "http://a/ b");
    EXPECT_EQ(trimBlanks("\x7f" "x"), "\x7f" "x") << "DEL is not a control character here";
    EXPECT_EQ(trimBlanks(" \t "), "");
    EXPECT_EQ(trimBlanks("\xa0x"), "\xa0x") << "8-bit bytes stay";
}
