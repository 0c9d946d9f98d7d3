#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "spelling/SpellDictionary.h"

namespace quillory {
namespace {

namespace fs = std::filesystem;

// A folder of the test's own, removed with it.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "quillory-spelling-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }
    fs::path Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
        return path_ / name;
    }

private:
    fs::path path_;
};

// A small Czech dictionary kept in ISO 8859-2, as older dictionaries are: "kůň", "žluťoučký",
// "děkujeme", "objednávku" in that character set's bytes.
const std::string kLatin2Affix =
    "SET ISO8859-2\nTRY \xEC\xB9\xE8\xF8\xBE\xFD\xE1\xED\xE9\xF9\xFA\xF2oeantlsivkdrmupchjz\n";
const std::string kLatin2Words = "4\nk\xF9\xF2\n\xBElu\xBBou\xE8k\xFD\nd\xECkujeme\nobjedn\xE1vku\n";

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

TEST(SpellDictionary, ConvertsBetweenUtf8AndTheDictionarysCharacterSet) {
    TempFolder folder;
    SpellDictionary dictionary(folder.Write("cs_TEST.aff", kLatin2Affix),
                               folder.Write("cs_TEST.dic", kLatin2Words));
    EXPECT_EQ(dictionary.Encoding(), "ISO8859-2");
    EXPECT_TRUE(dictionary.Check("kůň"));
    EXPECT_TRUE(dictionary.Check("žluťoučký"));
    EXPECT_TRUE(dictionary.Check("Děkujeme"));  // a capitalised known word
    EXPECT_FALSE(dictionary.Check("kun"));
    EXPECT_FALSE(dictionary.Check("dekujeme"));
    // Letters the character set cannot hold: the dictionary cannot judge the word.
    EXPECT_TRUE(dictionary.Check("日本"));
    EXPECT_TRUE(Contains(dictionary.Suggest("dekujeme"), "děkujeme"));
    EXPECT_TRUE(Contains(dictionary.Suggest("objednavku"), "objednávku"));
    EXPECT_TRUE(dictionary.Suggest("日本").empty());
    dictionary.Add("Quillory");
    EXPECT_TRUE(dictionary.Check("Quillory"));
}

struct BrokenRow {
    const char* name;
    std::string affix;  // empty: no affix file
    std::string words;  // empty: no word file
    bool wordFileIsFolder = false;
};

// Rows show by name in the test list.
void PrintTo(const BrokenRow& row, std::ostream* out) { *out << row.name; }

class BrokenDictionaryTest : public ::testing::TestWithParam<BrokenRow> {};

TEST_P(BrokenDictionaryTest, FailsToLoadNamingTheFile) {
    const BrokenRow& row = GetParam();
    TempFolder folder;
    if (!row.affix.empty()) folder.Write("xx_XX.aff", row.affix);
    if (!row.words.empty()) folder.Write("xx_XX.dic", row.words);
    if (row.wordFileIsFolder) fs::create_directory(folder.Path() / "xx_XX.dic");
    try {
        SpellDictionary dictionary(folder.Path() / "xx_XX.aff", folder.Path() / "xx_XX.dic");
        FAIL() << "loaded";
    } catch (const SpellDictionaryError& error) {
        EXPECT_NE(error.Message().find(folder.Path().string()), std::string::npos) << error.Message();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BrokenDictionaryTest,
    ::testing::Values(BrokenRow{"no_affix_file", "", kLatin2Words},
                      BrokenRow{"no_word_file", kLatin2Affix, ""},
                      BrokenRow{"word_file_is_a_folder", kLatin2Affix, "", true},
                      BrokenRow{"word_file_without_its_count", kLatin2Affix, "k\xF9\xF2\nd\xECkujeme\n"},
                      BrokenRow{"word_file_of_blank_lines", kLatin2Affix, "3\n\n\n\n\n"},
                      BrokenRow{"character_set_unknown", "SET X-NO-SUCH-SET\n", kLatin2Words}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SpellDictionary, EmptyWordFileFails) {
    TempFolder folder;
    EXPECT_THROW(SpellDictionary(folder.Write("xx.aff", kLatin2Affix), folder.Write("xx.dic", "")),
                 SpellDictionaryError);
}

// Debian's Czech dictionary (hunspell-cs), which scripts/install-deps.sh installs.
TEST(SpellDictionary, CzechDictionaryJudgesCzech) {
    const fs::path folder = "/usr/share/hunspell";
    ASSERT_TRUE(fs::exists(folder / "cs_CZ.dic")) << "the Czech dictionary (hunspell-cs) is not installed";
    SpellDictionary czech(folder / "cs_CZ.aff", folder / "cs_CZ.dic");
    for (const char* word : {"Děkujeme", "za", "vaši", "objednávku", "tj.", "např.", "e-mail", "Kč", "IČO"})
        EXPECT_TRUE(czech.Check(word)) << word;
    for (const char* word : {"Dekujeme", "vasi", "objednavku", "tj", "Quillory"})
        EXPECT_FALSE(czech.Check(word)) << word;
    EXPECT_TRUE(Contains(czech.Suggest("Dekujeme"), "Děkujeme"));
}

}  // namespace
}  // namespace quillory
