#pragma once

#include <ostream>

#include "contacts/Contact.h"

namespace quillory {

// Shows an entry field by field in a failed comparison.
inline void PrintTo(const Contact& contact, std::ostream* out) {
    *out << "{email=" << contact.email << " first=" << contact.firstName << " surname=" << contact.surname
         << " title=" << contact.title << " after=" << contact.titleAfter << " company=" << contact.company
         << " gender=" << (contact.gender ? static_cast<int>(*contact.gender) : -1)
         << " style=" << (contact.greetingStyle ? static_cast<int>(*contact.greetingStyle) : -1)
         << " text=" << contact.greetingText << " other=[";
    for (const auto& property : contact.otherProperties) *out << property << "|";
    *out << "] groups=[";
    for (const auto& group : contact.groups) *out << group << "|";
    *out << "]}";
}

}  // namespace quillory
