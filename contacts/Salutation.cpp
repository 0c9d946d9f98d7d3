#include "contacts/Salutation.h"

#include <algorithm>
#include <array>
#include <vector>

#include "contacts/UnicodeText.h"

namespace quillory {
namespace {

struct TitleForm {
    std::string_view abbreviation;  // folded, without dots or blanks
    int rank;                       // the highest-ranked title is the one addressed by
    std::string_view male;
    std::string_view female;
};

constexpr std::array<TitleForm, 31> kTitles = {{
    {"prof", 5, "profesore", "profesorko"},
    {"doc", 4, "docente", "docentko"},
    {"mudr", 3, "doktore", "doktorko"},
    {"mddr", 3, "doktore", "doktorko"},
    {"mvdr", 3, "doktore", "doktorko"},
    {"judr", 3, "doktore", "doktorko"},
    {"phdr", 3, "doktore", "doktorko"},
    {"rndr", 3, "doktore", "doktorko"},
    {"pharmdr", 3, "doktore", "doktorko"},
    {"paeddr", 3, "doktore", "doktorko"},
    {"thdr", 3, "doktore", "doktorko"},
    {"icdr", 3, "doktore", "doktorko"},
    {"rsdr", 3, "doktore", "doktorko"},
    {"dr", 3, "doktore", "doktorko"},
    {"phd", 3, "doktore", "doktorko"},
    {"thd", 3, "doktore", "doktorko"},
    {"artd", 3, "doktore", "doktorko"},
    {"csc", 3, "doktore", "doktorko"},
    {"drsc", 3, "doktore", "doktorko"},
    {"ing", 2, "inženýre", "inženýrko"},
    {"ingarch", 2, "inženýre", "inženýrko"},
    {"mgr", 2, "magistře", "magistro"},
    {"mga", 2, "magistře", "magistro"},
    // Titles that are written but not addressed by.
    {"arch", 0, "", ""},
    {"bc", 0, "", ""},
    {"bca", 0, "", ""},
    {"dis", 0, "", ""},
    {"mba", 0, "", ""},
    {"llm", 0, "", ""},
    {"msc", 0, "", ""},
    {"ba", 0, "", ""},
}};

const TitleForm* FindTitle(std::string_view word) {
    std::string key;
    for (const char ch : FoldForSearch(word))
        if (ch != '.' && ch != ' ') key += ch;
    for (const TitleForm& title : kTitles)
        if (title.abbreviation == key) return &title;
    return nullptr;
}

// Calls `each` for every word of `text`, words separated by blanks and commas.
template <class Each>
void ForEachWord(std::string_view text, Each&& each) {
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = std::min(text.find_first_of(" ,", start), text.size());
        if (end > start) each(text.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

std::string TitleVocative(std::string_view titlesBefore, std::string_view titlesAfter, Gender gender) {
    if (gender == Gender::Unknown) return {};
    const TitleForm* best = nullptr;
    const auto consider = [&best](std::string_view word) {
        const TitleForm* title = FindTitle(word);
        if (title && title->rank > 0 && (!best || title->rank > best->rank)) best = title;
    };
    ForEachWord(titlesBefore, consider);
    ForEachWord(titlesAfter, consider);
    if (!best) return {};
    return std::string(gender == Gender::Female ? best->female : best->male);
}

bool IsAcademicTitle(std::string_view text) {
    bool any = false;
    bool all = true;
    ForEachWord(text, [&](std::string_view word) {
        any = true;
        if (!FindTitle(word)) all = false;
    });
    return any && all;
}

Gender EffectiveGender(const Contact& contact) {
    return contact.gender ? *contact.gender : GuessGender(contact.firstName, contact.surname);
}

GreetingStyle EffectiveGreetingStyle(const Contact& contact) {
    if (contact.greetingStyle) return *contact.greetingStyle;
    return TitleVocative(contact.title, contact.titleAfter, EffectiveGender(contact)).empty()
               ? GreetingStyle::Surname
               : GreetingStyle::Title;
}

std::string Greeting(const Contact& contact) {
    GreetingStyle style = EffectiveGreetingStyle(contact);
    if (style == GreetingStyle::Custom) {
        const std::string_view own = TrimText(contact.greetingText);
        if (!own.empty()) return std::string(own);
        style = GreetingStyle::Title;
    }
    const Gender gender = EffectiveGender(contact);
    if (gender == Gender::Unknown) return std::string(kNeutralGreeting);
    const std::string formal = gender == Gender::Female ? "Vážená paní " : "Vážený pane ";
    if (style == GreetingStyle::Title) {
        const std::string title = TitleVocative(contact.title, contact.titleAfter, gender);
        if (!title.empty()) return formal + title;
        style = GreetingStyle::Surname;
    }
    if (style == GreetingStyle::FirstName) {
        const std::string_view first = TrimText(contact.firstName);
        if (first.empty()) return std::string(kNeutralGreeting);
        return (gender == Gender::Female ? "Milá " : "Milý ") + VocativeFirstName(first, gender);
    }
    const std::string_view surname = TrimText(contact.surname);
    if (surname.empty()) return std::string(kNeutralGreeting);
    return formal + VocativeSurname(surname, gender);
}

void ReadFormattedName(std::string_view formatted, Contact& contact) {
    std::string_view text = TrimText(formatted);
    if (const std::size_t comma = text.find(','); comma != std::string_view::npos) {
        const std::string_view after = TrimText(text.substr(comma + 1));
        if (IsAcademicTitle(after)) {
            contact.titleAfter = after;
            text = TrimText(text.substr(0, comma));
        }
    }
    std::vector<std::string_view> words;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find_first_of(" \t\r\n", start), text.size());
        if (end > start) words.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::size_t first = 0;
    while (first < words.size() && IsAcademicTitle(words[first])) {
        if (!contact.title.empty()) contact.title += ' ';
        contact.title += words[first++];
    }
    if (first == words.size()) return;
    contact.surname = words.back();
    for (std::size_t i = first; i + 1 < words.size(); ++i) {
        if (!contact.firstName.empty()) contact.firstName += ' ';
        contact.firstName += words[i];
    }
}

std::string FullName(const Contact& contact) {
    std::string name;
    for (const std::string* part : {&contact.title, &contact.firstName, &contact.surname}) {
        const std::string_view text = TrimText(*part);
        if (text.empty()) continue;
        if (!name.empty()) name += ' ';
        name += text;
    }
    if (const std::string_view after = TrimText(contact.titleAfter); !after.empty())
        name += (name.empty() ? "" : ", ") + std::string(after);
    return name;
}

}  // namespace quillory
