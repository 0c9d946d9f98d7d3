#include <gtest/gtest.h>

#include "MailTestSupport.h"
#include "core/ProgramText.h"
#include "mail/IdEMailAddress.h"
#include "mail/IdException.h"

namespace quillory {
namespace {

using test::W;

struct ParseCase {
    const char* label;
    std::string text;
    std::string name;
    std::string address;
};

TEST(EMailAddressItem, ParsesNameAndAddressOutOfEachNotation) {
    const ParseCase cases[] = {
        {"name_and_bracketed_address", W("Obchod Plzeň <obchod@plzen.cz>"), W("Obchod Plzeň"),
         "obchod@plzen.cz"},
        {"quoted_name_with_comma", W("\"Plzeň, sklad\" <obchod@plzen.cz>"), W("Plzeň, sklad"),
         "obchod@plzen.cz"},
        {"bare_address", "obchod@plzen.cz", "", "obchod@plzen.cz"},
        {"no_special_character", "sklad", "", "sklad"},
        {"spaces_and_no_address_keep_only_leading_words", W("Obchod Plzeň"), "Obchod ", ""},
        {"comment_after_address_is_dropped", "obchod@plzen.cz (sklad)", "", "obchod@plzen.cz"},
        {"word_after_address_is_glued_on", "obchod@plzen.cz sklad", "", "obchod@plzen.czsklad"},
        {"blanks_around_bracketed_domain_dots_vanish", "Sklad <obchod@plzen . cz>", "Sklad",
         "obchod@plzen.cz"},
        {"escaped_quote_inside_quoted_name", "\"a \\\"b\\\"c\" <x@y.cz>", "a \"b\"c", "x@y.cz"},
        {"blank_text", " \t ", "", ""},
        {"surrounding_blanks_trimmed", "  x@y.cz  ", "", "x@y.cz"},
        {"quoted_local_part_in_brackets", "<\"sklad plzen\"@y.cz>", "", "sklad plzen@y.cz"},
    };
    for (const auto& c : cases) {
        TIdEMailAddressItem item;
        item.SetName("stale");
        item.SetAddress("stale");
        item.SetText(c.text);
        EXPECT_EQ(item.Name(), c.name) << c.label;
        EXPECT_EQ(item.Address(), c.address) << c.label;
    }
}

struct FormatCase {
    const char* label;
    std::string name;
    std::string address;
    std::string text;
};

TEST(EMailAddressItem, FormatsNameAndAddress) {
    const FormatCase cases[] = {
        {"plain_name_unquoted", "Obchod Plzen", "obchod@plzen.cz", "Obchod Plzen <obchod@plzen.cz>"},
        {"comma_forces_quotes", "Plzen, sklad", "obchod@plzen.cz", "\"Plzen, sklad\" <obchod@plzen.cz>"},
        {"quote_and_backslash_escaped", "a\"b\\c", "x@y.cz", "\"a\\\"b\\\\c\" <x@y.cz>"},
        {"no_name_bare_address", "", "obchod@plzen.cz", "obchod@plzen.cz"},
        {"name_equal_to_upper_case_address_gives_address_part_alone", "X@Y.CZ", "x@y.cz", "<x@y.cz>"},
        {"blank_in_local_part_quoted_even_without_name", "", "sklad plzen@y.cz", "<\"sklad plzen\"@y.cz>"},
        {"dot_first_keeps_local_part_unquoted", "", "a.b c@y.cz", "a.b c@y.cz"},
        {"address_without_at_and_name", "Sklad", "sklad", "Sklad <>"},
        {"address_without_at_no_name", "", "sklad", ""},
        {"empty", "", "", ""},
        {"name_without_address", "Sklad", "", "Sklad <>"},
    };
    for (const auto& c : cases) {
        TIdEMailAddressItem item;
        item.SetName(c.name);
        item.SetAddress(c.address);
        EXPECT_EQ(item.Text(), c.text) << c.label;
    }
}

TEST(EMailAddressItem, FormattedTextParsesBackToTheSameFields) {
    for (const auto& [name, address] :
         {std::pair<std::string, std::string>{"Plzen, sklad", "obchod@plzen.cz"},
          {"a \"b\"c", "x@y.cz"},
          {"Obchod Plzen", "o@p.cz"}}) {
        TIdEMailAddressItem item;
        item.SetName(name);
        item.SetAddress(address);
        const TIdEMailAddressItem back(item.Text());
        EXPECT_EQ(back, item) << item.Text();
    }
}

TEST(EMailAddressItem, AtSignAfterBracketedAddressRaisesAndKeepsWhatWasRead) {
    TIdEMailAddressItem item;
    try {
        item.SetText("Sklad <a@b.cz> c@d.cz");
        FAIL() << "no error";
    } catch (const EIdEmailParseError& e) {
        EXPECT_EQ(e.Message(), "@ Outside address");
    }
    EXPECT_EQ(item.Name(), "Sklad");
    EXPECT_EQ(item.Address(), "a@b.cz");
}

struct ListCase {
    const char* label;
    std::string text;
    std::vector<std::string> addresses;
};

TEST(EMailAddressList, SplitsAtCommasAndSemicolonsOutsideQuotesAndParentheses) {
    const ListCase cases[] = {
        {"comma", "a@x.cz, b@y.cz", {"a@x.cz", "b@y.cz"}},
        {"semicolon", "a@x.cz;b@y.cz", {"a@x.cz", "b@y.cz"}},
        {"quoted_comma", "\"Plzen, sklad\" <a@x.cz>, b@y.cz", {"a@x.cz", "b@y.cz"}},
        {"comma_in_comment", "a@x.cz (sklad, dvur), b@y.cz", {"a@x.cz", "b@y.cz"}},
        {"only_commas_and_blanks", " , ,  ,", {}},
        {"group_prefix", "team: a@x.cz, b@y.cz;", {"a@x.cz", "b@y.cz"}},
        {"words_without_at_are_dropped", "sklad, dvur", {}},
        {"one_bare_word_is_kept", "sklad", {"sklad"}},
        {"empty", "   ", {}},
        {"blank_after_semicolon_trimmed", "a@x.cz;  b@y.cz", {"a@x.cz", "b@y.cz"}},
    };
    for (const auto& c : cases) {
        TIdEMailAddressList list;
        list.Add().SetAddress("stale@x.cz");
        list.SetAddressesText(c.text);
        std::vector<std::string> got;
        for (std::size_t i = 0; i < list.Count(); ++i) got.push_back(list[i].Address());
        EXPECT_EQ(got, c.addresses) << c.label;
    }
}

TEST(EMailAddressList, KeepsNamesOfItems) {
    TIdEMailAddressList list;
    list.SetAddressesText(W("Obchod Plzeň <a@x.cz>, \"Plzeň, sklad\" <b@y.cz>"));
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list[0].Name(), W("Obchod Plzeň"));
    EXPECT_EQ(list[1].Name(), W("Plzeň, sklad"));
}

TEST(EMailAddressList, ParseErrorKeepsItemsReadSoFarIncludingTheFailingOne) {
    TIdEMailAddressList list;
    EXPECT_THROW(list.SetAddressesText("a@x.cz, Sklad <b@y.cz> c@d.cz, e@f.cz"), EIdEmailParseError);
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list[0].Address(), "a@x.cz");
    EXPECT_EQ(list[1].Address(), "b@y.cz");
}

// A text in the UTF-8 form is read as UTF-8, and each name then takes its own form: Windows-1250
// where it fits, the UTF-8 form where it does not.
TEST(EMailAddressList, TheUtf8FormGivesEachNameItsOwnForm) {
    const std::string mark(kUtf8Mark);
    TIdEMailAddressList list;
    list.SetAddressesText(mark +
                          "Олена Коваленко <olena@firma.ua>, \"Novák, Jan\" <jan@firma.cz>; an@firma.vn");
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list[0].Name(), mark + "Олена Коваленко");
    EXPECT_EQ(list[0].Address(), "olena@firma.ua");
    EXPECT_EQ(list[1].Name(), W("Novák, Jan"));
    EXPECT_EQ(list[1].Address(), "jan@firma.cz");
    EXPECT_EQ(list[2].Name(), "");
    EXPECT_EQ(list[2].Address(), "an@firma.vn");

    TIdEMailAddressItem item;
    item.SetText(mark + "Nguyễn Văn An <an@firma.vn>");
    EXPECT_EQ(item.Name(), mark + "Nguyễn Văn An");
    EXPECT_EQ(item.Address(), "an@firma.vn");
    EXPECT_THROW(item.SetText(mark + "Київ <a@b.ua> @"), EIdEmailParseError);
    EXPECT_EQ(item.Name(), mark + "Київ");
}

TEST(EMailAddressList, CopyIsDeep) {
    TIdEMailAddressList list;
    list.SetAddressesText("a@x.cz");
    TIdEMailAddressList copy = list;
    copy[0].SetAddress("changed@x.cz");
    EXPECT_EQ(list[0].Address(), "a@x.cz");
}

}  // namespace
}  // namespace quillory
