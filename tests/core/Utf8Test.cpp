#include <gtest/gtest.h>

#include "core/Utf8.h"

using namespace quillory;

TEST(Utf8, Utf16RoundTripWithPairsAndDamage) {
    EXPECT_EQ(Utf16FromUtf8("Žluťoučký kůň"), u"Žluťoučký kůň");
    EXPECT_EQ(Utf16FromUtf8("a😀b"), std::u16string(u"a\xD83D\xDE00"
                                                   u"b"));
    EXPECT_EQ(Utf16FromUtf8("a\xFF"
                            "b"),
              u"a\xFFFD"
              u"b");
    EXPECT_EQ(Utf8FromUtf16(u"a\xD83D\xDE00"
                            u"b"),
              "a😀b");
    EXPECT_EQ(Utf8FromUtf16(std::u16string(u"x\xD83D"
                                           u"y")),
              "x\xEF\xBF\xBDy");
    EXPECT_EQ(Utf8FromUtf16(Utf16FromUtf8("Plzeň „€“")), "Plzeň „€“");
}
