#include "contacts/AddressBook.h"

#include <algorithm>

#include "contacts/ContactGroups.h"
#include "contacts/UnicodeText.h"

namespace quillory {

bool IsUsableAddress(std::string_view address) {
    if (address.empty() || address.size() > 254) return false;
    const std::size_t at = address.find('@');
    if (at == 0 || at == std::string_view::npos || address.find('@', at + 1) != std::string_view::npos)
        return false;
    for (const char ch : address) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte <= ' ' || byte == 0x7F ||
            std::string_view("<>()[],;:\"\\").find(ch) != std::string_view::npos)
            return false;
    }
    if (!IsValidUtf8(address)) return false;
    const std::string_view local = address.substr(0, at);
    const std::string_view domain = address.substr(at + 1);
    if (local.size() > 64 || local.front() == '.' || local.back() == '.' ||
        local.find("..") != std::string_view::npos)
        return false;
    // At least two labels, none empty, none starting or ending with a hyphen.
    std::size_t labels = 0;
    std::size_t start = 0;
    while (start <= domain.size()) {
        const std::size_t end = std::min(domain.find('.', start), domain.size());
        const std::string_view label = domain.substr(start, end - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
        ++labels;
        start = end + 1;
    }
    return labels >= 2;
}

std::string AddressKey(std::string_view address) { return LowerUtf8(TrimText(address)); }

std::optional<std::size_t> AddressBook::IndexOf(std::string_view address) const {
    const auto it = byAddress_.find(AddressKey(address));
    if (it == byAddress_.end()) return std::nullopt;
    return it->second;
}

const Contact* AddressBook::Find(std::string_view address) const {
    const auto index = IndexOf(address);
    return index ? &contacts_[*index] : nullptr;
}

bool AddressBook::Add(Contact contact) {
    const auto [it, added] = byAddress_.emplace(AddressKey(contact.email), contacts_.size());
    if (!added) return false;
    contacts_.push_back(std::move(contact));
    ++revision_;
    return true;
}

bool AddressBook::Replace(std::size_t index, Contact contact) {
    const std::string key = AddressKey(contact.email);
    const auto owner = byAddress_.find(key);
    if (owner != byAddress_.end() && owner->second != index) return false;
    Contact& entry = contacts_.at(index);
    if (owner == byAddress_.end()) {
        byAddress_.erase(AddressKey(entry.email));
        byAddress_.emplace(key, index);
    }
    entry = std::move(contact);
    ++revision_;
    return true;
}

void AddressBook::Remove(std::size_t index) {
    contacts_.erase(contacts_.begin() + static_cast<std::ptrdiff_t>(index));
    Reindex();
    ++revision_;
}

AddressBook::MergeOutcome AddressBook::Merge(Contact contact) {
    const auto index = IndexOf(contact.email);
    if (!index) return Add(std::move(contact)) ? MergeOutcome::Added : MergeOutcome::AlreadyPresent;
    Contact& entry = contacts_[*index];
    const Contact before = entry;
    for (auto field : {&Contact::firstName, &Contact::surname, &Contact::title, &Contact::titleAfter,
                       &Contact::company, &Contact::greetingText}) {
        if (TrimText(entry.*field).empty() && !TrimText(contact.*field).empty())
            entry.*field = contact.*field;
    }
    if (!entry.gender) entry.gender = contact.gender;
    if (!entry.greetingStyle) entry.greetingStyle = contact.greetingStyle;
    for (const std::string& group : contact.groups) AddToGroup(entry, group);
    for (std::string& property : contact.otherProperties) {
        if (std::find(entry.otherProperties.begin(), entry.otherProperties.end(), property) ==
            entry.otherProperties.end())
            entry.otherProperties.push_back(std::move(property));
    }
    if (entry == before) return MergeOutcome::AlreadyPresent;
    ++revision_;
    return MergeOutcome::Merged;
}

void AddressBook::Reindex() {
    byAddress_.clear();
    for (std::size_t i = 0; i < contacts_.size(); ++i) byAddress_.emplace(AddressKey(contacts_[i].email), i);
}

}  // namespace quillory
