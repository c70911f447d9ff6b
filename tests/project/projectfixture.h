// Small row tables and scratch folders for the project-file tests.
#pragma once

#include "crawl/rowtable.h"
#include "project/textfile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

struct TestRow {
    TestRow(std::string u, int32_t s = 200, std::string t = "text/html", std::string ti = {})
        : url(std::move(u)), status(s), type(std::move(t)), title(std::move(ti)) {}
    std::string url;
    int32_t status;
    std::string type;
    std::string title;
    std::string lastMod, changeFreq, priority;
    std::string reason = "OK";
    std::string redirectedTo;

    TestRow& tags(std::string l, std::string c, std::string p)
    {
        lastMod = std::move(l);
        changeFreq = std::move(c);
        priority = std::move(p);
        return *this;
    }
};

// A row table filled from testRows, with one line per row in table order.
class RowsFixture : public ::testing::Test {
protected:
    void fill(const std::vector<TestRow>& testRows)
    {
        rows.reset();
        lines.clear();
        for (const TestRow& testRow : testRows) {
            trow& row = rows.beginAppend();
            row.Url = testRow.url;
            row.Status = testRow.status;
            row.ContentType = testRow.type;
            row.Title = testRow.title;
            row.Reason = testRow.reason;
            row.RedirectedTo = testRow.redirectedTo;
            row.LastModified = testRow.lastMod;
            row.ChangeFrequency = testRow.changeFreq;
            row.Priority = testRow.priority;
            lines.push_back(rows.commitAppend());
        }
    }

    RowTable rows;
    std::vector<int32_t> lines;
};

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::filesystem::temp_directory_path() /
                 ("tarnwick-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~ScratchFolder() { std::filesystem::remove_all(m_path); }

    std::string file(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline std::string readBytes(const std::string& path) { return readWholeFile(path); }
