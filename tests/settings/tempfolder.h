// A private folder under the system's temporary folder, removed with everything in it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarnwick-settings.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            ADD_FAILURE() << "mkdtemp failed";
        m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

    void write(std::string_view name, std::string_view content) const
    {
        std::ofstream(m_path / name, std::ios::binary) << content;
    }
    std::string read(std::string_view name) const
    {
        std::ifstream in(m_path / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // Names in the folder, to show that nothing but the expected files was left behind.
    size_t entryCount() const
    {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(m_path),
                                                 std::filesystem::directory_iterator()));
    }

private:
    std::filesystem::path m_path;
};
