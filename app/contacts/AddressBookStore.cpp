#include "app/contacts/AddressBookStore.h"

#include "contacts/Salutation.h"
#include "contacts/UnicodeText.h"

namespace quillory {

AddressBookStore::AddressBookStore(std::filesystem::path file, QObject* parent)
    : QObject(parent), file_(std::move(file)) {}

AddressBookLoad AddressBookStore::Load() {
    const AddressBookLoad load = file_.Load(book_);
    emit changed();
    return load;
}

const ContactMatcher& AddressBookStore::Matcher() {
    if (!matcher_ || matcher_->Revision() != book_.Revision()) matcher_ = std::make_unique<ContactMatcher>(book_);
    return *matcher_;
}

// The change is announced before the file is written: the windows show the book as it is even when
// writing fails.
void AddressBookStore::Saved() {
    emit changed();
    file_.Save(book_);
}

bool AddressBookStore::Add(Contact contact) {
    if (!book_.Add(std::move(contact))) return false;
    Saved();
    return true;
}

bool AddressBookStore::Replace(std::size_t index, Contact contact) {
    if (!book_.Replace(index, std::move(contact))) return false;
    Saved();
    return true;
}

void AddressBookStore::Remove(std::size_t index) {
    book_.Remove(index);
    Saved();
}

ImportCounts AddressBookStore::Merge(std::vector<Contact> contacts) {
    ImportCounts counts;
    for (Contact& contact : contacts) {
        switch (book_.Merge(std::move(contact))) {
        case AddressBook::MergeOutcome::Added: ++counts.added; break;
        case AddressBook::MergeOutcome::Merged: ++counts.merged; break;
        case AddressBook::MergeOutcome::AlreadyPresent: ++counts.alreadyPresent; break;
        }
    }
    if (counts.added + counts.merged > 0) Saved();
    return counts;
}

int AddressBookStore::Learn(const std::vector<Recipient>& recipients) {
    int added = 0;
    for (const Recipient& recipient : recipients) {
        Contact contact;
        contact.email = TrimText(recipient.address);
        if (!IsUsableAddress(contact.email) || book_.Find(contact.email)) continue;
        ReadFormattedName(recipient.name, contact);
        if (book_.Add(std::move(contact))) ++added;
    }
    if (added > 0) Saved();
    return added;
}

}  // namespace quillory
