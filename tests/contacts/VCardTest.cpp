// Reading vCard files of other programs and of the book itself, and writing the book's own.

#include <gtest/gtest.h>

#include "ContactPrinter.h"
#include "contacts/UnicodeText.h"
#include "contacts/VCard.h"

using namespace quillory;

namespace {

Contact Entry(const char* email, const char* first, const char* surname) {
    Contact contact;
    contact.email = email;
    contact.firstName = first;
    contact.surname = surname;
    return contact;
}

TEST(VCard, TheBooksOwnFileReadsBackAsWritten) {
    std::vector<Contact> contacts;
    Contact titled = Entry("jan.novak@example.cz", "Jan", "Novák");
    titled.title = "prof. Ing.";
    titled.titleAfter = "Ph.D., MBA";
    titled.company = "Stavby; Plzeň, s.r.o. \\ divize";
    titled.greetingStyle = GreetingStyle::Surname;
    titled.gender = Gender::Male;
    contacts.push_back(titled);
    Contact own = Entry("jana@example.cz", "Jana Marie", "Nováková-Svobodová");
    own.greetingStyle = GreetingStyle::Custom;
    own.greetingText = "Milá Jano,\nahoj";
    own.gender = Gender::Female;
    own.otherProperties = {"TEL;TYPE=cell:+420 777 123 456", "NOTE:Pozn\\, ámka"};
    own.groups = {"Zákazníci", "Výbor, rada; a \\ spol.",
                  "Dlouhá skupina se jménem přes celý řádek a ještě kus"};
    contacts.push_back(own);
    Contact unknown = Entry("nikola@example.cz", "Nikola", "");
    unknown.gender = Gender::Unknown;
    contacts.push_back(unknown);
    contacts.push_back(Entry("jen.adresa@example.cz", "", ""));
    // A long name: the line is folded, never inside a letter.
    contacts.push_back(
        Entry("dlouhe@example.cz", "Žofie Šárka Řehořová Ťapková Ďáblová Úlehlová Ůžasná", "Čáp"));

    const std::string file = WriteVCards(contacts);
    const VCardReadResult read = ReadVCards(file);
    EXPECT_EQ(read.badCards, 0);
    EXPECT_EQ(read.strayLines, 0);
    EXPECT_EQ(read.contacts, contacts);

    EXPECT_TRUE(
        file.starts_with("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:prof. Ing. Jan Novák\\, Ph.D.\\, MBA\r\n"
                         "N:Novák;Jan;;prof. Ing.;Ph.D.\\, MBA\r\nEMAIL;PREF=1:jan.novak@example.cz\r\n"
                         "ORG:Stavby\\; Plzeň\\, s.r.o. \\\\ divize\r\nGENDER:M\r\n"
                         "X-QUILLORY-GREETING:surname\r\nEND:VCARD\r\n"));
    EXPECT_NE(file.find("FN:jen.adresa@example.cz\r\n"), std::string::npos);  // FN is required
    for (size_t start = 0; start < file.size();) {
        const size_t end = file.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::string line = file.substr(start, end - start);
        EXPECT_LE(line.size(), 75u) << line;
        EXPECT_TRUE(IsValidUtf8(line)) << line;
        start = end + 2;
    }
}

TEST(VCard, ExportsOfOtherPrograms) {
    // vCard 3.0 as phones and web address books write it: groups, TYPE lists, folded lines, LF ends.
    const std::string v3 =
        "BEGIN:VCARD\nVERSION:3.0\nN:Svobodová;Eva;;Mgr.;\nFN:Mgr. Eva Svobodová\n"
        "item1.EMAIL;type=INTERNET:soukroma@example.cz\n"
        "item2.EMAIL;type=INTERNET;type=WORK,pref:eva.svobodova@firma.c\n z\n"
        "ORG:Firma a.s.;Obchod\nTEL;TYPE=CELL:+420 602 000 000\nEND:VCARD\n"
        // vCard 4.0 with PREF, an academic TITLE and no N.
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Petr Dvořák\r\nTITLE:Ing.\r\n"
        "EMAIL;PREF=2:druha@example.cz\r\nEMAIL;PREF=1:petr@example.cz\r\nEND:VCARD\r\n"
        // vCard 2.1 with a quoted-printable name and a soft line break.
        "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C4=8Cern=C3=A1;Lu=\r\n"
        "cie;;;\r\nEMAIL;PREF;INTERNET:lucie@example.cz\r\nNOTE;QUOTED-PRINTABLE:dlouh=C3=A1 "
        "pozn=C3=A1mka\r\n"
        "END:VCARD\r\n"
        // A job title is no academic title: it is kept as a property.
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Karel "
        "Král\r\nTITLE:ředitel\r\nEMAIL:KAREL@Example.CZ\r\nEND:VCARD\r\n";
    const VCardReadResult read = ReadVCards(v3);
    EXPECT_EQ(read.badCards, 0);
    ASSERT_EQ(read.contacts.size(), 4u);

    const Contact& eva = read.contacts[0];
    EXPECT_EQ(eva.email, "eva.svobodova@firma.cz");
    EXPECT_EQ(eva.firstName, "Eva");
    EXPECT_EQ(eva.surname, "Svobodová");
    EXPECT_EQ(eva.title, "Mgr.");
    EXPECT_EQ(eva.company, "Firma a.s., Obchod");
    EXPECT_EQ(eva.otherProperties,
              (std::vector<std::string>{"TEL;TYPE=CELL:+420 602 000 000",
                                        "item1.EMAIL;type=INTERNET:soukroma@example.cz"}));

    const Contact& petr = read.contacts[1];
    EXPECT_EQ(petr.email, "petr@example.cz");
    EXPECT_EQ(petr.firstName, "Petr");
    EXPECT_EQ(petr.surname, "Dvořák");
    EXPECT_EQ(petr.title, "Ing.");

    const Contact& lucie = read.contacts[2];
    EXPECT_EQ(lucie.surname, "Černá");
    EXPECT_EQ(lucie.firstName, "Lucie");
    EXPECT_EQ(lucie.email, "lucie@example.cz");
    EXPECT_TRUE(lucie.otherProperties.empty());  // a quoted-printable note cannot go into a 4.0 file

    const Contact& karel = read.contacts[3];
    EXPECT_EQ(karel.title, "");
    EXPECT_EQ(karel.otherProperties, std::vector<std::string>{"TITLE:ředitel"});
}

TEST(VCard, DamagedCardsAreSkippedAndCountedTheRestIsRead) {
    const std::string file =
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Dobrý První\r\nEMAIL:prvni@example.cz\r\nEND:VCARD\r\n"   // 1-5
        "smeti mimo kartu\r\n"                                                                      // 6
        "BEGIN:VCARD\r\nVERSION:4.0\r\nřádek bez dvojtečky\r\nEMAIL:x@example.cz\r\nEND:VCARD\r\n"  // 7-11
        "BEGIN:VCARD\r\nFN:Špatná Adresa\r\nEMAIL:neni adresa\r\nEND:VCARD\r\n"                     // 12-15
        "BEGIN:VCARD\r\nFN:Bez Konce\r\nEMAIL:bezkonce@example.cz\r\n"                              // 16-18
        "BEGIN:VCARD\r\nFN:Bez Adresy\r\nTEL:123\r\nEND:VCARD\r\n"                                  // 19-22
        "BEGIN:VCARD\r\nN;X=\"neuzavřená:Novák;Jan\r\nEMAIL:jan@example.cz\r\nEND:VCARD\r\n"        // 23-26
        "BEGIN:VCARD\r\nFN:Dobrý Druhý\r\nEMAIL:druhy@example.cz\r\nEND:VCARD\r\n"                  // 27-30
        "BEGIN:VCARD\r\nFN:Useknutý Konec\r\nEMAIL:konec@example.cz\r\n";                           // 31-33
    const VCardReadResult read = ReadVCards(file);
    ASSERT_EQ(read.contacts.size(), 2u);
    EXPECT_EQ(read.contacts[0].email, "prvni@example.cz");
    EXPECT_EQ(read.contacts[1].email, "druhy@example.cz");
    EXPECT_EQ(read.contacts[1].firstName, "Dobrý");
    EXPECT_EQ(read.badCards, 5);
    EXPECT_EQ(read.withoutAddress, 1);
    EXPECT_EQ(read.strayLines, 1);
    EXPECT_EQ(read.firstProblemLine, 6u);
}

TEST(VCard, Windows1250FileWithoutMarkAndUtf8WithMark) {
    const VCardReadResult old = ReadVCards(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:\x8elut\xe1;\xd8\xedha;;;\r\nEMAIL:r@example.cz\r\nEND:VCARD\r\n");
    ASSERT_EQ(old.contacts.size(), 1u);
    EXPECT_EQ(old.contacts[0].surname, "Žlutá");
    EXPECT_EQ(old.contacts[0].firstName, "Říha");
    EXPECT_EQ(old.encoding, TextEncoding::Windows1250);

    const VCardReadResult marked = ReadVCards(
        "\xEF\xBB\xBF"
        "BEGIN:VCARD\nN:Žlutá;Eva\nEMAIL:e@example.cz\nEND:VCARD");
    ASSERT_EQ(marked.contacts.size(), 1u);
    EXPECT_EQ(marked.contacts[0].surname, "Žlutá");
    EXPECT_EQ(marked.strayLines, 0);
}

// The groups of CATEGORIES as other programs write them: one property or several, escaped commas
// inside a name, blanks and repeats.
TEST(VCard, CategoriesAreTheEntrysGroups) {
    struct Case {
        const char* properties;
        std::vector<std::string> groups;
    };
    const Case cases[] = {
        {"CATEGORIES:Zákazníci\r\n", {"Zákazníci"}},
        {"CATEGORIES:Zákazníci,Výbor\r\n", {"Zákazníci", "Výbor"}},
        {"CATEGORIES:Novák\\, Svoboda a spol.,VIP\r\n", {"Novák, Svoboda a spol.", "VIP"}},
        {"CATEGORIES: Zákazníci , ,Výbor,Zákazníci\r\n", {"Zákazníci", "Výbor"}},
        {"CATEGORIES:A\r\ncategories:B,A\r\n", {"A", "B"}},
        {"item1.CATEGORIES;LANGUAGE=cs:Škola\\;Rodiče\r\n", {"Škola;Rodiče"}},
        {"CATEGORIES:Dlouhý,\r\n seznam\r\n", {"Dlouhý", "seznam"}},
        {"CATEGORIES;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C5=A0kola,V=C3=BDbor\r\n", {"Škola", "Výbor"}},
        {"CATEGORIES:\r\n", {}},
    };
    for (const Case& test : cases) {
        const VCardReadResult read = ReadVCards(std::string("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Jan\r\n") +
                                                test.properties + "EMAIL:jan@example.cz\r\nEND:VCARD\r\n");
        ASSERT_EQ(read.contacts.size(), 1u) << test.properties;
        EXPECT_EQ(read.contacts[0].groups, test.groups) << test.properties;
        EXPECT_TRUE(read.contacts[0].otherProperties.empty()) << test.properties;
        EXPECT_EQ(ReadVCards(WriteVCards(read.contacts)).contacts, read.contacts) << test.properties;
    }
    Contact entry = Entry("jan@example.cz", "Jan", "Novák");
    entry.groups = {"Novák, Svoboda", "VIP"};
    EXPECT_NE(WriteVCards({entry}).find("\r\nCATEGORIES:Novák\\, Svoboda,VIP\r\n"), std::string::npos);
}

TEST(VCard, EmptyAndBlankFilesHoldNothing) {
    for (const char* file : {"", "\r\n\r\n", "   \n"}) {
        const VCardReadResult read = ReadVCards(file);
        EXPECT_TRUE(read.contacts.empty());
        EXPECT_EQ(read.badCards + read.strayLines + read.withoutAddress, 0) << file;
    }
}

}  // namespace
