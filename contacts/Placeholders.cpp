#include "contacts/Placeholders.h"

#include "contacts/Salutation.h"
#include "contacts/UnicodeText.h"
#include "core/ProgramText.h"
#include "core/Utf8.h"
#include "core/Win1250.h"

namespace quillory {
namespace {

constexpr std::size_t kMaxNameBytes = 40;

// A value that ends with a period ("Firma a.s.", "Ph.D.") takes the place of the period the text
// puts after the placeholder: "{firma}." gives "Firma a.s.", not "Firma a.s..". An ellipsis after
// it stays whole.
bool EndsSentenceAlready(std::string_view value, std::string_view after) {
    return value.ends_with('.') && after.starts_with('.') && !after.starts_with("...");
}

}  // namespace

void PlaceholderValues::Set(std::string name, std::string value) {
    for (Entry& entry : entries_) {
        if (entry.name == name) {
            entry.value = std::move(value);
            return;
        }
    }
    entries_.push_back({std::move(name), std::move(value)});
}

const std::string* PlaceholderValues::Find(std::string_view name) const {
    for (const Entry& entry : entries_)
        if (entry.name == name) return &entry.value;
    return nullptr;
}

PlaceholderValues PlaceholderValues::ToWin1250() const {
    PlaceholderValues converted;
    for (const Entry& entry : entries_)
        converted.entries_.push_back({Utf8ToWin1250(entry.name), Utf8ToWin1250(entry.value)});
    return converted;
}

PlaceholderValues RecipientPlaceholders(const Contact* contact, std::string_view date) {
    PlaceholderValues values;
    const auto set = [&values](std::initializer_list<const char*> names, std::string_view value) {
        for (const char* name : names) values.Set(name, std::string(TrimText(value)));
    };
    set({"oslovení", "osloveni"}, contact ? Greeting(*contact) : std::string(kNeutralGreeting));
    set({"jméno", "jmeno"}, contact ? contact->firstName : std::string());
    set({"příjmení", "prijmeni"}, contact ? contact->surname : std::string());
    set({"titul"}, contact ? contact->title : std::string());
    set({"firma"}, contact ? contact->company : std::string());
    set({"datum"}, date);
    return values;
}

FilledText FillPlaceholders(std::string_view text, const PlaceholderValues& values, FilledAs filledAs) {
    FilledText filled;
    std::size_t start = text.find('{');
    if (start == std::string_view::npos) {
        filled.text = text;
        return filled;
    }
    filled.text.reserve(text.size() + 64);
    filled.text.append(text.substr(0, start));
    while (start != std::string_view::npos) {
        std::size_t next = start + 1;
        if (next < text.size() && text[next] == '{') {
            filled.text += '{';
            ++next;
        } else {
            const std::size_t close = text.find_first_of("{}\r\n", next);
            const std::string* value = nullptr;
            if (close != std::string_view::npos && text[close] == '}' && close - next <= kMaxNameBytes)
                value = values.Find(text.substr(next, close - next));
            if (value) {
                filled.anyPlaceholder = true;
                if (value->empty())
                    filled.empty.push_back(
                        {std::string(text.substr(next, close - next)), filled.text.size()});
                filled.text += *value;
                next = close + 1;
                if (filledAs == FilledAs::Prose && EndsSentenceAlready(*value, text.substr(next))) ++next;
            } else {
                filled.text += '{';
            }
        }
        start = text.find('{', next);
        filled.text.append(
            text.substr(next, start == std::string_view::npos ? std::string_view::npos : start - next));
    }
    return filled;
}

FilledText FillProgramText(std::string_view text, const PlaceholderValues& values) {
    if (text.find('{') == std::string_view::npos) return {std::string(text), {}, false};
    FilledText filled = FillPlaceholders(ProgramTextToUtf8(text), values);
    std::string form = ProgramTextFromUtf8(filled.text);
    if (IsUtf8Form(form)) {
        for (EmptyPlaceholder& empty : filled.empty) empty.offset += kUtf8Mark.size();
    } else {
        // A Windows-1250 byte per character: the offsets count the characters before them.
        std::size_t at = 0;
        std::size_t characters = 0;
        for (EmptyPlaceholder& empty : filled.empty) {
            while (at < empty.offset) {
                NextCodePoint(filled.text, at);
                ++characters;
            }
            empty.offset = characters;
        }
    }
    for (EmptyPlaceholder& empty : filled.empty) empty.name = Utf8ToWin1250(empty.name);
    filled.text = std::move(form);
    return filled;
}

}  // namespace quillory
