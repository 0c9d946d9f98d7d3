#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "storage/FileErrors.h"
#include "storage/TextFile.h"
#include "storage/TextForm.h"

using namespace quillory;

namespace {

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("quillory-textfile-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::filesystem::path dir_;
};

}  // namespace

TEST(TextForm, ListEntriesFromText) {
    using Entries = std::vector<std::string>;
    struct Row {
        std::string text;
        Entries entries;
    };
    const Row rows[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"a\n\rb", {"a", "", "b"}},  // LF CR ends two entries
        {"\r\n", {""}},
        {std::string("a\0b", 3), {"a"}},
    };
    for (const Row& row : rows) EXPECT_EQ(SplitStringsTextForm(row.text), row.entries);
    EXPECT_EQ(StringsTextForm({"a", "b"}), "a\r\nb\r\n");
    EXPECT_EQ(StringsTextForm({}), "");
}

TEST(TextForm, MemoLineEndsAreNormalised) {
    EXPECT_EQ(NormaliseLineEnds("a\nb\rc\r\nd\n\re"), "a\r\nb\r\nc\r\nd\r\n\r\ne");
    EXPECT_EQ(UpToFirstNul(std::string_view("ab\0cd", 5)), "ab");
}

TEST_F(TextFileTest, WritesExactBytesAndReadsThemBack) {
    const auto file = dir_ / "blok1.txt";
    LinesToFile("a\r\nb", file);
    EXPECT_EQ(Read(file), "a\r\nb");
    EXPECT_EQ(FileToLines(file), "a\r\nb");
    LinesToFile("", file);
    EXPECT_EQ(std::filesystem::file_size(file), 0u);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

TEST_F(TextFileTest, ReplacingKeepsTheFilesPermissions) {
    const auto file = dir_ / "keep.txt";
    LinesToFile("one", file);
    ::chmod(file.c_str(), 0640);
    LinesToFile("two", file);
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(Read(file), "two");
}

TEST_F(TextFileTest, ErrorsNameTheFullPathAndTheReason) {
    const auto missing = dir_ / "none.txt";
    try {
        FileToLines(missing);
        FAIL() << "no error";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.Message(),
                  "Cannot open file \"" + missing.string() + "\". No such file or directory");
    }
    const auto inMissingFolder = dir_ / "Backups" / "blok1.txt";
    try {
        LinesToFile("x", inMissingFolder);
        FAIL() << "no error";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(error.Message(),
                  "Cannot create file \"" + inMissingFolder.string() + "\". No such file or directory");
    }
    // A relative name is reported made absolute.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    EXPECT_THROW(FileToLines("relative.txt"), EFOpenError);
    try {
        FileToLines("relative.txt");
    } catch (const EFOpenError& error) {
        EXPECT_NE(error.Message().find((dir_ / "relative.txt").string()), std::string::npos);
    }
    std::filesystem::current_path(cwd);
}

TEST_F(TextFileTest, FailedWriteLeavesTheOldFileWhole) {
    // A folder standing where the file should be cannot be replaced: the error comes, nothing is lost.
    const auto file = dir_ / "blok2.txt";
    std::filesystem::create_directory(file);
    EXPECT_THROW(LinesToFile("x", file), EFCreateError);
    EXPECT_TRUE(std::filesystem::is_directory(file));

    // Writing through a link replaces the file it points to and keeps the link.
    const auto target = dir_ / "target.txt";
    LinesToFile("old", target);
    const auto link = dir_ / "link.txt";
    std::filesystem::create_symlink(target, link);
    LinesToFile("new", link);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Read(target), "new");
}
