#pragma once

#include <optional>
#include <string>
#include <vector>

#include "contacts/CzechVocative.h"

namespace quillory {

// How {oslovení} addresses the person.
enum class GreetingStyle {
    Title,      // "Vážený pane inženýre" (by the name when no title is addressed by)
    Surname,    // "Vážený pane Nováku", "Vážená paní Nováková"
    FirstName,  // "Milý Jane", "Milá Jano"
    Custom,     // the entry's own text
};

// One entry of the address book. Texts are UTF-8.
struct Contact {
    std::string email;
    std::string firstName;
    std::string surname;
    std::string title;       // academic titles before the name: "Ing.", "prof. MUDr."
    std::string titleAfter;  // and after it: "Ph.D.", "CSc."
    std::string company;
    // The gender the user chose; none: guessed from the names each time they are used.
    std::optional<Gender> gender;
    // The greeting the user chose; none: by the title where there is one, else by the surname.
    std::optional<GreetingStyle> greetingStyle;
    std::string greetingText;  // with GreetingStyle::Custom
    // The groups the entry belongs to ("Zákazníci", "Výbor"), each once, in the order given; a name
    // may hold any character, commas included (vCard CATEGORIES).
    std::vector<std::string> groups;
    // The vCard properties the book does not use (telephones, addresses, notes), unfolded, as read;
    // written back unchanged.
    std::vector<std::string> otherProperties;

    bool operator==(const Contact&) const = default;
};

}  // namespace quillory
