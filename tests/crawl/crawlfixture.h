// The controller under test with its fakes.
#pragma once

#include "crawl/crawlcontroller.h"

#include "fakecrawl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

inline const std::string kSite = "http://site.test/";

// A controller over a recording screen and scripted clients; timers tick only when told.
class Crawl : public ::testing::Test {
protected:
    void SetUp() override { make(); }

    void make(int connections = 10)
    {
        controller = std::make_unique<CrawlController>(screen, factory, settings);
        WorkingSettings working;
        working.Connections = connections;
        controller->setWorkingSettings(working);
        // Timers never fire on their own; tests tick them explicitly.
        controller->setTimerIntervals(1'000'000, 1'000'000);
        controller->setTickSource([this] { return clock; });
    }

    void start(const std::string& url)
    {
        screen.startUrl = url;
        controller->Button1Click();
    }

    bool finish() { return spinUntil([this] { return !controller->scanning(); }); }

    CrawlData& data() { return controller->data(); }
    const trow& row(int32_t i) { return data().Rows[i]; }
    std::vector<std::string> visibleUrls()
    {
        std::vector<std::string> out;
        for (int32_t line : screen.gridLines)
            out.push_back(row(line).Url);
        return out;
    }
    const trow* rowOf(const std::string& url)
    {
        for (int32_t i = 0; i < data().RowCount(); ++i) {
            if (row(i).Url == url)
                return &row(i);
        }
        return nullptr;
    }
    std::vector<std::string> fetchedSorted() const
    {
        std::vector<std::string> urls = factory.urls();
        std::sort(urls.begin(), urls.end());
        return urls;
    }
    int count(const std::string& message)
    {
        return static_cast<int>(std::count(screen.messages.begin(), screen.messages.end(), message));
    }

    FakeScreen screen;
    FakeFactory factory;
    ProjectSettings settings;
    int64_t clock = 1'000'000;
    std::unique_ptr<CrawlController> controller;
};

