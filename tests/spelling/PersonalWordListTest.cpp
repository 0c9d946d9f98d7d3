#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

#include "spelling/PersonalWordList.h"

namespace quillory {
namespace {

namespace fs = std::filesystem;
using Problem = PersonalWordList::Problem;

class PersonalWordListTest : public ::testing::Test {
protected:
    PersonalWordListTest() {
        std::string pattern = (fs::temp_directory_path() / "quillory-words-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        folder_ = pattern;
    }
    ~PersonalWordListTest() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    fs::path File() const { return folder_ / "slovnik.txt"; }
    void Write(const std::string& bytes) const { std::ofstream(File(), std::ios::binary) << bytes; }
    std::string Read() const {
        std::ifstream in(File(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path folder_;
};

TEST_F(PersonalWordListTest, ReadsOneWordALine) {
    Write("\xEF\xBB\xBFQuillory\r\n  Novák \n\n\tŽďár\n");
    PersonalWordList list(File());
    list.Load();
    EXPECT_EQ(list.LoadProblem(), Problem::None);
    EXPECT_EQ(list.Words(), (std::vector<std::string>{"Quillory", "Novák", "Žďár"}));
    EXPECT_TRUE(list.Contains("Novák"));
    EXPECT_FALSE(list.Contains("novák"));
}

// Files joined one after another carry a byte order mark at each start, and an old Mac editor ends
// lines with a CR alone: neither may end up inside a word, or the word would not survive being
// written back and read again.
TEST_F(PersonalWordListTest, ReadsJoinedFilesAndLoneCarriageReturns) {
    Write("\xEF\xBB\xBF\xEF\xBB\xBFŽďár\r\n\xEF\xBB\xBF Novák\rPlzeň \xEF\xBB\xBF\n\xEF\xBB\xBF\n");
    PersonalWordList list(File());
    list.Load();
    EXPECT_EQ(list.Words(), (std::vector<std::string>{"Žďár", "Novák", "Plzeň"}));
    EXPECT_TRUE(list.Add("Quillory"));
    EXPECT_EQ(Read(), "Žďár\nNovák\nPlzeň\nQuillory\n");
}

TEST_F(PersonalWordListTest, MissingFileIsAnEmptyListCreatedByTheFirstAdd) {
    PersonalWordList list(File());
    list.Load();
    EXPECT_EQ(list.LoadProblem(), Problem::None);
    EXPECT_TRUE(list.Words().empty());
    EXPECT_TRUE(list.Add("Quillory"));
    EXPECT_TRUE(list.Add("Novák"));
    EXPECT_TRUE(list.Add("Quillory"));
    EXPECT_EQ(Read(), "Quillory\nNovák\n");
}

TEST_F(PersonalWordListTest, AddKeepsWordsAnotherCopyWroteSinceTheLoad) {
    Write("Quillory\n");
    PersonalWordList list(File());
    list.Load();
    Write("Quillory\nPlzeň\n");
    EXPECT_TRUE(list.Add("Novák"));
    EXPECT_EQ(Read(), "Quillory\nNovák\nPlzeň\n");
    EXPECT_TRUE(list.Contains("Plzeň"));
}

struct DamageRow {
    const char* name;
    std::string bytes;
    Problem problem;
};

// Rows show by name in the test list.
void PrintTo(const DamageRow& row, std::ostream* out) { *out << row.name; }

class DamagedWordListTest : public PersonalWordListTest, public ::testing::WithParamInterface<DamageRow> {};

TEST_P(DamagedWordListTest, IsNotUsedAndNeverWrittenOver) {
    const DamageRow& row = GetParam();
    Write(row.bytes);
    PersonalWordList list(File());
    list.Load();
    EXPECT_EQ(list.LoadProblem(), row.problem);
    EXPECT_TRUE(list.Words().empty());
    EXPECT_TRUE(list.Add("Quillory"));  // for the run only
    EXPECT_TRUE(list.Contains("Quillory"));
    EXPECT_EQ(Read(), row.bytes);
}

INSTANTIATE_TEST_SUITE_P(Rows, DamagedWordListTest,
                         ::testing::Values(DamageRow{"windows_1250_bytes", "Nov\xE1k\n", Problem::NotText},
                                           DamageRow{"nul_byte", std::string("Nov\0k\n", 6),
                                                     Problem::NotText},
                                           DamageRow{"overlong_utf8", "\xC0\xAF\n", Problem::NotText},
                                           DamageRow{"utf16_surrogate", "\xED\xA0\x80\n", Problem::NotText},
                                           DamageRow{"truncated_sequence", "Nov\xC3", Problem::NotText},
                                           DamageRow{"control_character", "Nov\x1B[0mk\n", Problem::NotText}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PersonalWordListTest, TooLargeFileIsNotRead) {
    Write(std::string(PersonalWordList::kMaxBytes + 1, 'a'));
    PersonalWordList list(File());
    list.Load();
    EXPECT_EQ(list.LoadProblem(), Problem::TooLarge);
    EXPECT_TRUE(list.Add("Quillory"));
    EXPECT_EQ(fs::file_size(File()), PersonalWordList::kMaxBytes + 1);
}

TEST_F(PersonalWordListTest, FifoIsNeitherReadNorReplaced) {
    ASSERT_EQ(::mkfifo(File().c_str(), 0600), 0);
    PersonalWordList list(File());
    list.Load();  // returns at once: no writer is waited for
    EXPECT_EQ(list.LoadProblem(), Problem::NotRegular);
    EXPECT_TRUE(list.Add("Quillory"));
    EXPECT_TRUE(fs::is_fifo(File()));
}

TEST_F(PersonalWordListTest, FolderInItsPlaceIsNotRegular) {
    fs::create_directory(File());
    PersonalWordList list(File());
    list.Load();
    EXPECT_EQ(list.LoadProblem(), Problem::NotRegular);
}

TEST_F(PersonalWordListTest, UnreadableFileIsReportedWithItsErrorAndKept) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
    Write("Quillory\n");
    fs::permissions(File(), fs::perms::none);
    PersonalWordList list(File());
    list.Load();
    EXPECT_EQ(list.LoadProblem(), Problem::Unreadable);
    EXPECT_EQ(list.LoadError(), EACCES);
    EXPECT_TRUE(list.Add("Novák"));
    fs::permissions(File(), fs::perms::owner_read);
    EXPECT_EQ(Read(), "Quillory\n");
}

TEST_F(PersonalWordListTest, FileDamagedAfterTheLoadIsNotWrittenOver) {
    Write("Quillory\n");
    PersonalWordList list(File());
    list.Load();
    Write("Nov\xE1k\n");
    EXPECT_TRUE(list.Add("Plzeň"));
    EXPECT_EQ(list.LoadProblem(), Problem::NotText);
    EXPECT_EQ(Read(), "Nov\xE1k\n");
}

TEST_F(PersonalWordListTest, WriteFailureIsReported) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into any folder";
    PersonalWordList list(File());
    list.Load();
    fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
    const TReplaceResult result = list.Add("Quillory");
    fs::permissions(folder_, fs::perms::owner_all);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error, EACCES);
    EXPECT_TRUE(list.Contains("Quillory"));
}

}  // namespace
}  // namespace quillory
