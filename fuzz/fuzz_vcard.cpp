// The vCard reader on a file of any bytes: every entry it gives has a usable address, text that is
// well-formed UTF-8 and no blank group; the book's own file made of the entries has lines of at most
// 75 octets that split no character, and reads back as the same entries, whole, and is written again
// byte for byte the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "contacts/AddressBook.h"
#include "contacts/UnicodeText.h"
#include "contacts/VCard.h"
#include "support/FuzzCheck.h"

using namespace quillory;
using quillory::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const VCardReadResult read = ReadVCards(bytes);
    Check(read.badCards >= 0 && read.withoutAddress >= 0 && read.strayLines >= 0);
    Check((read.badCards + read.strayLines > 0) == (read.firstProblemLine > 0));
    for (const Contact& contact : read.contacts) {
        Check(IsUsableAddress(contact.email));
        for (const std::string* text : {&contact.firstName, &contact.surname, &contact.title,
                                        &contact.titleAfter, &contact.company, &contact.greetingText})
            Check(IsValidUtf8(*text));
        for (const std::string& group : contact.groups) Check(IsValidUtf8(group) && !TrimText(group).empty());
    }

    const std::string file = WriteVCards(read.contacts);
    Check(IsValidUtf8(file));
    for (std::size_t start = 0; start < file.size();) {
        const std::size_t end = file.find("\r\n", start);
        Check(end != std::string::npos && end - start <= 75);
        start = end + 2;
    }
    const VCardReadResult again = ReadVCards(file);
    Check(again.badCards == 0 && again.strayLines == 0 && again.withoutAddress == 0);
    Check(again.contacts == read.contacts);
    Check(WriteVCards(again.contacts) == file);
    return 0;
}
