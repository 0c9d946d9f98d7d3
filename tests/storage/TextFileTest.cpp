#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "storage/AtomicFile.h"
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

    // A relative link through another link whose file does not exist yet: the file is made there.
    std::filesystem::create_directory(dir_ / "elsewhere");
    std::filesystem::create_symlink("elsewhere/new.txt", dir_ / "inner.txt");
    std::filesystem::create_symlink("inner.txt", dir_ / "outer.txt");
    LinesToFile("made", dir_ / "outer.txt");
    EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "outer.txt"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "inner.txt"));
    EXPECT_EQ(Read(dir_ / "elsewhere" / "new.txt"), "made");

    // A link into a folder that is missing (a drive not attached): an error, the link kept, no folder made.
    const auto dangling = dir_ / "dangling.txt";
    std::filesystem::create_symlink(dir_ / "unplugged" / "blok3.txt", dangling);
    EXPECT_THROW(LinesToFile("lost?", dangling), EFCreateError);
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "unplugged"));
}

// A replacement removes what killed writers of the same file left behind, and nothing else: not a
// file a living writer holds locked, not another file's leftovers, not a name of another pattern.
TEST_F(TextFileTest, ReplacingRemovesOnlyStaleTemporariesOfTheSameFile) {
    const auto file = dir_ / "blok1.txt";
    const std::string prefix = TemporaryNamePrefix("blok1.txt");
    EXPECT_EQ(prefix, ".blok1.txt.quillory-");
    const std::string stale[] = {prefix + "aB3dE9", prefix + "ZZZZZZ"};
    const std::string kept[] = {
        prefix + "held01",                            // its writer is alive
        TemporaryNamePrefix("blok2.txt") + "aB3dE9",  // another file's
        prefix + "aB3dE",
        prefix + "aB3dE9x",
        prefix + "aB-dE9",  // not six letters or digits
        ".blok1.txt.backup",
        "blok1.txt.quillory-aB3dE9",  // other patterns
        prefix + "fold01",            // a folder
        prefix + "link01",            // a link
    };
    for (const std::string& name : stale) std::ofstream(dir_ / name) << "left behind";
    for (const std::string& name : kept) std::ofstream(dir_ / name) << "keep";
    std::filesystem::remove(dir_ / (prefix + "fold01"));
    std::filesystem::create_directory(dir_ / (prefix + "fold01"));
    std::filesystem::remove(dir_ / (prefix + "link01"));
    std::filesystem::create_symlink(dir_ / (prefix + "aB3dE9"), dir_ / (prefix + "link01"));
    const int held = ::open((dir_ / (prefix + "held01")).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    LinesToFile("text", file);
    ::close(held);

    for (const std::string& name : stale) EXPECT_FALSE(std::filesystem::exists(dir_ / name)) << name;
    for (const std::string& name : kept)
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(dir_ / name))) << name;
    EXPECT_EQ(Read(file), "text");
    // Once its writer is gone, the held one goes with the next replacement.
    EXPECT_EQ(RemoveStaleTemporaries(dir_, "blok1.txt"), 1);
}

// A block file that is not a regular file, or is larger than the limit, is refused at once with the
// reason; a FIFO without a writer does not block the read.
TEST_F(TextFileTest, OnlyRegularFilesWithinTheLimitAreRead) {
    const auto fifo = dir_ / "fifo.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto big = dir_ / "big.txt";
    std::ofstream(big) << std::string(101, 'x');
    struct Row {
        std::filesystem::path path;
        std::string reason;
    };
    const Row rows[] = {
        {fifo, "Not a regular file"},
        {dir_, "Is a directory"},
        {big, "File too large: more than 100 bytes"},
    };
    for (const Row& row : rows) {
        try {
            FileToLines(row.path, 100);
            ADD_FAILURE() << row.path << " was read";
        } catch (const EFOpenError& error) {
            EXPECT_EQ(error.Message(), "Cannot open file \"" + row.path.string() + "\". " + row.reason);
        }
    }
    EXPECT_EQ(FileToLines(big, 101), std::string(101, 'x'));
}
