#include "contacts/ContactsCsv.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "contacts/AddressBook.h"
#include "contacts/ContactGroups.h"
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

struct Record {
    std::vector<std::string> fields;
    std::size_t line = 0;  // where it starts
    bool bad = false;
};

// Reads CSV records one by one, counting lines.
class CsvReader {
public:
    CsvReader(std::string_view text, char separator) : text_(text), separator_(separator) {}

    bool AtEnd() const { return pos_ >= text_.size(); }

    Record Next() {
        Record record;
        record.line = line_;
        record.fields.emplace_back();
        const std::size_t start = pos_;
        const std::size_t startLine = line_;
        bool fieldStart = true;
        while (pos_ < text_.size()) {
            const char ch = text_[pos_];
            if (fieldStart && ch == '"') {
                // Only blanks may stand between the closing quote and the next field. A quote never
                // closed, or closed before other text, makes the row bad; as the quote may have taken
                // in the rows after it, reading goes on at the line after the bad row's start.
                bool good = ReadQuoted(record.fields.back());
                while (good && pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t') &&
                       text_[pos_] != separator_)
                    ++pos_;
                if (!good || (pos_ < text_.size() && text_[pos_] != separator_ && text_[pos_] != '\r' &&
                              text_[pos_] != '\n')) {
                    record.bad = true;
                    pos_ = start;
                    line_ = startLine;
                    SkipLine();
                    return record;
                }
                fieldStart = false;
                continue;
            }
            if (ch == separator_) {
                record.fields.emplace_back();
                fieldStart = true;
                ++pos_;
                continue;
            }
            if (ch == '\r' || ch == '\n') {
                SkipLineEnd();
                return record;
            }
            record.fields.back() += ch;
            fieldStart = false;
            ++pos_;
        }
        return record;
    }

private:
    // Reads a quoted field from its opening quote; false when the text ends inside it.
    bool ReadQuoted(std::string& field) {
        ++pos_;
        while (pos_ < text_.size()) {
            const char ch = text_[pos_];
            if (ch == '"') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                    field += '"';
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return true;
            }
            if (ch == '\n' || (ch == '\r' && (pos_ + 1 >= text_.size() || text_[pos_ + 1] != '\n'))) ++line_;
            if (ch != '\r') field += ch;
            ++pos_;
        }
        return false;
    }
    void SkipLineEnd() {
        if (text_[pos_] == '\r') ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        ++line_;
    }
    void SkipLine() {
        while (pos_ < text_.size() && text_[pos_] != '\r' && text_[pos_] != '\n') ++pos_;
        if (pos_ < text_.size()) SkipLineEnd();
    }

    std::string_view text_;
    char separator_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

// The separator the first line uses most, outside quotes.
char DetectSeparator(std::string_view text) {
    std::size_t counts[3] = {0, 0, 0};
    constexpr char kCandidates[3] = {',', ';', '\t'};
    bool quoted = false;
    for (const char ch : text) {
        if (ch == '"') quoted = !quoted;
        if (quoted) continue;
        if (ch == '\r' || ch == '\n') break;
        for (int i = 0; i < 3; ++i)
            if (ch == kCandidates[i]) ++counts[i];
    }
    int best = 0;
    for (int i = 1; i < 3; ++i)
        if (counts[i] > counts[best]) best = i;
    return kCandidates[best];
}

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

bool IsBlank(const Record& record) {
    for (const std::string& field : record.fields)
        if (!TrimText(field).empty()) return false;
    return true;
}

// The first address of a field that may hold several (Google: "a@firma.cz ::: b@firma.cz").
std::string FirstAddress(std::string_view field) {
    const std::size_t separator = field.find(":::");
    return std::string(TrimText(field.substr(0, separator)));
}

}  // namespace

CsvReadResult ReadContactsCsv(std::string_view bytes) {
    CsvReadResult result;
    const DecodedText decoded = DecodeTextFile(bytes);
    result.encoding = decoded.encoding;
    CsvReader reader(decoded.utf8, DetectSeparator(decoded.utf8));

    // The header: the first line that is not blank.
    Record header;
    while (!reader.AtEnd()) {
        header = reader.Next();
        if (!IsBlank(header)) break;
    }
    struct Mapped {
        std::size_t field;
        std::size_t preference;
    };
    std::vector<Mapped> emailColumns;
    std::array<std::optional<std::size_t>, static_cast<std::size_t>(Column::Count)> columns;  // by Column, the first field of each
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

    const auto bad = [&result](const Record& record) {
        ++result.badLines;
        if (result.firstBadLine == 0) result.firstBadLine = record.line;
    };
    while (!reader.AtEnd()) {
        const Record record = reader.Next();
        if (record.bad) {
            bad(record);
            continue;
        }
        if (IsBlank(record)) continue;
        bool extra = false;
        for (std::size_t i = header.fields.size(); i < record.fields.size(); ++i)
            if (!TrimText(record.fields[i]).empty()) extra = true;
        if (extra) {
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
