#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/AddressBook.h"

namespace quillory {

// Finds entries of an address book by what the user types, without regard to letter case and
// diacritics ("novak" finds "Novák"). Made once for a state of the book (see AddressBook::Revision)
// and asked on every keystroke: the texts are folded ahead, so a question is one pass over them.
class ContactMatcher {
public:
    explicit ContactMatcher(const AddressBook& book);

    // Completion: the entries where a word of the address, the first name or the surname starts with
    // `typed` (also "jan nov" for Jan Novák), at most `limit`, ordered by surname, first name and
    // address. Nothing for a blank text.
    std::vector<std::size_t> Complete(std::string_view typed, std::size_t limit) const;
    // Search: the entries holding `text` anywhere in the address, the names, titles or company, in
    // the book's order; every entry for a blank text.
    std::vector<std::size_t> Search(std::string_view text) const;

    std::uint64_t Revision() const { return revision_; }

private:
    struct Entry {
        std::string completion;  // "first surname\naddress", folded
        std::string search;      // everything searched, folded
    };
    std::vector<Entry> entries_;
    std::vector<std::size_t> order_;  // the entries by surname, first name and address
    std::uint64_t revision_ = 0;
};

}  // namespace quillory
