#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace quillory::test {

// Points XDG_CONFIG_HOME at a fresh temporary folder for one test and removes it afterwards.
class TempConfigFolder : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldValue_ = old;
        std::string pattern = (std::filesystem::temp_directory_path() / "quillory-ini-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        ::setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    }
    void TearDown() override {
        if (oldValue_) {
            ::setenv("XDG_CONFIG_HOME", oldValue_->c_str(), 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        std::filesystem::remove_all(folder_);
    }

    const std::filesystem::path& Folder() const { return folder_; }

    static std::string ReadBytes(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

private:
    std::filesystem::path folder_;
    std::optional<std::string> oldValue_;
};

}  // namespace quillory::test
