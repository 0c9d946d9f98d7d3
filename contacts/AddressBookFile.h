#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>

#include "contacts/AddressBook.h"
#include "contacts/TextEncoding.h"

namespace quillory {

// The address book's file in the data folder.
inline constexpr std::string_view kAddressBookFileName = "kontakty.vcf";
// A larger file is not read: ten thousand entries take about two megabytes.
inline constexpr std::size_t kMaxAddressBookBytes = std::size_t(64) << 20;

// How reading the address book's file went.
struct AddressBookLoad {
    enum class State {
        Missing,     // no file yet: an empty book, the file is made at the first change
        Loaded,      // read whole
        Unreadable,  // the file could not be read at all
        Damaged,     // read, but not whole: cards or lines were skipped
    };
    State state = State::Missing;
    // Unreadable: the system's error code, or 0 when the file is no regular file or too large.
    int systemError = 0;
    bool notRegular = false;
    bool tooLarge = false;
    // Damaged: what was skipped, and where the first of it starts (1-based line).
    int badCards = 0;
    int cardsWithoutAddress = 0;
    int strayLines = 0;
    std::size_t firstProblemLine = 0;
    bool notUtf8 = false;  // the file was not UTF-8 (read as Windows-1250)
};

// Reads and writes the address book as a vCard 4.0 file. A file that cannot be read whole is never
// written over in this run: the user's entries stay in it for a mending by hand, however the book
// changes meanwhile.
class AddressBookFile {
public:
    explicit AddressBookFile(std::filesystem::path path) : path_(std::move(path)) {}

    const std::filesystem::path& Path() const { return path_; }
    bool Writable() const { return writable_; }

    // Replaces the entries of `book` with those of the file. A missing file gives an empty book;
    // of a damaged one the entries that could be read (an address that appears twice is merged).
    AddressBookLoad Load(AddressBook& book);
    // Writes `book` over the file, whole or not at all (a temporary file renamed over it), readable
    // and writable by its owner only. Returns false, writing nothing, when the file was found
    // unreadable or damaged. Raises EFCreateError when the file cannot be written.
    bool Save(const AddressBook& book);

private:
    std::filesystem::path path_;
    bool writable_ = true;
};

}  // namespace quillory
