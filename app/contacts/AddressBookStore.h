#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "contacts/AddressBook.h"
#include "contacts/AddressBookFile.h"
#include "contacts/ContactMatcher.h"

namespace quillory {

// What one import brought.
struct ImportCounts {
    int added = 0;           // new entries
    int merged = 0;          // entries already in the book that took over what they lacked
    int alreadyPresent = 0;  // entries already in the book with nothing new
    int skippedBad = 0;      // bad lines (CSV) or cards (vCard)
    int skippedWithoutAddress = 0;
};

// The address book of the running program: the entries, their file in the data folder and the
// matcher completion asks. Every change is written to the file at once (unless the file was found
// damaged at the start, see AddressBookFile) and announced by changed().
class AddressBookStore : public QObject {
    Q_OBJECT
public:
    explicit AddressBookStore(std::filesystem::path file, QObject* parent = nullptr);

    // Reads the file; see AddressBookFile::Load.
    AddressBookLoad Load();
    const AddressBook& Book() const { return book_; }
    const AddressBookFile& File() const { return file_; }
    // The matcher of the book as it is now (made again after a change).
    const ContactMatcher& Matcher();

    // Each raises EFCreateError when the file cannot be written; the change stays in the book.
    bool Add(Contact contact);
    bool Replace(std::size_t index, Contact contact);
    void Remove(std::size_t index);
    // Merges `contacts` by address (AddressBook::Merge) and saves once.
    ImportCounts Merge(std::vector<Contact> contacts);
    // A recipient of a delivered message (UTF-8).
    struct Recipient {
        std::string name;  // the display name it was sent with, maybe empty
        std::string address;
    };
    // Adds an entry for every recipient whose address the book does not hold yet, with the name it
    // was sent with; the user fills in the rest. Returns how many were added.
    int Learn(const std::vector<Recipient>& recipients);

signals:
    void changed();

private:
    void Saved();

    AddressBookFile file_;
    AddressBook book_;
    std::unique_ptr<ContactMatcher> matcher_;
};

}  // namespace quillory
