#include "merge/RecipientTable.h"

#include "contacts/ContactsCsv.h"
#include "contacts/CsvReader.h"
#include "contacts/UnicodeText.h"

namespace quillory {
namespace {

std::string ColumnName(std::string_view header) {
    std::string name;
    for (const char ch : TrimText(header)) {
        const bool blank = ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n';
        if (blank && (name.empty() || name.back() == ' ')) continue;
        name += blank ? ' ' : ch;
    }
    return name;
}

}  // namespace

RecipientTable ReadRecipientTable(std::string_view bytes) {
    RecipientTable table;
    const DecodedText decoded = DecodeTextFile(bytes);
    table.encoding = decoded.encoding;
    CsvReader reader(decoded.utf8);
    const CsvRecord header = reader.NextNotBlank();
    if (header.bad || IsBlank(header)) return table;
    for (const std::string& field : header.fields) table.columns.push_back(ColumnName(field));
    table.addressColumn = EmailColumn(table.columns);
    for (std::size_t i = 0; !table.addressColumn && i < table.columns.size(); ++i)
        if (FoldForSearch(table.columns[i]).find("mail") != std::string::npos) table.addressColumn = i;

    while (!reader.AtEnd()) {
        CsvRecord record = reader.Next();
        if (!record.bad && IsBlank(record)) continue;
        if (record.bad || HasFieldsBeyond(record, table.columns.size())) {
            ++table.badLines;
            if (table.firstBadLine == 0) table.firstBadLine = record.line;
            continue;
        }
        RecipientRow row;
        row.line = record.line;
        record.fields.resize(table.columns.size());
        for (const std::string& field : record.fields) row.values.emplace_back(TrimText(field));
        if (table.addressColumn) row.address = row.values[*table.addressColumn];
        table.rows.push_back(std::move(row));
    }
    return table;
}

std::vector<std::string> ColumnPlaceholderNames(const std::string& column) {
    std::vector<std::string> names;
    for (std::string name : {column, LowerUtf8(column), FoldForSearch(column)})
        if (!name.empty()) names.push_back(std::move(name));
    return names;
}

PlaceholderValues RecipientTable::Placeholders(std::size_t row, const AddressBook& book,
                                               std::string_view date) const {
    const RecipientRow& recipient = rows.at(row);
    PlaceholderValues values = RecipientPlaceholders(book.Find(recipient.address), date);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::string& value = recipient.values[i];
        for (const std::string& name : ColumnPlaceholderNames(columns[i])) {
            const std::string* known = values.Find(name);
            if (!value.empty() || !known) values.Set(name, value);
        }
    }
    return values;
}

}  // namespace quillory
