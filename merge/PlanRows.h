#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "contacts/AddressBook.h"
#include "merge/MergePlan.h"
#include "merge/RecipientTable.h"

namespace quillory {

// The rows of the book's entries of one or more groups (an entry in several of them comes once),
// in the book's order. `date` is the text of {datum} (CzechDateToday). Names are UTF-8.
std::vector<MergeRow> RowsFromGroups(const AddressBook& book, const std::vector<std::string>& groups,
                                     std::string_view date);

// The rows of the entries picked in the book, by address, in the order given; an address the book
// does not have gives a row with the placeholders of no entry.
std::vector<MergeRow> RowsFromEntries(const AddressBook& book, const std::vector<std::string>& addresses,
                                      std::string_view date);

// The recipients of a CSV file: the table (columns, bad lines, encoding, for the window) and its
// rows. A row whose address is in the book gets the entry's names, title and greeting, and the
// CSV's columns on top; a row of another address is greeted by the names its own columns give
// (the columns ReadContactsCsv knows). Duplicate addresses within the file are merged.
struct CsvRecipients {
    RecipientTable table;
    std::vector<MergeRow> rows;
};
CsvRecipients RowsFromCsv(std::string_view bytes, const AddressBook& book, std::string_view date);

// Gives every row each column's placeholders, empty where the row has no value of its own, so that
// a row from the book that the CSV file does not name shows the column as an empty placeholder in
// the check instead of going out with "{částka}" as typed.
void GiveEveryRowTheColumns(std::vector<MergeRow>& rows, const std::vector<std::string>& columns);

}  // namespace quillory
