#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/Contact.h"

namespace quillory {

// Names and values of the placeholders, in one encoding (UTF-8 as made; Windows-1250 for the
// preview's text after ToWin1250).
class PlaceholderValues {
public:
    void Set(std::string name, std::string value);
    // The value of the placeholder `name` (without braces); null when no placeholder has that name.
    const std::string* Find(std::string_view name) const;
    // Calls `visit(name, value)` for every placeholder, in the order they were first set.
    template <typename Visit>
    void ForEach(Visit visit) const {
        for (const Entry& entry : entries_) visit(entry.name, entry.value);
    }
    // The same names and values in Windows-1250.
    PlaceholderValues ToWin1250() const;
    bool operator==(const PlaceholderValues&) const = default;

private:
    struct Entry {
        std::string name;
        std::string value;
        bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> entries_;
};

// The placeholders of a recipient: {oslovení} (the entry's greeting, "Dobrý den" without an entry),
// {jméno}, {příjmení}, {titul}, {firma} (empty without an entry) and {datum} (`date`), each also
// under its name without diacritics ({osloveni}, {jmeno}, {prijmeni}). `contact` is null when the
// recipient has no entry.
PlaceholderValues RecipientPlaceholders(const Contact* contact, std::string_view date);

// A placeholder that was filled with nothing: its name and where it stood in the filled text.
struct EmptyPlaceholder {
    std::string name;
    std::size_t offset = 0;
    bool operator==(const EmptyPlaceholder&) const = default;
};

struct FilledText {
    std::string text;
    std::vector<EmptyPlaceholder> empty;
    bool anyPlaceholder = false;  // at least one placeholder was filled (empty or not)
};

// `text` with every "{name}" of a known placeholder replaced by its value. "{{" writes one "{";
// braces around anything else (an unknown name, a line break, more than 40 bytes) stay as typed.
// In prose a period after a placeholder whose value ends with one is left out ("{firma}." with
// "Firma a.s." gives "Firma a.s."); in a name (of a file) every character stays.
// Text and values are in the same ASCII-compatible encoding; text without "{" comes back unchanged.
enum class FilledAs { Prose, Name };
FilledText FillPlaceholders(std::string_view text, const PlaceholderValues& values,
                            FilledAs filledAs = FilledAs::Prose);

// `text` in the program's 8-bit text (either form, core/ProgramText.h) filled with UTF-8 `values`:
// Windows-1250 when the filled text fits it, else the UTF-8 form, so a name from outside the code
// page keeps its letters. The empty placeholders' names are Windows-1250 and their offsets count
// the bytes of the returned text.
FilledText FillProgramText(std::string_view text, const PlaceholderValues& values);

}  // namespace quillory
