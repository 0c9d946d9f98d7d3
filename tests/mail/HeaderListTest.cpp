#include <gtest/gtest.h>

#include "MailTestSupport.h"
#include "mail/IdCoderHeader.h"
#include "mail/IdHeaderList.h"
#include "mail/IdWrapAtBreaks.h"

namespace quillory {
namespace {

using test::W;

TEST(HeaderList, ShortLineStaysWhole) {
    TIdHeaderList headers;
    const std::string value(70, 'a');
    headers.SetHeaderValue("Subject", value);
    EXPECT_EQ(headers.Lines(), TIdStrings{"Subject: " + value});
}

TEST(HeaderList, LongValueWithoutBreakCharacterGoesToOneContinuationLine) {
    TIdHeaderList headers;
    const std::string value(100, 'x');
    headers.SetHeaderValue("Subject", value);
    EXPECT_EQ(headers.Lines(), (TIdStrings{"Subject:", " " + value}));
    EXPECT_EQ(headers.GetHeaderValue("subject"), value);
}

TEST(HeaderList, AddressListBreaksAfterCommasWithinTheWidth) {
    std::string value;
    for (int i = 0; i < 12; ++i) value += (i ? ", " : "") + std::string("adr") + char('a' + i) + "@sklad.cz";
    ASSERT_EQ(value.size(), 12u * 13 + 11 * 2);
    TIdHeaderList headers;
    headers.SetHeaderValue("To", value);
    ASSERT_GT(headers.Count(), 1u);
    for (std::size_t i = 0; i < headers.Count(); ++i) {
        EXPECT_LE(headers[i].size(), 78u) << headers[i];
        if (i > 0) {
            EXPECT_TRUE(headers[i].starts_with(" ")) << headers[i];
        }
        if (i + 1 < headers.Count()) {
            EXPECT_TRUE(headers[i].ends_with(",")) << headers[i];
        }
    }
    EXPECT_EQ(headers.GetHeaderValue("TO"), value);
}

TEST(HeaderList, NoBreakInsideDoubleQuotes) {
    const std::string quoted = "\"" + std::string(30, 'q') + " " + std::string(30, 'q') + "\"";
    TIdHeaderList headers;
    headers.SetHeaderValue("Content-Type", "multipart/alternative; boundary=" + quoted);
    for (const auto& line : headers.Lines())
        EXPECT_EQ(std::count(line.begin(), line.end(), '"') % 2, 0) << line;
}

TEST(HeaderList, SetReplacesFirstOccurrenceInPlaceAndEmptyValueRemovesIt) {
    TIdHeaderList headers(TIdStrings{"To: a@x.cz", "X-A: 1", "To: b@y.cz"});
    headers.SetHeaderValue("to", "c@z.cz");
    EXPECT_EQ(headers.Lines(), (TIdStrings{"to: c@z.cz", "X-A: 1", "To: b@y.cz"}));
    headers.SetHeaderValue("New", "v");
    EXPECT_EQ(headers[3], "New: v");

    TIdHeaderList folded(TIdStrings{"Subject: a", " b", "\tc", "X-B: 2"});
    folded.SetHeaderValue("Subject", "");
    EXPECT_EQ(folded.Lines(), TIdStrings{"X-B: 2"});
    folded.SetHeaderValue("Absent", "");
    EXPECT_EQ(folded.Lines(), TIdStrings{"X-B: 2"});
}

TEST(HeaderList, LookupIgnoresCaseAndNamesAreUpperCased) {
    TIdHeaderList headers(TIdStrings{"Subject: a", " b", "Content-Type: text/plain", "garbage"});
    EXPECT_EQ(headers.LineOfName("content-type"), 2);
    EXPECT_EQ(headers.NameAtLine(2), "CONTENT-TYPE");
    EXPECT_EQ(headers.GetHeaderValue("Subject"), "a b");
    EXPECT_EQ(headers.LineOfName("Missing"), -1);
    EXPECT_EQ(headers.GetHeaderValue("Missing"), "");
    EXPECT_EQ(headers.ValueAtLine(-1), "");
    EXPECT_EQ(headers.ValueAtLine(4), "");
}

TEST(HeaderList, LongEncodedSubjectFoldsWithoutEmptyLines) {
    const std::string subject = W("Žluťoučký kůň úpěl ďábelské ódy, příliš žluťoučký kůň úpěl ďábelské ódy");
    TIdHeaderList headers;
    headers.SetHeaderValue("Subject", EncodeHeaderText(subject, "", ChooseHeaderCharset()));
    ASSERT_GT(headers.Count(), 1u);
    for (std::size_t i = 0; i < headers.Count(); ++i) {
        EXPECT_FALSE(Trim(headers[i]).empty()) << i;
        EXPECT_EQ(headers[i].find_first_of("\r\n"), std::string::npos) << headers[i];
        if (i > 0) {
            EXPECT_TRUE(headers[i][0] == ' ' || headers[i][0] == '\t') << headers[i];
        }
    }
}

TEST(HeaderList, LineEndInsideAValueCannotStartAHeaderOfItsOwn) {
    TIdHeaderList headers;
    headers.SetHeaderValue("Subject", "Dotaz\r\nBcc: cizi@x.cz");
    EXPECT_EQ(headers.Lines(), (TIdStrings{"Subject: Dotaz", " Bcc: cizi@x.cz"}));
    EXPECT_EQ(headers.LineOfName("Bcc"), -1);
    EXPECT_EQ(headers.GetHeaderValue("Subject"), "Dotaz Bcc: cizi@x.cz");
}

struct WrapCase {
    const char* label;
    std::string line;
    int maxCol;
    std::string wrapped;
};

TEST(WrapAtBreaks, BreaksAfterTheLastBreakCharacterBeforeTheLimit) {
    const WrapCase cases[] = {
        {"fits", "aaa bbb", 10, "aaa bbb"},
        {"break_after_last_space_within_width", "aaa bbb ccc", 8, "aaa bbb \r\n ccc"},
        {"blank_after_break_stays_at_start_of_next_piece", "aaaa, bbbbbb", 5, "aaaa,\r\n  bbbbbb"},
        {"comma_stays_with_its_piece", "aa,bb,ccc", 4, "aa,\r\n bb,\r\n ccc"},
        {"existing_break_is_kept", "aa\r\n bb", 80, "aa\r\n bb"},
        {"no_break_point_stays_long", "abcdefghij", 4, "abcdefghij"},
        {"last_single_character_stays_on_line", "aaaa b", 5, "aaaa b"},
        {"quoted_blank_is_no_break", "\"a b c\" dd", 4, "\"a b c\" \r\n dd"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WrapAtBreaks(c.line, "\r\n ", "\t ,", c.maxCol), c.wrapped) << c.label;
}

}  // namespace
}  // namespace quillory
