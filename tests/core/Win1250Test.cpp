#include <gtest/gtest.h>

#include "core/Win1250.h"

using namespace quillory;

TEST(Win1250, EveryByteSurvivesTheRoundTrip) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        EXPECT_EQ(Utf8ToWin1250(Win1250ToUtf8(one)), one) << "byte " << byte;
        EXPECT_EQ(UnicodeToWin1250(Win1250ToUnicode(static_cast<unsigned char>(byte))), byte);
    }
}

TEST(Win1250, CzechLettersAndUnencodableCharacters) {
    struct Row {
        const char* utf8;
        const char* bytes;
    };
    const Row rows[] = {
        {"Plzeň", "Plze\xf2"},
        {"řádek",
         "\xf8\xe1"
         "dek"},
        {"Žluťoučký kůň", "\x8elu\x9dou\xe8k\xfd k\xf9\xf2"},
        {"€ „quote“ – …", "\x80 \x84quote\x93 \x96 \x85"},
        {"日本", "??"},  // not in the code page
        {"😀x", "?x"},    // outside the basic plane
        {"a\xff"
         "b",
         "a?b"},  // malformed UTF-8
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Utf8ToWin1250(row.utf8), row.bytes) << row.utf8;
    }
    EXPECT_EQ(Win1250ToUtf8("Plze\xf2"), "Plzeň");
}
