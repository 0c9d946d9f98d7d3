#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "contacts/Contact.h"

namespace quillory {

// Whether `address` can be an entry's e-mail address: one "@" between a local part and a domain of
// at least two labels, no blanks, controls or the characters that separate addresses and names
// (<>()[],;:"\), at most 254 bytes. Letters beyond ASCII are allowed (UTF-8).
bool IsUsableAddress(std::string_view address);

// The form two addresses are compared in: trimmed, in lower case.
std::string AddressKey(std::string_view address);

// The entries of the address book, one per e-mail address (addresses compared without regard to
// case), kept in the order they were added.
class AddressBook {
public:
    enum class MergeOutcome { Added, Merged, AlreadyPresent };

    const std::vector<Contact>& Contacts() const { return contacts_; }
    std::size_t Size() const { return contacts_.size(); }
    bool Empty() const { return contacts_.empty(); }
    const Contact& At(std::size_t index) const { return contacts_.at(index); }

    std::optional<std::size_t> IndexOf(std::string_view address) const;
    const Contact* Find(std::string_view address) const;

    // Adds the entry; false (and nothing added) when its address is already in the book.
    bool Add(Contact contact);
    // Replaces the entry at `index`; false (and nothing changed) when the new address belongs to
    // another entry.
    bool Replace(std::size_t index, Contact contact);
    void Remove(std::size_t index);
    // Adds an entry of a new address; an address already in the book keeps its entry, which takes
    // over only what it lacks (names, titles, company, the chosen gender and greeting, other
    // properties) and joins the groups it is not in yet: what the user wrote is never replaced by an import.
    MergeOutcome Merge(Contact contact);

    // Changes with every change of the book, for the views kept of it.
    std::uint64_t Revision() const { return revision_; }

private:
    void Reindex();

    std::vector<Contact> contacts_;
    std::unordered_map<std::string, std::size_t> byAddress_;
    std::uint64_t revision_ = 0;
};

}  // namespace quillory
