#include "contacts/ContactsCsv.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "contacts/AddressBook.h"
#include "contacts/ContactGroups.h"
#include "contacts/CsvReader.h"
#include "contacts/Salutation.h"
#include "contacts/UnicodeText.h"

namespace quillory {
namespace {

enum class Column {
    Email,
    FirstName,
    MiddleName,
    Surname,
    DisplayName,
    Prefix,
    Suffix,
    Company,
    Labels,      // Google: "* myContacts ::: Zákazníci ::: Výbor"
    Categories,  // other programs: "Zákazníci, Výbor" or "Zákazníci;Výbor"
    Count
};

struct KnownColumn {
    std::string_view name;  // folded
    Column column;
};

// In the order of preference: an earlier e-mail column is used before a later one.
constexpr std::array<KnownColumn, 57> kKnownColumns = {{
    {"e-mail 1 - value", Column::Email},
    {"e-mail address", Column::Email},
    {"email address", Column::Email},
    {"primary email", Column::Email},
    {"e-mail", Column::Email},
    {"email", Column::Email},
    {"e-mail adresa", Column::Email},
    {"e-mailova adresa", Column::Email},
    {"emailova adresa", Column::Email},
    {"hlavni e-mail", Column::Email},
    {"primarni e-mail", Column::Email},
    {"mail", Column::Email},
    {"e-mail 2 - value", Column::Email},
    {"e-mail 2 address", Column::Email},
    {"secondary email", Column::Email},
    {"dalsi e-mail", Column::Email},
    {"sekundarni e-mail", Column::Email},
    {"e-mail 3 - value", Column::Email},
    {"e-mail 3 address", Column::Email},
    {"first name", Column::FirstName},
    {"given name", Column::FirstName},
    {"jmeno", Column::FirstName},
    {"krestni jmeno", Column::FirstName},
    {"middle name", Column::MiddleName},
    {"additional name", Column::MiddleName},
    {"prostredni jmeno", Column::MiddleName},
    {"last name", Column::Surname},
    {"family name", Column::Surname},
    {"surname", Column::Surname},
    {"prijmeni", Column::Surname},
    {"display name", Column::DisplayName},
    {"name", Column::DisplayName},
    {"full name", Column::DisplayName},
    {"zobrazovane jmeno", Column::DisplayName},
    {"cele jmeno", Column::DisplayName},
    {"name prefix", Column::Prefix},
    {"title", Column::Prefix},
    {"titul", Column::Prefix},
    {"titul pred jmenem", Column::Prefix},
    {"prefix", Column::Prefix},
    {"name suffix", Column::Suffix},
    {"suffix", Column::Suffix},
    {"titul za jmenem", Column::Suffix},
    {"organization name", Column::Company},
    {"organization 1 - name", Column::Company},
    {"organization", Column::Company},
    {"company", Column::Company},
    {"organizace", Column::Company},
    {"firma", Column::Company},
    {"spolecnost", Column::Company},
    {"labels", Column::Labels},
    {"group membership", Column::Labels},
    {"categories", Column::Categories},
    {"category", Column::Categories},
    {"kategorie", Column::Categories},
    {"skupiny", Column::Categories},
    {"skupina", Column::Categories},
}};

std::optional<Column> KnownColumnOf(std::string_view header, std::size_t& preference) {
    std::string name;
    for (const char ch : FoldForSearch(TrimText(header))) {
        if (ch == ' ' && (name.empty() || name.back() == ' ')) continue;
        name += ch;
    }
    while (!name.empty() && name.back() == ' ') name.pop_back();
    for (std::size_t i = 0; i < kKnownColumns.size(); ++i) {
        if (kKnownColumns[i].name == name) {
            preference = i;
            return kKnownColumns[i].column;
        }
    }
    return std::nullopt;
}

// The first address of a field that may hold several (Google: "a@firma.cz ::: b@firma.cz").
std::string FirstAddress(std::string_view field) {
    const std::size_t separator = field.find(":::");
    return std::string(TrimText(field.substr(0, separator)));
}

}  // namespace

std::optional<std::size_t> EmailColumn(const std::vector<std::string>& header) {
    std::optional<std::size_t> best;
    std::size_t bestPreference = 0;
    for (std::size_t i = 0; i < header.size(); ++i) {
        std::size_t preference = 0;
        if (KnownColumnOf(header[i], preference) == Column::Email && (!best || preference < bestPreference)) {
            best = i;
            bestPreference = preference;
        }
    }
    return best;
}

CsvReadResult ReadContactsCsv(std::string_view bytes) {
    CsvReadResult result;
    const DecodedText decoded = DecodeTextFile(bytes);
    result.encoding = decoded.encoding;
    CsvReader reader(decoded.utf8);

    const CsvRecord header = reader.NextNotBlank();
    struct Mapped {
        std::size_t field;
        std::size_t preference;
    };
    std::vector<Mapped> emailColumns;
    std::array<std::optional<std::size_t>, static_cast<std::size_t>(Column::Count)>
        columns;  // by Column, the first field of each
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        std::size_t preference = 0;
        const std::optional<Column> column = KnownColumnOf(header.fields[i], preference);
        if (!column) continue;
        if (*column == Column::Email) emailColumns.push_back({i, preference});
        else if (!columns[static_cast<std::size_t>(*column)]) columns[static_cast<std::size_t>(*column)] = i;
    }
    if (header.bad || emailColumns.empty()) return result;
    result.recognised = true;
    std::stable_sort(emailColumns.begin(), emailColumns.end(),
                     [](const Mapped& a, const Mapped& b) { return a.preference < b.preference; });

    const auto bad = [&result](const CsvRecord& record) {
        ++result.badLines;
        if (result.firstBadLine == 0) result.firstBadLine = record.line;
    };
    while (!reader.AtEnd()) {
        const CsvRecord record = reader.Next();
        if (record.bad) {
            bad(record);
            continue;
        }
        if (IsBlank(record)) continue;
        if (HasFieldsBeyond(record, header.fields.size())) {
            bad(record);
            continue;
        }
        const auto field = [&record, &columns](Column column) -> std::string {
            const auto index = columns[static_cast<std::size_t>(column)];
            if (!index || *index >= record.fields.size()) return {};
            return std::string(TrimText(record.fields[*index]));
        };
        std::string email;
        for (const Mapped& column : emailColumns) {
            if (column.field < record.fields.size()) email = FirstAddress(record.fields[column.field]);
            if (!email.empty()) break;
        }
        if (email.empty()) {
            ++result.withoutAddress;
            continue;
        }
        if (!IsUsableAddress(email)) {
            bad(record);
            continue;
        }
        Contact contact;
        contact.email = email;
        contact.firstName = field(Column::FirstName);
        if (const std::string middle = field(Column::MiddleName); !middle.empty())
            contact.firstName += (contact.firstName.empty() ? "" : " ") + middle;
        contact.surname = field(Column::Surname);
        if (const std::string prefix = field(Column::Prefix); IsAcademicTitle(prefix)) contact.title = prefix;
        if (const std::string suffix = field(Column::Suffix); IsAcademicTitle(suffix))
            contact.titleAfter = suffix;
        contact.company = field(Column::Company);
        // Google marks its own groups with a star ("* myContacts", "* starred"): they are no groups of
        // the user's.
        for (const std::string& group : SplitGroupList(field(Column::Labels), {":::"}))
            if (group.front() != '*') AddToGroup(contact, group);
        for (const std::string& group : SplitGroupList(field(Column::Categories), {",", ";"}))
            AddToGroup(contact, group);
        if (contact.firstName.empty() && contact.surname.empty()) {
            Contact fromDisplay;
            ReadFormattedName(field(Column::DisplayName), fromDisplay);
            contact.firstName = fromDisplay.firstName;
            contact.surname = fromDisplay.surname;
            if (contact.title.empty()) contact.title = fromDisplay.title;
            if (contact.titleAfter.empty()) contact.titleAfter = fromDisplay.titleAfter;
        }
        result.contacts.push_back(std::move(contact));
    }
    return result;
}

}  // namespace quillory
