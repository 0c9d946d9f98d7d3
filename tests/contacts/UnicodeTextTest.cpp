// The character rules of the book's UTF-8 text: well-formedness, letter case and folding for search.

#include <gtest/gtest.h>

#include "contacts/TextEncoding.h"
#include "contacts/UnicodeText.h"

using namespace quillory;

TEST(UnicodeText, FoldingForSearchAndLetterCase) {
    struct Row {
        const char* text;
        const char* folded;
        const char* lower;
    };
    const Row rows[] = {
        {"Novák", "novak", "novák"},
        {"ŽLUŤOUČKÝ KŮŇ", "zlutoucky kun", "žluťoučký kůň"},
        {"ĎÁBEL Ěšč Ř", "dabel esc r", "ďábel ěšč ř"},
        {"Müller Łódź Ærø ß", "muller lodz aro s", "müller łódź ærø ß"},
        {"abc 123 @.-", "abc 123 @.-", "abc 123 @.-"},
        {"日本", "日本", "日本"},
        {"a\xff" "b", "a\xEF\xBF\xBD" "b", "a\xEF\xBF\xBD" "b"},  // a malformed byte becomes U+FFFD
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FoldForSearch(row.text), row.folded) << row.text;
        EXPECT_EQ(LowerUtf8(row.text), row.lower) << row.text;
    }
    // Every letter with a case pairs with its other case both ways.
    for (char32_t ch = 0xC0; ch <= 0x17F; ++ch) {
        if (LowerLetter(ch) != ch && ch != 0x130) {  // dotted İ has the small i
            EXPECT_EQ(UpperLetter(LowerLetter(ch)), ch) << static_cast<unsigned>(ch);
        }
        if (UpperLetter(ch) != ch && ch != 0x131) {  // dotless ı has the capital I
            EXPECT_EQ(LowerLetter(UpperLetter(ch)), ch) << static_cast<unsigned>(ch);
        }
    }
}

TEST(UnicodeText, WellFormedUtf8) {
    for (const char* good : {"", "abc", "Žluťoučký", "日本", "😀"}) EXPECT_TRUE(IsValidUtf8(good)) << good;
    for (const char* bad : {"\xff", "\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "a\x8e"})
        EXPECT_FALSE(IsValidUtf8(bad));
    EXPECT_EQ(EncodeUtf8(DecodeUtf8("Žluťoučký 😀")), "Žluťoučký 😀");
}

TEST(UnicodeText, ImportedFilesDecodeToUtf8) {
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBFŽ").utf8, "Ž");
    EXPECT_EQ(DecodeTextFile("\x8e").utf8, "Ž");
    EXPECT_EQ(DecodeTextFile("\x8e").encoding, TextEncoding::Windows1250);
    EXPECT_EQ(DecodeTextFile(std::string("\xFF\xFE\x7D\x01", 4)).utf8, "Ž");
    EXPECT_EQ(DecodeTextFile(std::string("\xFE\xFF\x01\x7D\xD8\x3D\xDE\x00", 8)).utf8, "Ž😀");
    EXPECT_EQ(DecodeTextFile(std::string("\xFF\xFE\x00\xD8", 4)).utf8, "\xEF\xBF\xBD");  // a lone surrogate
}
