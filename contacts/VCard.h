#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/Contact.h"
#include "contacts/TextEncoding.h"

namespace quillory {

// What a vCard file held.
struct VCardReadResult {
    std::vector<Contact> contacts;     // the cards read, in the file's order
    int badCards = 0;                  // cards skipped as malformed (also one with no usable address)
    int withoutAddress = 0;            // well-formed cards skipped for having no e-mail address at all
    int strayLines = 0;                // lines outside every card that are not blank
    std::size_t firstProblemLine = 0;  // 1-based line of the first bad card or stray line; 0: none
    TextEncoding encoding = TextEncoding::Utf8;
};

// Reads the cards of a vCard 4.0, 3.0 or 2.1 file (RFC 6350; RFC 2426), in UTF-8 or, without a
// byte-order mark and not well-formed UTF-8, Windows-1250. Lines are unfolded (§3.2) and values
// unescaped (§3.4); 2.1's quoted-printable values are decoded. A card gives an entry from N (or FN
// when N has no name), its preferred EMAIL, ORG, an academic TITLE, GENDER, the groups of CATEGORIES and the
// book's own X-QUILLORY-GREETING and X-QUILLORY-GREETING-TEXT; every other property is kept as read. A card
// without END, with a line that is no property, or whose EMAIL is no usable address is skipped and counted;
// the rest of the file is read on.
VCardReadResult ReadVCards(std::string_view bytes);

// The entries as a vCard 4.0 file: UTF-8, CR LF line ends, lines folded at 75 octets (§3.2) without
// splitting a character.
std::string WriteVCards(const std::vector<Contact>& contacts);

}  // namespace quillory
