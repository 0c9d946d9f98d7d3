#include "contacts/AddressBookFile.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "contacts/VCard.h"
#include "core/Win1250.h"
#include "storage/AtomicFile.h"
#include "storage/FileErrors.h"
#include "storage/RegularFile.h"

namespace quillory {

AddressBookLoad AddressBookFile::Load(AddressBook& book) {
    AddressBookLoad load;
    book = AddressBook();
    std::string bytes;
    const TReadResult read = ReadRegularFile(path_, kMaxAddressBookBytes, bytes);
    if (!read) {
        if (read.failure == TReadResult::TFailure::System && read.error == ENOENT) return load;
        load.state = AddressBookLoad::State::Unreadable;
        load.systemError = read.failure == TReadResult::TFailure::System ? read.error : 0;
        load.notRegular = read.failure == TReadResult::TFailure::NotRegular;
        load.tooLarge = read.failure == TReadResult::TFailure::TooLarge;
        writable_ = false;
        return load;
    }
    VCardReadResult cards = ReadVCards(bytes);
    for (Contact& contact : cards.contacts) book.Merge(std::move(contact));
    load.badCards = cards.badCards;
    load.cardsWithoutAddress = cards.withoutAddress;
    load.strayLines = cards.strayLines;
    load.firstProblemLine = cards.firstProblemLine;
    load.notUtf8 = cards.encoding != TextEncoding::Utf8;
    const bool whole = cards.badCards == 0 && cards.withoutAddress == 0 && cards.strayLines == 0 && !load.notUtf8;
    load.state = whole ? AddressBookLoad::State::Loaded : AddressBookLoad::State::Damaged;
    writable_ = whole;
    return load;
}

bool AddressBookFile::Save(const AddressBook& book) {
    if (!writable_) return false;
    TReplaceOptions options;
    options.mode = 0600;
    const TReplaceResult result = ReplaceFileWhole(path_, WriteVCards(book.Contacts()), options);
    if (!result) {
        std::string reason = std::strerror(result.error);
        throw EFCreateError("Cannot create file \"" + Utf8ToWin1250(path_.string()) + "\". " + reason);
    }
    return true;
}

}  // namespace quillory
