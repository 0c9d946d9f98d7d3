#pragma once

#include <string>
#include <string_view>

#include "contacts/Contact.h"

namespace quillory {

// What {oslovení} gives without an entry, and with one that does not say whom it addresses.
inline constexpr std::string_view kNeutralGreeting = "Dobrý den";

// The fifth case Czech habit addresses a titled person by, from the highest of the titles before and
// after the name: "profesore" / "profesorko" (prof.), "docente" / "docentko" (doc.), "doktore" /
// "doktorko" (MUDr., JUDr., PhDr., RNDr., MVDr. and the other doctorates, Ph.D., CSc.), "inženýre" /
// "inženýrko" (Ing.), "magistře" / "magistro" (Mgr., MgA.). Empty when no title is addressed by
// (Bc., DiS., MBA) or the gender is unknown.
std::string TitleVocative(std::string_view titlesBefore, std::string_view titlesAfter, Gender gender);

// Whether every word of `text` is an academic title the book knows ("Ing.", "doc. MUDr.", "Ph.D.").
bool IsAcademicTitle(std::string_view text);

// The gender an entry is addressed by: the chosen one, else the one its names suggest.
Gender EffectiveGender(const Contact& contact);
// The greeting style an entry uses: the chosen one, else Title when a title is addressed by, else
// Surname.
GreetingStyle EffectiveGreetingStyle(const Contact& contact);

// The whole greeting of {oslovení}: "Vážený pane inženýre", "Vážená paní Nováková", "Milý Jane", the
// entry's own text, or "Dobrý den" when the gender or the name it needs is missing.
std::string Greeting(const Contact& contact);

// Reads a name written out ("Ing. Jan Novák, Ph.D.") into the entry's titles, first name and
// surname: academic titles at the start and after a comma are titles, the last word is the surname
// and the words before it the first name. A single word is taken for the surname.
void ReadFormattedName(std::string_view formatted, Contact& contact);

// "Ing. Jan Novák, Ph.D." (the parts the entry has).
std::string FullName(const Contact& contact);

}  // namespace quillory
