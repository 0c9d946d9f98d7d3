#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/Contact.h"
#include "contacts/TextEncoding.h"

namespace quillory {

// What a CSV export of contacts held.
struct CsvReadResult {
    std::vector<Contact> contacts;  // the rows read, in the file's order
    int badLines = 0;               // rows skipped as malformed: a quote left open, text after a closing
                                    // quote, more fields than columns, an address that is no address
    int withoutAddress = 0;         // rows with a name but no e-mail address
    std::size_t firstBadLine = 0;   // 1-based line where the first bad row starts; 0: none
    bool recognised = false;        // the first line names a column of e-mail addresses
    TextEncoding encoding = TextEncoding::Utf8;
};

// Reads the contacts of a CSV file (RFC 4180: quoted fields with "" for a quote and line breaks
// inside) as address books and mail programs export them. The first line names the columns; the
// names of Google Contacts ("First Name", "E-mail 1 - Value", "Organization Name", also its older
// "Given Name", "Family Name"), Thunderbird ("Primary Email", "Display Name", "Organization", in
// English or Czech) and Outlook ("E-mail Address", "Company") are known, without regard to case and
// diacritics. The groups come from Google's "Labels" or "Group Membership" (" ::: " between them, its
// own "* myContacts"-style groups dropped) or a "Categories" column (also "Kategorie", "Skupiny"; ","
// or ";" between them). Fields are separated by commas, semicolons or tabs, whichever the first line
// uses most. The text may be UTF-8 (with or without a byte-order mark), UTF-16 with a mark, or
// Windows-1250. A bad row is skipped and counted; the rows after it are read on.
CsvReadResult ReadContactsCsv(std::string_view bytes);

// Among a CSV header's column names, the column of e-mail addresses ReadContactsCsv reads first;
// none when no name is one it knows.
std::optional<std::size_t> EmailColumn(const std::vector<std::string>& header);

}  // namespace quillory
