// CSV exports of Google Contacts, Thunderbird and Outlook, in the encodings they come in, and the
// rows a damaged file loses.

#include <gtest/gtest.h>

#include "contacts/ContactsCsv.h"

using namespace quillory;

namespace {

TEST(ContactsCsv, GoogleContactsExport) {
    const std::string file =
        "First Name,Middle Name,Last Name,Phonetic First Name,Name Prefix,Name Suffix,Nickname,"
        "Organization Name,Organization Title,Notes,Labels,E-mail 1 - Label,E-mail 1 - Value,"
        "E-mail 2 - Label,E-mail 2 - Value\r\n"
        "Jan,,Novák,,Ing.,,,\"Stavby, s.r.o.\",ředitel,\"Poznámka\r\nna dva řádky\",* myContacts,"
        "* Work,jan.novak@example.cz ::: jan@example.cz,,\r\n"
        "Eva,Marie,Svobodová,,Mgr.,Ph.D.,,,,,,,,Home,eva@example.cz\r\n"
        "Karel,,Bez,,,,,,,,,,,,\r\n";
    const CsvReadResult read = ReadContactsCsv(file);
    ASSERT_TRUE(read.recognised);
    EXPECT_EQ(read.badLines, 0);
    EXPECT_EQ(read.withoutAddress, 1);
    ASSERT_EQ(read.contacts.size(), 2u);
    EXPECT_EQ(read.contacts[0].email, "jan.novak@example.cz");
    EXPECT_EQ(read.contacts[0].firstName, "Jan");
    EXPECT_EQ(read.contacts[0].surname, "Novák");
    EXPECT_EQ(read.contacts[0].title, "Ing.");
    EXPECT_EQ(read.contacts[0].company, "Stavby, s.r.o.");
    EXPECT_EQ(read.contacts[1].email, "eva@example.cz");  // from the second address column
    EXPECT_EQ(read.contacts[1].firstName, "Eva Marie");
    EXPECT_EQ(read.contacts[1].titleAfter, "Ph.D.");
}

TEST(ContactsCsv, ThunderbirdExportInEnglishAndInCzech) {
    // Thunderbird ends every row with a comma.
    const std::string english =
        "First Name,Last Name,Display Name,Nickname,Primary Email,Secondary Email,Screen Name,Work Phone,"
        "Job Title,Department,Organization,Notes\n"
        "Petr,Dvořák,Petr Dvořák,,petr@example.cz,,,123,,,Firma,,\n"
        ",,Ing. Lenka Malá,,lenka@example.cz,,,,,,,,\n";
    const CsvReadResult read = ReadContactsCsv(english);
    ASSERT_TRUE(read.recognised);
    EXPECT_EQ(read.badLines, 0);
    ASSERT_EQ(read.contacts.size(), 2u);
    EXPECT_EQ(read.contacts[0].company, "Firma");
    EXPECT_EQ(read.contacts[1].firstName, "Lenka");
    EXPECT_EQ(read.contacts[1].surname, "Malá");
    EXPECT_EQ(read.contacts[1].title, "Ing.");

    // The Czech column names, semicolons, Windows-1250: "Jméno;Příjmení;Zobrazované jméno;Primární e-mail".
    const std::string czech =
        "Jm\xe9no;P\xf8\xedjmen\xed;Zobrazovan\xe9 jm\xe9no;Prim\xe1rn\xed e-mail;Organizace\r\n"
        "Ji\xf8\xed;\x8a\x9d"
        "astn\xfd;;jiri@example.cz;\r\n";
    const CsvReadResult czechRead = ReadContactsCsv(czech);
    ASSERT_TRUE(czechRead.recognised);
    EXPECT_EQ(czechRead.encoding, TextEncoding::Windows1250);
    ASSERT_EQ(czechRead.contacts.size(), 1u);
    EXPECT_EQ(czechRead.contacts[0].firstName, "Jiří");
    EXPECT_EQ(czechRead.contacts[0].surname, "Šťastný");
}

TEST(ContactsCsv, OutlookUnicodeExportAndUtf8WithMark) {
    const std::u16string text =
        u"\uFEFFFirst Name\tLast Name\tE-mail Address\tCompany\r\nŽofie\tŘíhová\tzofie@example.cz\tÚřad\r\n";
    std::string utf16;
    for (const char16_t unit : text) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    const CsvReadResult read = ReadContactsCsv(utf16);
    ASSERT_EQ(read.contacts.size(), 1u);
    EXPECT_EQ(read.encoding, TextEncoding::Utf16LittleEndian);
    EXPECT_EQ(read.contacts[0].surname, "Říhová");
    EXPECT_EQ(read.contacts[0].company, "Úřad");

    const CsvReadResult marked = ReadContactsCsv(
        "\xEF\xBB\xBF"
        "E-mail,Name\nkarel@example.cz,Karel Novák\n");
    ASSERT_EQ(marked.contacts.size(), 1u);
    EXPECT_EQ(marked.contacts[0].surname, "Novák");
}

TEST(ContactsCsv, BadRowsAreSkippedAndCountedByLine) {
    const std::string file =
        "Name,E-mail,Notes\n"                    // 1
        "Dobrý První,prvni@example.cz,\n"        // 2
        "\"Neuzavřená,spatna@example.cz,\n"      // 3: the quote is never closed
        "Dobrý Druhý,druhy@example.cz,\n"        // 4
        "\"Text\"za uvozovkou,x@example.cz,\n"   // 5
        "Moc Polí,pole@example.cz,,navíc,\n"     // 6
        "Špatná Adresa,neni-adresa,\n"           // 7
        "\n"                                     // 8: blank, not counted
        "Jen Jméno,,\n"                          // 9: no address
        "\"Víc\n"                                // 10
        "řádků\",treti@example.cz,\"a\n"         // 11
        "b\"\n"                                  // 12
        "Poslední,posledni@example.cz,\"konec";  // 13: open to the end
    const CsvReadResult read = ReadContactsCsv(file);
    ASSERT_TRUE(read.recognised);
    ASSERT_EQ(read.contacts.size(), 3u);
    EXPECT_EQ(read.contacts[0].email, "prvni@example.cz");
    EXPECT_EQ(read.contacts[1].email, "druhy@example.cz");
    EXPECT_EQ(read.contacts[2].email, "treti@example.cz");
    EXPECT_EQ(read.contacts[2].firstName, "Víc");
    EXPECT_EQ(read.badLines, 5);
    EXPECT_EQ(read.firstBadLine, 3u);
    EXPECT_EQ(read.withoutAddress, 1);
}

// The group columns: Google's labels with its own starred groups dropped, and the category columns
// of other programs.
TEST(ContactsCsv, GroupColumns) {
    struct Case {
        const char* file;
        std::vector<std::string> groups;
    };
    const Case cases[] = {
        {"First Name,E-mail 1 - Value,Labels\nJan,jan@example.cz,* myContacts ::: Zákazníci ::: Výbor\n",
         {"Zákazníci", "Výbor"}},
        {"Name,E-mail 1 - Value,Group Membership\nJan,jan@example.cz,Rodina ::: * starred\n", {"Rodina"}},
        {"Name,E-mail 1 - Value,Labels\nJan,jan@example.cz,* myContacts\n", {}},
        {"Name,E-mail 1 - Value,Labels\nJan,jan@example.cz,\"Novák, Svoboda ::: VIP\"\n",
         {"Novák, Svoboda", "VIP"}},
        {"First Name,Primary Email,Categories\nJan,jan@example.cz,\"Zákazníci, Výbor\"\n",
         {"Zákazníci", "Výbor"}},
        {"First Name;E-mail Address;Categories\nJan;jan@example.cz;\"Business;Osobní\"\n",
         {"Business", "Osobní"}},
        {"Jméno,Primární e-mail,Kategorie\nJan,jan@example.cz,Škola\n", {"Škola"}},
        {"Jméno,E-mail,Skupiny\nJan,jan@example.cz,\n", {}},
        {"Jméno,E-mail\nJan,jan@example.cz\n", {}},
    };
    for (const Case& test : cases) {
        const CsvReadResult read = ReadContactsCsv(test.file);
        ASSERT_EQ(read.contacts.size(), 1u) << test.file;
        EXPECT_EQ(read.contacts[0].groups, test.groups) << test.file;
    }
}

TEST(ContactsCsv, AFileWithoutAnAddressColumnIsNotRecognised) {
    EXPECT_FALSE(ReadContactsCsv("Jméno,Telefon\nJan,123\n").recognised);
    EXPECT_FALSE(ReadContactsCsv("").recognised);
    EXPECT_FALSE(ReadContactsCsv("\"E-mail\n").recognised);
}

}  // namespace
