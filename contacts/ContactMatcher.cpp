#include "contacts/ContactMatcher.h"

#include <algorithm>
#include <numeric>

#include "contacts/UnicodeText.h"

namespace quillory {
namespace {

// A word starts after these; '\n' separates the names from the address.
bool IsWordSeparator(char ch) {
    return ch == ' ' || ch == '\n' || ch == '.' || ch == '-' || ch == '_' || ch == '+' || ch == '@';
}

std::string Folded(std::string_view text) { return FoldForSearch(TrimText(text)); }

}  // namespace

ContactMatcher::ContactMatcher(const AddressBook& book) : revision_(book.Revision()) {
    const auto& contacts = book.Contacts();
    entries_.reserve(contacts.size());
    std::vector<std::string> sortKeys;
    sortKeys.reserve(contacts.size());
    for (const Contact& contact : contacts) {
        const std::string first = Folded(contact.firstName);
        const std::string surname = Folded(contact.surname);
        const std::string address = Folded(contact.email);
        Entry entry;
        entry.completion = first + " " + surname + "\n" + address;
        entry.search = entry.completion + "\n" + Folded(contact.title) + "\n" + Folded(contact.titleAfter) +
                       "\n" + Folded(contact.company);
        entries_.push_back(std::move(entry));
        // An entry without a surname sorts by its address, after the named ones.
        sortKeys.push_back(surname.empty() ? "\x7f" + address : surname + '\n' + first + '\n' + address);
    }
    order_.resize(contacts.size());
    std::iota(order_.begin(), order_.end(), std::size_t{0});
    std::stable_sort(order_.begin(), order_.end(),
                     [&sortKeys](std::size_t a, std::size_t b) { return sortKeys[a] < sortKeys[b]; });
}

std::vector<std::size_t> ContactMatcher::Complete(std::string_view typed, std::size_t limit) const {
    std::vector<std::size_t> found;
    const std::string query = Folded(typed);
    if (query.empty()) return found;
    for (const std::size_t index : order_) {
        const std::string& text = entries_[index].completion;
        for (std::size_t pos = text.find(query); pos != std::string::npos; pos = text.find(query, pos + 1)) {
            if (pos == 0 || IsWordSeparator(text[pos - 1])) {
                found.push_back(index);
                break;
            }
        }
        if (found.size() >= limit) break;
    }
    return found;
}

std::vector<std::size_t> ContactMatcher::Search(std::string_view text) const {
    std::vector<std::size_t> found;
    const std::string query = Folded(text);
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (query.empty() || entries_[i].search.find(query) != std::string::npos) found.push_back(i);
    return found;
}

}  // namespace quillory
