#include "contacts/ContactGroups.h"

#include <algorithm>

#include "contacts/UnicodeText.h"

namespace quillory {

bool AddToGroup(Contact& contact, std::string_view name) {
    const std::string_view trimmed = TrimText(name);
    if (trimmed.empty() || InGroup(contact, trimmed)) return false;
    contact.groups.emplace_back(trimmed);
    return true;
}

bool InGroup(const Contact& contact, std::string_view name) {
    return std::find(contact.groups.begin(), contact.groups.end(), TrimText(name)) != contact.groups.end();
}

std::vector<std::string> BookGroups(const AddressBook& book) {
    std::vector<std::string> groups;
    for (const Contact& contact : book.Contacts())
        for (const std::string& group : contact.groups)
            if (std::find(groups.begin(), groups.end(), group) == groups.end()) groups.push_back(group);
    std::stable_sort(groups.begin(), groups.end(), [](const std::string& a, const std::string& b) {
        const std::string foldedA = FoldForSearch(a);
        const std::string foldedB = FoldForSearch(b);
        return foldedA != foldedB ? foldedA < foldedB : a < b;
    });
    return groups;
}

std::vector<std::string> SplitGroupList(std::string_view text,
                                        std::initializer_list<std::string_view> separators) {
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.size();
        std::size_t length = 1;
        for (const std::string_view separator : separators) {
            const std::size_t found = text.find(separator, start);
            if (found < end) {
                end = found;
                length = separator.size();
            }
        }
        const std::string_view name = TrimText(text.substr(start, end - start));
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.emplace_back(name);
        start = end + length;
    }
    return names;
}

}  // namespace quillory
