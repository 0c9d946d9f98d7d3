#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/AddressBook.h"
#include "contacts/Placeholders.h"
#include "contacts/TextEncoding.h"

namespace quillory {

// One recipient row of a CSV file.
struct RecipientRow {
    std::string address;              // the address column's text, trimmed; maybe no usable address
    std::vector<std::string> values;  // by column, trimmed; as many as the header has columns
    std::size_t line = 0;             // where the row starts in the file (1-based)
};

// The recipients of a mail merge from a CSV file: the first line names the columns, and each column
// becomes a placeholder by its name ("Částka" gives {Částka}, {částka} and {castka}).
struct RecipientTable {
    std::vector<std::string> columns;  // the header's names, trimmed, inner blanks made single
    std::optional<std::size_t> addressColumn;
    std::vector<RecipientRow> rows;  // every row that is not blank, in the file's order
    int badLines = 0;                // rows skipped as malformed (a quote left open, more fields)
    std::size_t firstBadLine = 0;
    TextEncoding encoding = TextEncoding::Utf8;

    // The placeholders of a row (UTF-8): those of the book's entry of its address (or of no entry,
    // RecipientPlaceholders), and on top each column under its names. A column's value left empty
    // does not hide the book's value of the same name.
    PlaceholderValues Placeholders(std::size_t row, const AddressBook& book, std::string_view date) const;
};

// The names a column's values go under as placeholders: as written, in lower case and without
// accents ("Částka", "částka", "castka"); none empty.
std::vector<std::string> ColumnPlaceholderNames(const std::string& column);

// Reads a CSV file of recipients in the encodings and with the separators ReadContactsCsv takes. The
// address column is the e-mail column ReadContactsCsv would read, else the first one named with
// "mail"; none when the header has neither. Rows keep addresses that are empty or unusable, for the
// check before sending to show.
RecipientTable ReadRecipientTable(std::string_view bytes);

}  // namespace quillory
