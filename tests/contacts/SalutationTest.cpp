// The greeting of {oslovení}, the academic titles it addresses, the placeholders and the Czech date.

#include <gtest/gtest.h>

#include "contacts/CzechDate.h"
#include "contacts/Placeholders.h"
#include "contacts/Salutation.h"
#include "core/ProgramText.h"

using namespace quillory;

namespace {

Contact Person(const char* title, const char* first, const char* surname, const char* after = "") {
    Contact contact;
    contact.email = "osoba@firma.cz";
    contact.title = title;
    contact.firstName = first;
    contact.surname = surname;
    contact.titleAfter = after;
    return contact;
}

TEST(Greeting, TitleNameAndFallback) {
    struct Row {
        Contact contact;
        std::optional<GreetingStyle> style;
        const char* greeting;
    };
    Contact own = Person("", "Jan", "Novák");
    own.greetingStyle = GreetingStyle::Custom;
    own.greetingText = "Ahoj Honzo";
    Contact ownEmpty = Person("Ing.", "Jan", "Novák");
    ownEmpty.greetingStyle = GreetingStyle::Custom;
    Contact chosenFemale = Person("", "Nikola", "Krejčí");
    chosenFemale.gender = Gender::Female;
    const Row rows[] = {
        {Person("Ing.", "Jan", "Novák"), std::nullopt, "Vážený pane inženýre"},
        {Person("Ing.", "Jan", "Novák"), GreetingStyle::Surname, "Vážený pane Nováku"},
        {Person("Ing.", "Jana", "Nováková"), std::nullopt, "Vážená paní inženýrko"},
        {Person("Mgr.", "Petr", "Svoboda"), std::nullopt, "Vážený pane magistře"},
        {Person("Mgr.", "Eva", "Svobodová"), std::nullopt, "Vážená paní magistro"},
        {Person("MUDr.", "Karel", "Dvořák"), std::nullopt, "Vážený pane doktore"},
        {Person("JUDr.", "Hana", "Dvořáková"), std::nullopt, "Vážená paní doktorko"},
        {Person("PhDr.", "Pavel", "Černý"), std::nullopt, "Vážený pane doktore"},
        {Person("RNDr.", "Věra", "Černá"), std::nullopt, "Vážená paní doktorko"},
        {Person("MVDr.", "Tomáš", "Beneš"), std::nullopt, "Vážený pane doktore"},
        {Person("doc. Ing.", "Zdeněk", "Němec", "CSc."), std::nullopt, "Vážený pane docente"},
        {Person("doc. MUDr.", "Alena", "Němcová"), std::nullopt, "Vážená paní docentko"},
        {Person("prof. RNDr.", "Jiří", "Marek", "DrSc."), std::nullopt, "Vážený pane profesore"},
        {Person("prof.", "Lenka", "Marková"), std::nullopt, "Vážená paní profesorko"},
        {Person("Ing.", "Ivan", "Král", "Ph.D."), std::nullopt, "Vážený pane doktore"},
        {Person("Bc.", "Martin", "Veselý"), std::nullopt, "Vážený pane Veselý"},
        {Person("", "Jan", "Novák"), std::nullopt, "Vážený pane Nováku"},
        {Person("", "Jana", "Nováková"), std::nullopt, "Vážená paní Nováková"},
        {Person("", "Jan", "Novák"), GreetingStyle::FirstName, "Milý Jane"},
        {Person("", "Jana", "Nováková"), GreetingStyle::FirstName, "Milá Jano"},
        {Person("", "Jan", "Novák"), GreetingStyle::Title, "Vážený pane Nováku"},
        {Person("", "John", "Smith"), std::nullopt, "Vážený pane Smith"},
        {Person("", "Nikola", "Krejčí"), std::nullopt, "Dobrý den"},  // gender unknown
        {chosenFemale, std::nullopt, "Vážená paní Krejčí"},
        {Person("", "Jan", ""), std::nullopt, "Dobrý den"},  // no surname
        {Person("", "", ""), std::nullopt, "Dobrý den"},
        {Person("", "", "Nováková"), GreetingStyle::FirstName, "Dobrý den"},
        {own, GreetingStyle::Custom, "Ahoj Honzo"},
        {ownEmpty, GreetingStyle::Custom, "Vážený pane inženýre"},  // no own text: computed
    };
    for (const Row& row : rows) {
        Contact contact = row.contact;
        if (row.style) contact.greetingStyle = row.style;
        EXPECT_EQ(Greeting(contact), row.greeting) << FullName(contact);
    }
}

TEST(Greeting, DefaultStyleFollowsTheTitle) {
    EXPECT_EQ(EffectiveGreetingStyle(Person("Ing.", "Jan", "Novák")), GreetingStyle::Title);
    EXPECT_EQ(EffectiveGreetingStyle(Person("Bc.", "Jan", "Novák")), GreetingStyle::Surname);
    EXPECT_EQ(EffectiveGreetingStyle(Person("", "Jan", "Novák")), GreetingStyle::Surname);
    EXPECT_TRUE(IsAcademicTitle("Ing. arch."));
    EXPECT_TRUE(IsAcademicTitle("Ph.D., MBA"));
    EXPECT_FALSE(IsAcademicTitle("ředitel"));
    EXPECT_FALSE(IsAcademicTitle(""));
    EXPECT_EQ(FullName(Person("Ing.", "Jan", "Novák", "Ph.D.")), "Ing. Jan Novák, Ph.D.");
}

TEST(Greeting, FormattedNamesSplitIntoTitlesAndNames) {
    struct Row {
        const char* text;
        const char* title;
        const char* first;
        const char* surname;
        const char* after;
    };
    const Row rows[] = {
        {"Ing. Jan Novák", "Ing.", "Jan", "Novák", ""},
        {"prof. MUDr. Jan Pavel Svoboda, DrSc.", "prof. MUDr.", "Jan Pavel", "Svoboda", "DrSc."},
        {"Novák", "", "", "Novák", ""},
        {"  Jana   Nováková ", "", "Jana", "Nováková", ""},
        {"Novák, s.r.o.", "", "Novák,", "s.r.o.", ""},
        {"", "", "", "", ""},
    };
    for (const Row& row : rows) {
        Contact contact;
        ReadFormattedName(row.text, contact);
        EXPECT_EQ(contact.title, row.title) << row.text;
        EXPECT_EQ(contact.firstName, row.first) << row.text;
        EXPECT_EQ(contact.surname, row.surname) << row.text;
        EXPECT_EQ(contact.titleAfter, row.after) << row.text;
    }
}

TEST(CzechDate, MonthsInTheGenitive) {
    const char* expected[] = {"1. ledna 2026",  "2. února 2026",  "3. března 2026",     "4. dubna 2026",
                              "5. května 2026", "6. června 2026", "7. července 2026",   "8. srpna 2026",
                              "9. září 2026",   "10. října 2026", "11. listopadu 2026", "10. prosince 2026"};
    for (unsigned month = 1; month <= 12; ++month)
        EXPECT_EQ(CzechDate(2026, month, month == 12 ? 10 : month), expected[month - 1]);
}

PlaceholderValues Values() {
    Contact contact = Person("Ing.", "Jan", "Novák");
    contact.company = "Stavby Plzeň s.r.o.";
    return RecipientPlaceholders(&contact, "10. prosince 2026");
}

TEST(Placeholders, FilledEscapedAndLeftAsTyped) {
    struct Row {
        const char* text;
        const char* filled;
    };
    const Row rows[] = {
        {"{oslovení},", "Vážený pane inženýre,"},
        {"{osloveni},", "Vážený pane inženýre,"},
        {"{titul} {jméno} {příjmení}, {firma}", "Ing. Jan Novák, Stavby Plzeň s.r.o."},
        {"{jmeno} {prijmeni}", "Jan Novák"},
        {"V Plzni dne {datum}", "V Plzni dne 10. prosince 2026"},
        {"{{oslovení}", "{oslovení}"},
        {"{{", "{"},
        {"a {{ b }} c", "a { b }} c"},
        {"{neznámé} {Oslovení} { oslovení}", "{neznámé} {Oslovení} { oslovení}"},
        {"{oslovení", "{oslovení"},
        {"{jmé\r\nno}", "{jmé\r\nno}"},
        {"{{{jméno}", "{Jan"},
        {"{{jméno}}", "{jméno}}"},
        {"}{", "}{"},
        {"{", "{"},
        {"bez zástupných údajů", "bez zástupných údajů"},
        {"", ""},
    };
    const PlaceholderValues values = Values();
    for (const Row& row : rows) EXPECT_EQ(FillPlaceholders(row.text, values).text, row.filled) << row.text;
    EXPECT_FALSE(FillPlaceholders("{{ a {x}", values).anyPlaceholder);
    EXPECT_TRUE(FillPlaceholders("{datum}", values).anyPlaceholder);
}

TEST(Placeholders, AValueEndingWithAPeriodTakesThePlaceOfThePeriodAfterIt) {
    Contact contact = Person("Ph.D.", "Jan", "Novák");
    contact.company = "Firma a.s.";
    const PlaceholderValues values = RecipientPlaceholders(&contact, "10. prosince 2026");
    struct Row {
        const char* text;
        const char* filled;
    };
    const Row rows[] = {
        {"{firma}.", "Firma a.s."},
        {"Dodavatel: {firma}. Děkujeme.", "Dodavatel: Firma a.s. Děkujeme."},
        {"{titul}.", "Ph.D."},
        {"{firma}, {titul}", "Firma a.s., Ph.D."},
        {"{firma}...", "Firma a.s...."},  // an ellipsis stays whole
        {"{jméno}.", "Jan."},
        {"{datum}.", "10. prosince 2026."},
        {"{{firma}.", "{firma}."},
        {"{neznámé}.", "{neznámé}."},
    };
    for (const Row& row : rows) EXPECT_EQ(FillPlaceholders(row.text, values).text, row.filled) << row.text;
    // An empty value saves no period.
    EXPECT_EQ(FillPlaceholders("{firma}.", RecipientPlaceholders(nullptr, "")).text, ".");
}

TEST(Placeholders, EmptyOnesAreReportedWhereTheyStood) {
    const PlaceholderValues none = RecipientPlaceholders(nullptr, "1. ledna 2027");
    const FilledText filled = FillPlaceholders("{oslovení}, {jméno}! {titul}{firma} {datum}", none);
    EXPECT_EQ(filled.text, "Dobrý den, !  1. ledna 2027");
    // Byte offsets in the filled text: "ý" takes two.
    const std::vector<EmptyPlaceholder> expected = {{"jméno", 12}, {"titul", 14}, {"firma", 14}};
    EXPECT_EQ(filled.empty, expected);
}

TEST(Placeholders, Windows1250TextIsFilledWithWindows1250Values) {
    const PlaceholderValues values = Values().ToWin1250();
    // "{oslovení}," and "{příjmení}" as the preview's 8-bit text holds them.
    const FilledText filled = FillPlaceholders("{osloven\xed},\r\n{p\xf8\xedjmen\xed}", values);
    EXPECT_EQ(filled.text,
              "V\xe1\x9e"
              "en\xfd pane in\x9e"
              "en\xfdre,\r\nNov\xe1k");
}

// The program's text filled with the book's UTF-8 values: Windows-1250 while the result fits,
// the UTF-8 form when a value does not; the empty ones' offsets count the returned text's bytes.
TEST(Placeholders, ProgramTextTakesTheFormItsFilledTextNeeds) {
    const std::string mark(kUtf8Mark);
    Contact olena = Person("", "Олена", "Коваленко");
    const PlaceholderValues ukrainian = RecipientPlaceholders(&olena, "1. ledna 2027");
    const PlaceholderValues czech = Values();
    struct Row {
        const char* label;
        std::string text;
        const PlaceholderValues& values;
        std::string filled;
        std::vector<EmptyPlaceholder> empty;
    };
    const Row rows[] = {
        {"fits", "Dobr\xfd den, {jm\xe9no} {titul}!", czech, "Dobr\xfd den, Jan Ing.!", {}},
        {"value_outside",
         "Dobr\xfd den, {jm\xe9no} {p\xf8\xedjmen\xed}{titul}!",
         ukrainian,
         mark + "Dobrý den, Олена Коваленко!",
         {{"titul", 3 + 12 + 10 + 1 + 18}}},
        {"unused_value_outside_changes_nothing",
         "{titul} {datum}",
         ukrainian,
         " 1. ledna 2027",
         {{"titul", 0}}},
        {"utf8_text_fits_after_all", mark + "{dátum}", czech, "{d\xe1tum}", {}},
        {"utf8_text", mark + "→ {jméno}", czech, mark + "→ Jan", {}},
        {"without_braces_unchanged", mark + "→", ukrainian, mark + "→", {}},
    };
    for (const Row& row : rows) {
        const FilledText filled = FillProgramText(row.text, row.values);
        EXPECT_EQ(filled.text, row.filled) << row.label;
        EXPECT_EQ(filled.empty, row.empty) << row.label;
    }
}

}  // namespace
