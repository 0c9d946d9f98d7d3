#pragma once

#include <string>
#include <vector>

#include "contacts/Contact.h"

namespace quillory::bench {

// `count` entries of common Czech names, every third one with a title, each of its own address.
inline std::vector<Contact> CzechContacts(int count) {
    static const char* const kFirst[] = {"Jan", "Petr", "Jana", "Marie", "Tomáš", "Eva", "Zdeněk", "Lenka",
                                         "Pavel", "Hana", "Jiří", "Kateřina", "Martin", "Lucie", "Josef"};
    static const char* const kSurname[] = {"Novák", "Svoboda", "Dvořák", "Černý", "Procházka", "Kučera",
                                           "Veselý", "Horák", "Němec", "Marek", "Pospíšil", "Hájek", "Král",
                                           "Jelínek", "Růžička", "Beneš", "Fiala", "Sedláček", "Zeman"};
    std::vector<Contact> contacts;
    contacts.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        Contact contact;
        contact.firstName = kFirst[i % 15];
        contact.surname = kSurname[(i / 15) % 19];
        contact.email = "kontakt" + std::to_string(i) + "@firma" + std::to_string(i % 97) + ".cz";
        if (i % 3 == 0) contact.title = "Ing.";
        contact.company = "Firma " + std::to_string(i % 97) + " s.r.o.";
        contacts.push_back(std::move(contact));
    }
    return contacts;
}

}  // namespace quillory::bench
