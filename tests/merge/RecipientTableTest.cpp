// The recipients of a CSV file: columns as placeholders by their header, beside the book's.

#include <gtest/gtest.h>

#include "merge/RecipientTable.h"

using namespace quillory;

namespace {

std::string Filled(const RecipientTable& table, std::size_t row, const AddressBook& book,
                   std::string_view text) {
    return FillPlaceholders(text, table.Placeholders(row, book, "11. prosince 2026")).text;
}

TEST(RecipientTable, ColumnsArePlaceholdersByTheirHeaderBesideTheBooks) {
    AddressBook book;
    Contact novak;
    novak.email = "jan.novak@example.cz";
    novak.firstName = "Jan";
    novak.surname = "Novák";
    novak.title = "Ing.";
    novak.company = "Stavby Plzeň";
    book.Add(novak);
    // Windows-1250, semicolons, as a spreadsheet saves it: "E-mail;Částka;Číslo  faktury;Firma".
    const RecipientTable table = ReadRecipientTable(
        "E-mail;\xC8\xE1stka;\xC8\xEDslo  faktury;Firma\r\n"
        "JAN.NOVAK@example.cz;12 500;2026-0042;\r\n"
        "eva@example.cz;800;2026-0043;Svobodovi s.r.o.\r\n"
        ";1;2026-0044;Bez adresy\r\n"
        "neni adresa;2;2026-0045;\r\n"
        "\"otevřená;3;x;y\r\n"
        "navic@example.cz;4;2026-0046;;přebývá\r\n"
        "\r\n");
    EXPECT_EQ(table.encoding, TextEncoding::Windows1250);
    EXPECT_EQ(table.columns, (std::vector<std::string>{"E-mail", "Částka", "Číslo faktury", "Firma"}));
    EXPECT_EQ(table.addressColumn, 0u);
    ASSERT_EQ(table.rows.size(), 4u);  // the empty and the unusable address are kept for the check
    EXPECT_EQ(table.rows[2].address, "");
    EXPECT_EQ(table.rows[3].address, "neni adresa");
    EXPECT_EQ(table.rows[3].line, 5u);
    EXPECT_EQ(table.badLines, 2);
    EXPECT_EQ(table.firstBadLine, 6u);

    const std::string text =
        "{oslovení}, faktura {číslo faktury} na {částka} Kč ({Částka}, {castka}) pro {firma}.";
    // In the book: the book's greeting and company (the row's company is empty).
    EXPECT_EQ(Filled(table, 0, book, text),
              "Vážený pane inženýre, faktura 2026-0042 na 12 500 Kč (12 500, 12 500) pro Stavby Plzeň.");
    // Not in the book: the neutral greeting, the row's own company.
    EXPECT_EQ(Filled(table, 1, book, text),
              "Dobrý den, faktura 2026-0043 na 800 Kč (800, 800) pro Svobodovi s.r.o.");
}

TEST(RecipientTable, TheAddressColumn) {
    struct Case {
        const char* file;
        std::optional<std::size_t> column;
    };
    const Case cases[] = {
        {"Jméno,Primární e-mail,Částka\nJan,jan@example.cz,1\n", 1u},
        {"Name,E-mail 2 - Value,E-mail 1 - Value\nJan,b@example.cz,a@example.cz\n", 2u},
        {"Klient,Mail klienta\nJan,jan@example.cz\n", 1u},
        {"Klient,Částka\nJan,1\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& test : cases)
        EXPECT_EQ(ReadRecipientTable(test.file).addressColumn, test.column) << test.file;
}

}  // namespace
