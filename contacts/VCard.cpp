#include "contacts/VCard.h"

#include <algorithm>
#include <optional>

#include "contacts/AddressBook.h"
#include "contacts/ContactGroups.h"
#include "contacts/Salutation.h"
#include "contacts/UnicodeText.h"
#include "core/TextCase.h"
#include "core/Win1250.h"

namespace quillory {
namespace {

constexpr std::string_view kGreetingProperty = "X-QUILLORY-GREETING";
constexpr std::string_view kGreetingTextProperty = "X-QUILLORY-GREETING-TEXT";
// A card with more properties the book does not use than this is no address book entry.
constexpr std::size_t kMaxOtherProperties = 10000;
constexpr std::size_t kFoldOctets = 75;

struct LogicalLine {
    std::string text;
    std::size_t number = 0;  // of its first physical line
};

struct Parameter {
    std::string name;  // upper case; "TYPE" for a 2.1 value without a name
    std::string value;
};

struct Property {
    std::string name;  // upper case, without its group
    std::vector<Parameter> parameters;
    std::string value;  // as written: escaped, maybe quoted-printable
};

bool IsNameCharacter(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '-';
}

// Splits "group.NAME;PARAM=value;...:value"; nothing when the line is no property.
std::optional<Property> ParseProperty(std::string_view line) {
    Property property;
    std::size_t pos = 0;
    while (pos < line.size() && IsNameCharacter(line[pos])) ++pos;
    if (pos < line.size() && line[pos] == '.' && pos > 0) {  // a group: "item1.EMAIL"
        const std::size_t start = ++pos;
        while (pos < line.size() && IsNameCharacter(line[pos])) ++pos;
        property.name = UpperCase(line.substr(start, pos - start));
    } else {
        property.name = UpperCase(line.substr(0, pos));
    }
    if (property.name.empty() || pos >= line.size()) return std::nullopt;
    while (line[pos] == ';') {
        ++pos;
        std::string text;
        bool quoted = false;
        while (pos < line.size() && (quoted || (line[pos] != ';' && line[pos] != ':'))) {
            if (line[pos] == '"') quoted = !quoted;
            else text += line[pos];
            ++pos;
        }
        if (quoted || pos >= line.size()) return std::nullopt;
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos) property.parameters.push_back({"TYPE", text});
        else
            property.parameters.push_back(
                {UpperCase(TrimText(text.substr(0, equals))), text.substr(equals + 1)});
    }
    if (line[pos] != ':') return std::nullopt;
    property.value = line.substr(pos + 1);
    return property;
}

const Parameter* FindParameter(const Property& property, std::string_view name) {
    for (const Parameter& parameter : property.parameters)
        if (parameter.name == name) return &parameter;
    return nullptr;
}

// Whether a TYPE parameter (or a 2.1 parameter without a name) lists `type`.
bool HasType(const Property& property, std::string_view type) {
    for (const Parameter& parameter : property.parameters) {
        if (parameter.name != "TYPE") continue;
        const std::string_view values = parameter.value;
        for (std::size_t start = 0; start <= values.size();) {
            const std::size_t end = std::min(values.find(',', start), values.size());
            if (SameText(TrimText(values.substr(start, end - start)), type)) return true;
            start = end + 1;
        }
    }
    return false;
}

// vCard 2.1 writes "ENCODING=QUOTED-PRINTABLE" or the bare "QUOTED-PRINTABLE".
bool IsQuotedPrintable(const Property& property) {
    const Parameter* encoding = FindParameter(property, "ENCODING");
    return (encoding && SameText(TrimText(encoding->value), "QUOTED-PRINTABLE")) ||
           HasType(property, "QUOTED-PRINTABLE");
}

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
}

std::string DecodeQuotedPrintable(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Whether a content line is a quoted-printable value (vCard 2.1) ending in a soft line break, "="
// at the end, which joins the next line to it.
bool EndsInSoftBreak(std::string_view line) {
    if (line.empty() || line.back() != '=') return false;
    const std::optional<Property> property = ParseProperty(line);
    return property && IsQuotedPrintable(*property);
}

// Unfolds the physical lines (LF, CR LF or CR ends) into content lines: a line starting with a
// blank or tab continues the one before without that blank (RFC 6350 §3.2).
std::vector<LogicalLine> Unfold(std::string_view text) {
    std::vector<LogicalLine> lines;
    std::size_t number = 0;
    std::size_t pos = 0;
    bool softBreak = false;  // the last line ended in a quoted-printable soft break
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size() && text[pos] == '\r') {
            ++pos;
            if (pos < text.size() && text[pos] == '\n') ++pos;
        } else if (pos < text.size()) {
            ++pos;  // a lone LF
        }
        ++number;
        if (softBreak && !lines.empty()) {
            lines.back().text.pop_back();  // the "="
            lines.back().text += line;
        } else if (!lines.empty() && !line.empty() && (line.front() == ' ' || line.front() == '\t')) {
            line.remove_prefix(1);
            lines.back().text += line;
        } else {
            lines.push_back({std::string(line), number});
        }
        softBreak = EndsInSoftBreak(lines.back().text);
    }
    return lines;
}

// The property's value as text of the book (UTF-8), quoted-printable decoded, still escaped.
std::string RawValue(const Property& property) {
    if (!IsQuotedPrintable(property)) return property.value;
    std::string bytes = DecodeQuotedPrintable(property.value);
    if (!IsValidUtf8(bytes)) bytes = Win1250ToUtf8(bytes);
    // A line break of the value is "\n" in the book, as its escaped form reads back.
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') text += bytes[i];
        else if (i + 1 == bytes.size() || bytes[i + 1] != '\n') text += '\n';
    }
    return text;
}

// Splits at `separator` where it is not escaped by a backslash; the parts stay escaped.
std::vector<std::string> SplitEscaped(std::string_view text, char separator) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            parts.back() += text[i];
            parts.back() += text[++i];
        } else if (text[i] == separator) {
            parts.emplace_back();
        } else {
            parts.back() += text[i];
        }
    }
    return parts;
}

// RFC 6350 §3.4: "\\", "\,", "\;" and "\n" (or "\N") stand for a backslash, comma, semicolon and
// line break; any other escaped character stands for itself.
std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' || next == 'N' ? '\n' : next;
    }
    return out;
}

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        if (ch == '\\' || ch == ',' || ch == ';') out += '\\';
        if (ch == '\n') {
            out += "\\n";
            continue;
        }
        if (ch == '\r') continue;
        out += ch;
    }
    return out;
}

// A component of a structured value: its list values unescaped and joined by `joiner`.
std::string Component(const std::vector<std::string>& components, std::size_t index,
                      std::string_view joiner) {
    if (index >= components.size()) return {};
    std::string joined;
    for (const std::string& item : SplitEscaped(components[index], ',')) {
        const std::string text(TrimText(Unescape(item)));
        if (text.empty()) continue;
        if (!joined.empty()) joined += joiner;
        joined += text;
    }
    return joined;
}

std::optional<GreetingStyle> ReadGreetingStyle(std::string_view value) {
    const std::string_view text = TrimText(value);
    if (SameText(text, "title")) return GreetingStyle::Title;
    if (SameText(text, "surname")) return GreetingStyle::Surname;
    if (SameText(text, "firstname")) return GreetingStyle::FirstName;
    if (SameText(text, "custom")) return GreetingStyle::Custom;
    return std::nullopt;
}

std::string_view GreetingStyleName(GreetingStyle style) {
    switch (style) {
    case GreetingStyle::Title:
        return "title";
    case GreetingStyle::Surname:
        return "surname";
    case GreetingStyle::FirstName:
        return "firstname";
    case GreetingStyle::Custom:
        return "custom";
    }
    return "title";
}

// How much a card prefers an e-mail address: PREF=1 most (RFC 6350 §5.3), TYPE=pref of vCard 3.0
// as much, none least.
int Preference(const Property& property) {
    if (const Parameter* pref = FindParameter(property, "PREF")) {
        int value = 0;
        for (const char ch : TrimText(pref->value)) {
            if (ch < '0' || ch > '9' || value > 1000) return 101;
            value = value * 10 + (ch - '0');
        }
        return value >= 1 && value <= 100 ? value : 101;
    }
    return HasType(property, "PREF") ? 1 : 101;
}

// One card's lines between BEGIN and END; false when it is malformed or has no usable address.
enum class CardOutcome { Read, Bad, WithoutAddress };

CardOutcome ReadCard(const std::vector<const LogicalLine*>& lines, Contact& contact) {
    std::string formattedName;
    bool nameFromN = false;
    std::vector<std::string> academicTitles;  // TITLE values that are academic titles
    struct Address {
        std::string value;
        int preference;
        const std::string* line;
    };
    std::vector<Address> addresses;
    bool anyEmail = false;
    for (const LogicalLine* line : lines) {
        if (TrimText(line->text).empty()) continue;
        const std::optional<Property> property = ParseProperty(line->text);
        if (!property) return CardOutcome::Bad;
        const std::string& name = property->name;
        if (name == "VERSION" || name == "PRODID") continue;
        if (name == "N") {
            const std::vector<std::string> parts = SplitEscaped(RawValue(*property), ';');
            contact.surname = Component(parts, 0, " ");
            contact.firstName = Component(parts, 1, " ");
            if (const std::string additional = Component(parts, 2, " "); !additional.empty())
                contact.firstName += (contact.firstName.empty() ? "" : " ") + additional;
            contact.title = Component(parts, 3, " ");
            contact.titleAfter = Component(parts, 4, ", ");
            nameFromN = !contact.surname.empty() || !contact.firstName.empty() || !contact.title.empty() ||
                        !contact.titleAfter.empty();
        } else if (name == "FN") {
            formattedName = Unescape(RawValue(*property));
        } else if (name == "EMAIL") {
            anyEmail = true;
            std::string value(TrimText(Unescape(RawValue(*property))));
            if (StartsText(value, "mailto:")) value.erase(0, 7);
            if (IsUsableAddress(value)) addresses.push_back({value, Preference(*property), &line->text});
        } else if (name == "ORG") {
            std::string company;
            for (const std::string& part : SplitEscaped(RawValue(*property), ';')) {
                const std::string text(TrimText(Unescape(part)));
                if (text.empty()) continue;
                if (!company.empty()) company += ", ";
                company += text;
            }
            contact.company = company;
        } else if (name == "TITLE" && IsAcademicTitle(Unescape(RawValue(*property)))) {
            academicTitles.push_back(std::string(TrimText(Unescape(RawValue(*property)))));
        } else if (name == "GENDER") {
            const std::string sex(TrimText(Unescape(SplitEscaped(RawValue(*property), ';').front())));
            if (SameText(sex, "M")) contact.gender = Gender::Male;
            else if (SameText(sex, "F")) contact.gender = Gender::Female;
            else if (!sex.empty()) contact.gender = Gender::Unknown;
        } else if (name == "CATEGORIES") {
            for (const std::string& group : SplitEscaped(RawValue(*property), ','))
                AddToGroup(contact, Unescape(group));
        } else if (name == kGreetingProperty) {
            contact.greetingStyle = ReadGreetingStyle(Unescape(RawValue(*property)));
        } else if (name == kGreetingTextProperty) {
            contact.greetingText = TrimText(Unescape(RawValue(*property)));
        } else if (!IsQuotedPrintable(*property)) {
            // Kept as read; a 2.1 quoted-printable value could not be written into a 4.0 file.
            contact.otherProperties.push_back(line->text);
        }
    }
    // A formatted name that is an address (the book writes one for an entry without names) is no name.
    if (contact.otherProperties.size() > kMaxOtherProperties) return CardOutcome::Bad;
    if (!nameFromN && !formattedName.empty() && formattedName.find('@') == std::string::npos) {
        contact.title.clear();
        contact.titleAfter.clear();
        ReadFormattedName(formattedName, contact);
    }
    if (contact.title.empty() && !academicTitles.empty()) contact.title = academicTitles.front();
    if (addresses.empty()) return anyEmail ? CardOutcome::Bad : CardOutcome::WithoutAddress;
    const auto chosen =
        std::min_element(addresses.begin(), addresses.end(),
                         [](const Address& a, const Address& b) { return a.preference < b.preference; });
    contact.email = chosen->value;
    for (const Address& other : addresses)
        if (&other != &*chosen) contact.otherProperties.push_back(*other.line);
    return CardOutcome::Read;
}

bool IsMarker(std::string_view line, std::string_view marker) { return SameText(TrimText(line), marker); }

// Appends one content line, folded at 75 octets: continuation lines start with a blank, and a
// character's bytes always stay on one line.
void AppendFolded(std::string& out, std::string_view line) {
    std::size_t room = kFoldOctets;
    while (line.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        if (cut == 0) cut = room;
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        room = kFoldOctets - 1;
    }
    out.append(line);
    out += "\r\n";
}

}  // namespace

VCardReadResult ReadVCards(std::string_view bytes) {
    VCardReadResult result;
    DecodedText decoded = DecodeTextFile(bytes);
    result.encoding = decoded.encoding;
    const std::vector<LogicalLine> lines = Unfold(decoded.utf8);
    const auto problemAt = [&result](std::size_t line) {
        if (result.firstProblemLine == 0) result.firstProblemLine = line;
    };
    std::size_t cardStart = 0;  // the line of the open card's BEGIN; 0: outside every card
    std::vector<const LogicalLine*> card;
    for (const LogicalLine& line : lines) {
        if (cardStart == 0) {
            if (IsMarker(line.text, "BEGIN:VCARD")) {
                cardStart = line.number;
                card.clear();
            } else if (!TrimText(line.text).empty()) {
                ++result.strayLines;
                problemAt(line.number);
            }
            continue;
        }
        if (IsMarker(line.text, "BEGIN:VCARD")) {  // the card before has no END
            ++result.badCards;
            problemAt(cardStart);
            cardStart = line.number;
            card.clear();
        } else if (IsMarker(line.text, "END:VCARD")) {
            Contact contact;
            switch (ReadCard(card, contact)) {
            case CardOutcome::Read:
                result.contacts.push_back(std::move(contact));
                break;
            case CardOutcome::Bad:
                ++result.badCards;
                problemAt(cardStart);
                break;
            case CardOutcome::WithoutAddress:
                ++result.withoutAddress;
                break;
            }
            cardStart = 0;
        } else {
            card.push_back(&line);
        }
    }
    if (cardStart != 0) {
        ++result.badCards;
        problemAt(cardStart);
    }
    return result;
}

std::string WriteVCards(const std::vector<Contact>& contacts) {
    std::string out;
    out.reserve(contacts.size() * 160);
    for (const Contact& contact : contacts) {
        out += "BEGIN:VCARD\r\nVERSION:4.0\r\n";
        const std::string fullName = FullName(contact);
        AppendFolded(out, "FN:" + Escape(fullName.empty() ? contact.email : fullName));
        // The titles go as one prefix and one suffix, commas escaped, so they read back as written.
        AppendFolded(out, "N:" + Escape(TrimText(contact.surname)) + ";" +
                              Escape(TrimText(contact.firstName)) + ";;" + Escape(TrimText(contact.title)) +
                              ";" + Escape(TrimText(contact.titleAfter)));
        // The entry's address is the preferred one of the card (RFC 6350 §5.3) before the others kept.
        AppendFolded(out, "EMAIL;PREF=1:" + Escape(contact.email));
        if (!TrimText(contact.company).empty()) AppendFolded(out, "ORG:" + Escape(TrimText(contact.company)));
        if (contact.gender) {
            out += *contact.gender == Gender::Male     ? "GENDER:M\r\n"
                   : *contact.gender == Gender::Female ? "GENDER:F\r\n"
                                                       : "GENDER:U\r\n";
        }
        if (contact.greetingStyle)
            AppendFolded(out, std::string(kGreetingProperty) + ":" +
                                  std::string(GreetingStyleName(*contact.greetingStyle)));
        if (!TrimText(contact.greetingText).empty())
            AppendFolded(out,
                         std::string(kGreetingTextProperty) + ":" + Escape(TrimText(contact.greetingText)));
        if (!contact.groups.empty()) {
            std::string categories = "CATEGORIES:";
            for (const std::string& group : contact.groups) {
                if (categories.back() != ':') categories += ',';
                categories += Escape(group);
            }
            AppendFolded(out, categories);
        }
        for (const std::string& property : contact.otherProperties) AppendFolded(out, property);
        out += "END:VCARD\r\n";
    }
    return out;
}

}  // namespace quillory
