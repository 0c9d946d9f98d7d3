// The CSV reader of contact exports on a file of any bytes: every entry it gives has a usable
// address and well-formed UTF-8 text; nothing is read from a file whose first line names no address
// column; a bad row is counted with the line it starts on, and no more rows are counted than the
// file has lines.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "contacts/AddressBook.h"
#include "contacts/ContactsCsv.h"
#include "contacts/UnicodeText.h"
#include "support/FuzzCheck.h"

using namespace quillory;
using quillory::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const CsvReadResult read = ReadContactsCsv(bytes);
    if (!read.recognised) {
        Check(read.contacts.empty() && read.badLines == 0 && read.withoutAddress == 0);
        return 0;
    }
    for (const Contact& contact : read.contacts) {
        Check(IsUsableAddress(contact.email));
        for (const std::string* text : {&contact.firstName, &contact.surname, &contact.title, &contact.titleAfter,
                                        &contact.company})
            Check(IsValidUtf8(*text));
    }
    // Lines of the text as decoded (UTF-16 takes two bytes a character): at least one per row.
    const std::size_t lines = 1 + static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) +
                              static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\r'));
    Check(read.badLines >= 0 && read.withoutAddress >= 0);
    Check(read.contacts.size() + static_cast<std::size_t>(read.badLines + read.withoutAddress) < lines);
    Check((read.badLines > 0) == (read.firstBadLine > 0));
    Check(read.firstBadLine < lines + 1);
    return 0;
}
