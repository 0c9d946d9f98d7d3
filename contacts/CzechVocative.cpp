#include "contacts/CzechVocative.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>

#include "contacts/UnicodeText.h"

namespace quillory {
namespace {

using Word = std::u32string;

// The letters of Czech words; q and w occur only in borrowed names.
constexpr std::u32string_view kCzechLetters = U"abcdefghijklmnoprstuvxyzáčďéěíňóřšťúůýž";
constexpr std::u32string_view kVowels = U"aeiouyáéěíóúůý";
// Consonants after which the masculine vocative ends in -i (the soft declension of "muž"); c, s, z
// and x decline softly in names (Šulc, Denis, Mráz, Felix).
constexpr std::u32string_view kSoftEndings = U"žščřcjďťňsxz";
// Spellings of other languages: a Czech ending would mangle the name ("Smithe", "Beckeru").
constexpr std::array<std::u32string_view, 9> kForeignSpellings = {U"th", U"sh", U"ph", U"gh", U"ck",
                                                                  U"ee", U"oo", U"sch", U"tz"};
// Lower-case words inside a name that are no name of their own ("van Gogh", "de Mello").
constexpr std::array<std::u32string_view, 20> kParticles = {
    U"von", U"van", U"de", U"der", U"den", U"da", U"di", U"du", U"la", U"le",
    U"del", U"della", U"dos", U"das", U"ten", U"ter", U"zu", U"af", U"bin", U"ibn"};

bool IsIn(std::u32string_view set, char32_t ch) { return set.find(ch) != std::u32string_view::npos; }
bool IsVowel(char32_t ch) { return IsIn(kVowels, ch); }
bool IsConsonant(char32_t ch) { return IsIn(kCzechLetters, ch) && !IsVowel(ch); }

// Masculine words whose fifth case the endings alone do not give (lower case).
struct Irregular {
    std::u32string_view nominative;
    std::u32string_view vocative;
};
constexpr Irregular kMasculineIrregular[] = {
    {U"král", U"králi"},     // hard -l elsewhere (Michal, Doležal), soft in this word
    {U"kadlec", U"kadleci"},  // the e of -ec stays (genitive Kadlece)
    {U"lev", U"lve"},         // the e drops, as in -ek and -el
    {U"ábel", U"ábele"},      // the e of -el stays
    {U"mendel", U"mendele"},
};

char32_t Softened(char32_t ch) {
    switch (ch) {
    case U'd': return U'ď';
    case U't': return U'ť';
    case U'n': return U'ň';
    default: return ch;
    }
}

Word Lower(const Word& word) {
    Word lower = word;
    for (char32_t& ch : lower) ch = LowerLetter(ch);
    return lower;
}

bool LooksForeignLower(const Word& word) {
    if (word.empty()) return true;
    for (const char32_t ch : word)
        if (!IsIn(kCzechLetters, ch)) return true;  // also digits, apostrophes, dots
    for (const auto spelling : kForeignSpellings)
        if (word.find(spelling) != Word::npos) return true;
    const size_t n = word.size();
    if (n >= 2 && word[n - 1] == word[n - 2] && IsConsonant(word[n - 1])) return true;  // Russ, Bell
    if (n >= 2 && word[n - 1] == U'y' && IsVowel(word[n - 2])) return true;              // Harvey, Murray
    return false;
}

// The masculine fifth case of one Czech word, in lower case.
Word MasculineVocative(const Word& w) {
    for (const Irregular& irregular : kMasculineIrregular)
        if (w == irregular.nominative) return Word(irregular.vocative);
    const size_t n = w.size();
    const char32_t last = w[n - 1];
    const char32_t prev = n >= 2 ? w[n - 2] : 0;
    const char32_t before = n >= 3 ? w[n - 3] : 0;
    if (last == U'a') return w.substr(0, n - 1) + U"o";  // Svoboda, Honza
    if (IsVowel(last)) return w;                          // Ivo, Jiří, Černý, René
    // -ek with the e dropped, the consonant before -ěk softened: Marek → Marku, Zdeněk → Zdeňku.
    if (last == U'k' && (prev == U'e' || prev == U'ě') && n >= 4 && IsConsonant(before)) {
        Word stem = w.substr(0, n - 2);
        if (prev == U'ě') stem.back() = Softened(stem.back());
        return stem + U"ku";
    }
    // -ec with the e dropped: Němec → Němče; in a short word the e stays and c is soft (Švec → Šveci).
    if (last == U'c' && prev == U'e' && n >= 5 && IsConsonant(before)) return w.substr(0, n - 2) + U"če";
    if (last == U'l' && prev == U'e' && n >= 4) {
        if (IsVowel(before) || before == U'c') return w + U"i";              // Daniel, Marcel
        if (IsConsonant(before)) return w.substr(0, n - 2) + U"le";  // Pavel → Pavle
    }
    if (last == U'l' && prev == U'ě') return w + U"i";  // Anděl
    if (last == U'r') return IsConsonant(prev) ? w.substr(0, n - 1) + U"ře" : w + U"e";  // Petr, Igor
    if (last == U'k' || last == U'h' || last == U'g') return w + U"u";                   // Novák, Vojtěch
    if (IsIn(kSoftEndings, last)) return w + U"i";                                       // Tomáš, Kovář
    return w + U"e";                                                                      // Jan, Michal
}

// `declined` (lower case) written in the letter case of `original`: the letters both share keep
// the original's case, new letters are small, or capital when the whole word was.
Word InCaseOf(const Word& original, const Word& declined) {
    const bool allCapitals = original.size() > 1 && std::none_of(original.begin(), original.end(), [](char32_t ch) {
                                 return UpperLetter(ch) != ch;
                             });
    Word out;
    out.reserve(declined.size());
    for (size_t i = 0; i < declined.size(); ++i) {
        if (i < original.size() && LowerLetter(original[i]) == declined[i]) out += original[i];
        else out += allCapitals ? UpperLetter(declined[i]) : declined[i];
    }
    return out;
}

enum class Kind { FirstName, Surname };

Word DeclineWord(const Word& word, Gender gender, Kind kind, bool oneOfSeveral) {
    if (word.empty()) return word;
    const Word lower = Lower(word);
    if (oneOfSeveral && lower == word &&
        std::find(kParticles.begin(), kParticles.end(), std::u32string_view(lower)) != kParticles.end())
        return word;
    if (LooksForeignLower(lower)) return word;
    if (gender == Gender::Female) {
        // A woman's surname never changes; her first name in -a ends in -o (Jana → Jano).
        if (kind == Kind::Surname || lower.back() != U'a') return word;
        return InCaseOf(word, lower.substr(0, lower.size() - 1) + U"o");
    }
    return InCaseOf(word, MasculineVocative(lower));
}

std::string Decline(std::string_view name, Gender gender, Kind kind) {
    if (gender == Gender::Unknown) return std::string(name);
    const Word text = DecodeUtf8(name);
    const bool several = text.find_first_of(U" -") != Word::npos;
    Word out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(U" -", start);
        if (end == Word::npos) end = text.size();
        out += DeclineWord(text.substr(start, end - start), gender, kind, several);
        if (end < text.size()) out += text[end];
        start = end + 1;
    }
    return EncodeUtf8(out);
}

// --- The gender of first names ---------------------------------------------------------------

enum class Verdict { None, Male, Female, Both };

// First names whose ending says otherwise than the rule (-a and -e women's, a consonant a man's),
// and names both use. Lower case, with diacritics; the forms without diacritics follow from them.
const std::map<std::string, Verdict>& FirstNameTable() {
    static const std::map<std::string, Verdict> table = [] {
        std::map<std::string, Verdict> names;
        for (const char* name :
             {"honza", "jirka", "kuba", "jarda", "franta", "pepa", "tonda", "standa", "venca", "vojta",
              "ondra", "zdenda", "jenda", "ota", "ilja", "luka", "luca", "kosta", "jura", "vláďa", "láďa",
              "mirda", "béla", "jožka", "jiří", "rené", "andré", "josé", "noe", "mike", "george", "steve",
              "dave", "uwe", "pierre", "jude", "joe", "christophe", "bruce", "lance", "wayne", "shane",
              "blake", "luke", "jake", "kyle", "dale", "jesse", "tony", "harry", "jerry", "henry", "larry",
              "barry", "gary", "billy", "eddy", "andy", "jimmy", "bobby", "rudy", "jeremy", "timothy",
              "anthony", "gregory", "johnny", "danny", "freddy", "teddy", "toby", "ray", "roy", "guy",
              "kai", "levi", "ali", "henri"})
            names[name] = Verdict::Male;
        for (const char* name :
             {"lada", "dagmar", "miriam", "mirjam", "ester", "esther", "nikol", "nicol", "karin", "ingrid",
              "carmen", "ruth", "rut", "elen", "ellen", "helen", "karen", "abigail", "isabel", "mabel",
              "margit", "gertrud", "edit", "judit", "agnes", "doris", "iris", "beatrix", "kristin",
              "kathrin", "katrin", "jasmin", "lilian", "vivien", "rachel", "ráchel", "ann", "sarah",
              "hannah", "deborah", "elizabeth", "jennifer", "gwen", "lynn", "astrid", "sigrid", "gudrun",
              "ingeborg", "noemi", "naomi", "margo", "lily", "betty", "mary", "emily", "sally", "lucy",
              "dolly", "peggy", "nancy", "judy", "amy", "cindy", "wendy", "daisy", "abby", "holly", "molly",
              "stacy", "nelly", "kitty", "jenny", "becky", "andrea"})
            names[name] = Verdict::Female;
        for (const char* name :
             {"nikola", "saša", "míla", "vlasta", "sláva", "míša", "míra", "jindra", "kája", "péťa",
              "nikita", "kim", "alex", "robin", "sam", "toni", "eli", "lee", "kelly", "ashley", "tracy",
              "jessie", "dominique", "claude", "sasha", "sacha"})
            names[name] = Verdict::Both;
        return names;
    }();
    return table;
}

// The same table by the names without diacritics; a form two names share ("lada" of Lada and
// Láďa) keeps the verdict of the name written that way, or Both.
const std::map<std::string, Verdict>& FoldedFirstNameTable() {
    static const std::map<std::string, Verdict> table = [] {
        std::map<std::string, Verdict> folded;
        for (const auto& [name, verdict] : FirstNameTable()) {
            const std::string key = FoldForSearch(name);
            if (key == name) continue;
            const auto [it, added] = folded.emplace(key, verdict);
            if (!added && it->second != verdict) it->second = Verdict::Both;
        }
        for (const auto& [name, verdict] : FirstNameTable()) folded[name] = verdict;
        return folded;
    }();
    return table;
}

std::u32string_view FirstWord(std::u32string_view text) {
    const size_t end = text.find_first_of(U" -");
    return end == std::u32string_view::npos ? text : text.substr(0, end);
}

std::u32string_view LastWord(std::u32string_view text) {
    const size_t start = text.find_last_of(U" -");
    return start == std::u32string_view::npos ? text : text.substr(start + 1);
}

Verdict FirstNameVerdict(std::string_view firstName) {
    const Word whole = Lower(DecodeUtf8(TrimText(firstName)));
    const Word word(FirstWord(whole));
    if (word.empty()) return Verdict::None;
    const std::string utf8 = EncodeUtf8(word);
    if (const auto it = FirstNameTable().find(utf8); it != FirstNameTable().end()) return it->second;
    const std::string folded = FoldForSearch(utf8);
    if (const auto it = FoldedFirstNameTable().find(folded); it != FoldedFirstNameTable().end())
        return it->second;
    const char32_t last = FoldLetter(word.back());
    if (last == U'a' || last == U'e') return Verdict::Female;
    if (last == U'o') return Verdict::Male;
    if (IsConsonant(last)) return Verdict::Male;
    return Verdict::None;
}

// Female for -ová and -á; Male for a Czech-looking surname that is no woman's (Novák, Svoboda,
// Černý); None for the ones both carry (Krejčí) and for foreign ones.
Verdict SurnameVerdict(std::string_view surname) {
    const Word whole = Lower(DecodeUtf8(TrimText(surname)));
    const Word word(LastWord(whole));
    if (word.empty()) return Verdict::None;
    if (word.back() == U'á') return Verdict::Female;  // -ová, -ská, Černá
    if (LooksForeignLower(word)) return Verdict::None;
    const char32_t last = word.back();
    if (last == U'ý' || last == U'a' || last == U'o' || IsConsonant(last)) return Verdict::Male;
    return Verdict::None;
}

}  // namespace

Gender GuessGender(std::string_view firstName, std::string_view surname) {
    const Verdict bySurname = SurnameVerdict(surname);
    if (bySurname == Verdict::Female) return Gender::Female;
    const Verdict byFirstName = FirstNameVerdict(firstName);
    if (byFirstName == Verdict::Male) return Gender::Male;
    if (byFirstName == Verdict::Female) return Gender::Female;
    if (bySurname == Verdict::Male) return Gender::Male;
    return Gender::Unknown;
}

std::string VocativeFirstName(std::string_view firstName, Gender gender) {
    return Decline(firstName, gender, Kind::FirstName);
}

std::string VocativeSurname(std::string_view surname, Gender gender) {
    return Decline(surname, gender, Kind::Surname);
}

bool LooksForeign(std::string_view word) { return LooksForeignLower(Lower(DecodeUtf8(word))); }

}  // namespace quillory
