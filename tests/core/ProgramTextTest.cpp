#include <gtest/gtest.h>

#include "core/ProgramText.h"

using namespace quillory;

// Which form a text takes, and that either form gives the text back.
TEST(ProgramText, TextThatFitsStaysWindows1250AndOtherTextIsMarkedUtf8) {
    struct Row {
        const char* utf8;
        std::string form;
    };
    const std::string mark(kUtf8Mark);
    const Row rows[] = {
        {"", ""},
        {"plain ASCII", "plain ASCII"},
        {"Žluťoučký kůň – € „ok“", "\x8elu\x9dou\xe8k\xfd k\xf9\xf2 \x96 \x80 \x84ok\x93"},
        {"Олена Коваленко", mark + "Олена Коваленко"},
        {"Nguyễn Văn An", mark + "Nguyễn Văn An"},
        {"Dobrý den → ✓", mark + "Dobrý den → ✓"},
        {"emoji 😀", mark + "emoji 😀"},
        // Windows-1250 bytes that begin like the mark would read back as UTF-8: this text keeps UTF-8.
        {"ď»żx", mark + "ď»żx"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ProgramTextFromUtf8(row.utf8), row.form) << row.utf8;
        EXPECT_EQ(ProgramTextToUtf8(row.form), row.utf8) << row.utf8;
        EXPECT_EQ(IsUtf8Form(row.form), row.form.starts_with(mark)) << row.utf8;
    }
}

TEST(ProgramText, MalformedUtf8KeepsItsBytes) {
    const std::string broken = "a\xff\xc3";
    EXPECT_EQ(ProgramTextFromUtf8(broken), std::string(kUtf8Mark) + broken);
    EXPECT_EQ(ProgramTextToUtf8(ProgramTextFromUtf8(broken)), broken);
}

TEST(ProgramText, EarlierBytesReadUnchangedUnlessTheyBeginLikeTheMark) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        EXPECT_EQ(ProgramTextFromWin1250(one), one);
        EXPECT_EQ(ProgramTextFromUtf8(ProgramTextToUtf8(one)), one) << "byte " << byte;
    }
    const std::string lookalike = "\xEF\xBB\xBFx";  // "ď»żx"
    EXPECT_EQ(ProgramTextToUtf8(ProgramTextFromWin1250(lookalike)), "ď»żx");
}

TEST(ProgramText, JoiningConvertsOnlyForUtf8) {
    EXPECT_EQ(ProgramTextIn("k\xf9\xf2", false), "k\xf9\xf2");
    EXPECT_EQ(ProgramTextIn("k\xf9\xf2", true), "kůň");
    EXPECT_EQ(ProgramTextIn(std::string(kUtf8Mark) + "→", true), "→");
}
