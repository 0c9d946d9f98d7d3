#include <gtest/gtest.h>

#include "MailTestSupport.h"
#include "core/ProgramText.h"
#include "mail/IdCoderHeader.h"
#include "mail/IdEMailAddress.h"

namespace quillory {
namespace {

using test::W;

const THeaderCharset kCzech = ChooseHeaderCharset();

TEST(ChooseHeaderCharset, NamesTheCodePageOfTheBytesWithQ) {
    // The texts are Windows-1250: labelling them ISO-8859-1 turned "ň" into "ò" at the recipient.
    EXPECT_EQ(kCzech, (THeaderCharset{TTransfer::bit8, 'Q', "windows-1250"}));
    EXPECT_EQ(HeaderCharsetForLanguage("zh_CN"), (THeaderCharset{TTransfer::bit8, 'B', "GB2312"}));
    EXPECT_EQ(HeaderCharsetForLanguage("zh_TW"), (THeaderCharset{TTransfer::bit8, 'B', "Big5"}));
    EXPECT_EQ(HeaderCharsetForLanguage("ja_JP"), (THeaderCharset{TTransfer::iso2022jp, 'B', "ISO-2022-JP"}));
    EXPECT_EQ(HeaderCharsetForLanguage("ko"), (THeaderCharset{TTransfer::bit8, 'B', "EUC-KR"}));
}

struct HeaderTextCase {
    const char* label;
    std::string text;
    std::string encoded;
};

TEST(EncodeHeaderText, WritesPlainAndEncodedWords) {
    const HeaderTextCase cases[] = {
        {"one_word", W("Poptávka"), "=?windows-1250?Q?Popt=E1vka?="},
        {"neighbouring_words_share_one_encoded_word", W("Dobrý den, posílám přehled"),
         "=?windows-1250?Q?Dobr=FD?= den, =?windows-1250?Q?pos=EDl=E1m_p=F8ehled?="},
        {"plain_ascii_unchanged_whatever_its_length", std::string(200, 'a') + " b",
         std::string(200, 'a') + " b"},
        {"equals_question_underscore_in_run", W("č=?_"), "=?windows-1250?Q?=E8=3D=3F=5F?="},
        {"leading_and_trailing_blanks_kept", W("  ř  "), "  =?windows-1250?Q?=F8?=  "},
        {"empty", "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeHeaderText(c.text, "", kCzech), c.encoded) << c.label;
}

TEST(EncodeHeaderText, SplitsLongRunsIntoEncodedWordsOfAtMostSeventyFiveCharacters) {
    const std::string text = W("čččččččččččččččččččččččččččččččččččččččč");  // 40 x 3 encoded characters
    const std::string encoded = EncodeHeaderText(text, "", kCzech);
    std::string joined;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = encoded.find("?=\r\n\t", start);
        const std::string word =
            encoded.substr(start, end == std::string::npos ? std::string::npos : end + 2 - start);
        EXPECT_LE(word.size(), 75u) << word;
        EXPECT_TRUE(word.starts_with("=?windows-1250?Q?") && word.ends_with("?=")) << word;
        joined += word.substr(17, word.size() - 19);
        if (end == std::string::npos) break;
        start = end + 5;
    }
    EXPECT_GT(start, 0u) << "split at least once";
    std::string payload;
    for (int i = 0; i < 40; ++i) payload += "=E8";
    EXPECT_EQ(joined, payload);
}

TEST(EncodeHeaderText, BEncodingAndTheEightBitLetter) {
    EXPECT_EQ(EncodeHeaderText(W("Poptávka"), "", {TTransfer::bit8, 'B', "windows-1250"}),
              "=?windows-1250?B?UG9wdOF2a2E=?=");
    EXPECT_EQ(EncodeHeaderText(W("Poptávka (č. 2)"), DisplayNameSpecials, {TTransfer::bit8, '8', "x"}),
              W("Poptávka (č. 2)"));
}

// Text in the UTF-8 form goes into UTF-8 "B" words of whole characters; Windows-1250 text as before.
TEST(EncodeHeaderText, TheUtf8FormGoesIntoUtf8WordsOfWholeCharacters) {
    const auto u = [](const char* utf8) { return std::string(kUtf8Mark) + utf8; };
    const HeaderTextCase cases[] = {
        {"cyrillic_after_a_plain_word", u("Faktura – Коваленко"),
         "Faktura =?UTF-8?B?4oCTINCa0L7QstCw0LvQtdC90LrQvg==?="},
        {"arrow_and_check", u("→ ✓"), "=?UTF-8?B?4oaSIOKckw==?="},
        {"plain_ascii_in_the_utf8_form", u("plain"), "plain"},
        {"mark_alone", u(""), ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeHeaderText(c.text, "", kCzech), c.encoded) << c.label;
        EXPECT_EQ(EncodeHeaderText(c.text, "", HeaderCharsetForLanguage("ja")), c.encoded) << c.label;
    }
    // A long run: several words of at most 75 characters (EncodedWordsB keeps characters whole),
    // one per folded line.
    std::string longName;
    for (int i = 0; i < 30; ++i) longName += "Ковален";
    const std::string encoded = EncodeHeaderText(u(longName.c_str()), "", kCzech);
    std::size_t words = 0;
    for (std::size_t start = 0; start < encoded.size(); ++words) {
        const std::size_t end = std::min(encoded.find("\r\n\t", start), encoded.size());
        const std::string word = encoded.substr(start, end - start);
        EXPECT_LE(word.size(), 75u);
        EXPECT_TRUE(word.starts_with("=?UTF-8?B?") && word.ends_with("?=")) << word;
        start = end + 3;
    }
    EXPECT_GT(words, 1u);
}

TEST(EncodeAddressForHeader, EncodesQuotesOrLeavesTheName) {
    TIdEMailAddressItem item;
    item.SetAddress("obchod@plzen.cz");
    EXPECT_EQ(EncodeAddressForHeader(item, kCzech), "obchod@plzen.cz");
    item.SetName(W("Obchod Plzeň"));
    EXPECT_EQ(EncodeAddressForHeader(item, kCzech), "Obchod =?windows-1250?Q?Plze=F2?= <obchod@plzen.cz>");
    item.SetName(W("Sklad č. 2"));
    EXPECT_EQ(EncodeAddressForHeader(item, kCzech), "Sklad =?windows-1250?Q?=E8=2E?= 2 <obchod@plzen.cz>");
    item.SetName("Plzen, \"sklad\"");
    EXPECT_EQ(EncodeAddressForHeader(item, kCzech), "\"Plzen, \\\"sklad\\\"\" <obchod@plzen.cz>");
}

TEST(EncodeAddressListForHeader, JoinsItemsWithCommaAndBlank) {
    TIdEMailAddressList list;
    EXPECT_EQ(EncodeAddressListForHeader(list, kCzech), "");
    list.SetAddressesText(W("a@x.cz, Plzeň <b@y.cz>"));
    EXPECT_EQ(EncodeAddressListForHeader(list, kCzech), "a@x.cz, =?windows-1250?Q?Plze=F2?= <b@y.cz>");
}

TEST(ToIso2022Jp, ConvertsShiftJisAndHalfWidthKana) {
    // "あ亜" in Shift_JIS, ASCII, half-width "ｶﾞ" (voiced) and "ﾊﾟ" (semi-voiced), an undefined byte.
    const std::string sjis =
        "\x82\xA0\x88\x9F"
        "a"
        "\xB6\xDE\xCA\xDF\xA0";
    EXPECT_EQ(ToIso2022Jp(sjis), "\x1B$B\x24\x22\x30\x21\x1B(Ba\x1B$B\x25\x2C\x25\x51\x1B(B");
    EXPECT_EQ(EncodeHeaderText("\x82\xA0", "", HeaderCharsetForLanguage("ja")),
              "=?ISO-2022-JP?B?GyRCJCIbKEI=?=");
}

}  // namespace
}  // namespace quillory
