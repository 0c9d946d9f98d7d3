#include "merge/PlanRows.h"

#include "contacts/ContactGroups.h"
#include "contacts/ContactsCsv.h"
#include "contacts/Salutation.h"

namespace quillory {
namespace {

bool Named(const PlaceholderValues& values) {
    for (const char* name : {"jméno", "příjmení"})
        if (const std::string* value = values.Find(name); value && !value->empty()) return true;
    return false;
}

MergeRow RowOf(std::string address, const Contact* contact, PlaceholderValues values) {
    MergeRow row;
    row.address = std::move(address);
    if (contact) row.name = FullName(*contact);
    row.named = Named(values);
    row.values = std::move(values);
    return row;
}

MergeRow EntryRow(const Contact& contact, std::string_view date) {
    return RowOf(contact.email, &contact, RecipientPlaceholders(&contact, date));
}

}  // namespace

std::vector<MergeRow> RowsFromGroups(const AddressBook& book, const std::vector<std::string>& groups,
                                     std::string_view date) {
    std::vector<MergeRow> rows;
    for (const Contact& contact : book.Contacts()) {
        for (const std::string& group : groups) {
            if (!InGroup(contact, group)) continue;
            rows.push_back(EntryRow(contact, date));
            break;
        }
    }
    return rows;
}

std::vector<MergeRow> RowsFromEntries(const AddressBook& book, const std::vector<std::string>& addresses,
                                      std::string_view date) {
    std::vector<MergeRow> rows;
    for (const std::string& address : addresses) {
        if (const Contact* contact = book.Find(address)) rows.push_back(EntryRow(*contact, date));
        else rows.push_back(RowOf(address, nullptr, RecipientPlaceholders(nullptr, date)));
    }
    std::vector<MergeRow> merged;
    AddRows(merged, std::move(rows));
    return merged;
}

CsvRecipients RowsFromCsv(std::string_view bytes, const AddressBook& book, std::string_view date) {
    CsvRecipients result{ReadRecipientTable(bytes), {}};
    // The names the file's own columns give, for the rows the book does not know.
    AddressBook fromFile;
    for (Contact& contact : ReadContactsCsv(bytes).contacts)
        if (!book.Find(contact.email)) fromFile.Add(std::move(contact));
    std::vector<MergeRow> rows;
    rows.reserve(result.table.rows.size());
    for (std::size_t i = 0; i < result.table.rows.size(); ++i) {
        const RecipientRow& recipient = result.table.rows[i];
        const Contact* inBook = book.Find(recipient.address);
        const AddressBook& names = inBook ? book : fromFile;
        MergeRow row = RowOf(recipient.address, inBook ? inBook : fromFile.Find(recipient.address),
                             result.table.Placeholders(i, names, date));
        row.csvLine = recipient.line;
        rows.push_back(std::move(row));
    }
    AddRows(result.rows, std::move(rows));
    return result;
}

void GiveEveryRowTheColumns(std::vector<MergeRow>& rows, const std::vector<std::string>& columns) {
    for (const std::string& column : columns)
        for (const std::string& name : ColumnPlaceholderNames(column))
            for (MergeRow& row : rows)
                if (!row.values.Find(name)) row.values.Set(name, {});
}

}  // namespace quillory
