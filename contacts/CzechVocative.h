#pragma once

#include <string>
#include <string_view>

namespace quillory {

enum class Gender { Unknown, Male, Female };

// The gender Czech names suggest. A surname in -ová or -á is a woman's; otherwise the first name
// decides (-a and -e are women's names, a consonant a man's, with tables of the names that go
// against this, such as Honza, Dagmar or René). First names used by both (Nikola, Saša, Míla, ...)
// and a first name missing leave it to a surname that looks like a man's (Novák, Svoboda, Černý);
// what neither decides is Unknown. Names are UTF-8; letter case and diacritics do not matter.
Gender GuessGender(std::string_view firstName, std::string_view surname);

// The fifth case (vocative) of a first name or a surname, as Czech addresses a person: "Jane",
// "Petře", "Zdeňku", "Jano", "Nováku", "Svobodo", "Němče", "Králi"; "Černý", "Krejčí", "Jiří" and
// "Marie" keep their form, and so does every woman's surname ("paní Nováková", "paní Smith").
// Several words (separated by blanks or hyphens) are declined one by one; a word the Czech rules do
// not cover (letters or spellings Czech does not have: "Smith", "Müller", "O'Neill") stays as it is,
// as do abbreviations ("J.") and lower-case particles ("van", "de"). With Gender::Unknown nothing
// is declined. The result keeps the name's letter case ("NOVÁKU" for "NOVÁK").
std::string VocativeFirstName(std::string_view firstName, Gender gender);
std::string VocativeSurname(std::string_view surname, Gender gender);

// Whether a single name word is spelt in a way Czech words are not, so the Czech endings would
// mangle it.
bool LooksForeign(std::string_view word);

}  // namespace quillory
