#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/AddressBook.h"
#include "contacts/Contact.h"

namespace quillory {

// Puts the entry into the group `name` (trimmed); nothing for a blank name or a group it is in.
// Returns whether the entry changed.
bool AddToGroup(Contact& contact, std::string_view name);
bool InGroup(const Contact& contact, std::string_view name);

// Every group of the book's entries, once, ordered without regard to case and diacritics.
std::vector<std::string> BookGroups(const AddressBook& book);

// The group names of a list field: split at each of `separators` (":::", or "," and ";"), trimmed,
// each once, blanks dropped.
std::vector<std::string> SplitGroupList(std::string_view text,
                                        std::initializer_list<std::string_view> separators);

}  // namespace quillory
