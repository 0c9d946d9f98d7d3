#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/Utf8.h"
#include "spelling/SpellingWords.h"

namespace quillory {
namespace {

using Words = std::vector<std::string>;

// The words handed to the dictionary (UTF-8), each with "." when a full stop follows it.
Words WordsOf(const std::string& utf8, const std::u16string& joiners = {}) {
    const std::u16string text = Utf16FromUtf8(utf8);
    Words words;
    for (const SpellingWord& word : WordsToCheck(text, joiners))
        words.push_back(Utf8FromUtf16(std::u16string_view(text).substr(word.start, word.length)) +
                        (word.trailingDot ? "." : ""));
    return words;
}

struct Row {
    const char* name;
    const char* text;
    Words words;
};

// Rows show by name in the test list.
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

class SpellingWordsTest : public ::testing::TestWithParam<Row> {};

TEST_P(SpellingWordsTest, GivesTheWordsTheDictionaryJudges) {
    const Row& row = GetParam();
    EXPECT_EQ(WordsOf(row.text), row.words) << row.text;
}

const Row kRows[] = {
    {"plain_sentence", "Dekujeme za vasi objednavku", {"Dekujeme", "za", "vasi", "objednavku"}},
    {"czech_letters_and_punctuation",
     "Vážený pane Nováku, děkujeme!",
     {"Vážený", "pane", "Nováku", "děkujeme"}},
    {"sentence_end_keeps_its_full_stop", "Těšíme se. Ahoj", {"Těšíme", "se.", "Ahoj"}},
    {"hyphenated_word_is_one", "Pošlete e-mail", {"Pošlete", "e-mail"}},
    {"hyphen_at_the_end_is_not_part", "česko- a slovenský", {"česko", "slovenský"}},
    {"short_abbreviation_with_its_full_stop", "tj. např. atd.", {"tj.", "např.", "atd."}},
    {"dotted_company_forms_are_passed_over", "Firma s.r.o. a Banka a.s., v.o.s.", {"Firma", "Banka"}},
    {"dotted_form_without_final_stop", "Firma s.r.o", {"Firma"}},
    {"amount", "Cena 12 500 Kč", {"Cena", "Kč"}},
    {"amount_with_decimals_and_currency_sign", "12 500,50 Kč nebo 1.234,- €", {"Kč", "nebo"}},
    {"dates", "dne 1. 5. 2024 a 1.5.2024 nebo 2024-05-01", {"dne", "nebo"}},
    {"words_with_digits", "formát A4, MP3 a 3D", {"formát"}},
    {"single_letters_and_initials", "J. Novák a syn", {"Novák", "syn"}},
    {"email_address", "Pište na jan.novak@firma.cz, děkujeme", {"Pište", "na", "děkujeme"}},
    {"email_address_in_angle_brackets", "Jan <jan@firma.cz>", {"Jan"}},
    {"web_link", "Viz https://www.firma.cz/ceník?id=1 dole", {"Viz", "dole"}},
    {"www_link_in_parentheses", "(www.firma.cz/kontakt)", {}},
    {"host_name", "na firma.cz nebo firma.cz/cenik.", {"na", "nebo"}},
    {"mailto_link", "mailto:obchod@firma.cz", {}},
    {"missing_space_after_full_stop", "konec.Další věta", {"konec.", "Další", "věta"}},
    {"placeholder", "{oslovení} pane {příjmení},", {"pane"}},
    {"placeholder_with_spaces", "dne {datum splatnosti} zaplaťte", {"dne", "zaplaťte"}},
    {"placeholder_glued_to_a_word", "{jméno}ová", {"ová"}},
    {"unclosed_brace_is_punctuation", "{nedokončeno a dál", {"nedokončeno", "dál"}},
    {"quotes_and_dashes", "„Ahoj“ – řekl", {"Ahoj", "řekl"}},
    {"apostrophe_splits_without_joiners", "don't", {"don"}},
    {"decomposed_letters_are_one_word", "Nova\xCC\x81k zaplatil", {"Nova\xCC\x81k", "zaplatil"}},
    {"fractions_and_roman_numerals_are_numbers", "½ litru a Ⅻ. díl", {"litru", "díl"}},
    {"no_break_space_parts_words", "pane\u00A0Nováku", {"pane", "Nováku"}},
    {"empty", "", {}},
};

INSTANTIATE_TEST_SUITE_P(Rows, SpellingWordsTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SpellingWords, PlacesAreInUtf16Units) {
    const std::vector<SpellingWord> words = WordsToCheck(u"Žluťoučký kůň");
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[1], (SpellingWord{10, 3, false}));
}

TEST(SpellingWords, DictionaryJoinersFollowItsWordChars) {
    // The English dictionary's WORDCHARS: digits and the typographic apostrophe.
    const std::u16string joiners = WordJoiners(u"0123456789’");
    EXPECT_EQ(joiners, u"’'");
    EXPECT_EQ(WordsOf("don't stop", joiners), (Words{"don't", "stop"}));
    EXPECT_EQ(WordsOf("don’t", joiners), (Words{"don’t"}));
    EXPECT_EQ(WordJoiners(u""), std::u16string());
}

}  // namespace
}  // namespace quillory
