#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// A word of a line of text that the spell checker judges: its place in the line (UTF-16 units)
// and whether a full stop follows it, which a dictionary needs to tell an abbreviation ("tj.",
// "např.") from the same letters without one.
struct SpellingWord {
    std::ptrdiff_t start = 0;
    std::ptrdiff_t length = 0;
    bool trailingDot = false;

    friend bool operator==(const SpellingWord&, const SpellingWord&) = default;
};

// The words of `text` (UTF-16) that need the dictionary, in order. What Czech text makes a word,
// and what is passed over unjudged:
// - a word is a run of letters; a hyphen, a full stop or one of `joiners` between two letters
//   keeps it one word ("e-mail", "s.r.o", "don't");
// - a word holding a digit ("12", "1.5.2024", "MP3") and a lone letter ("a", "J.") are passed over:
//   numbers, amounts, dates, ordinals and initials;
// - letters joined by full stops in groups of at most three ("s.r.o.", "a.s.", "v.o.s.") are an
//   abbreviation and passed over; longer groups ("konec.Další") are words of their own;
// - a piece of text between spaces holding "@" (an e-mail address) or "://", or starting with
//   "www." or "mailto:" (a web link), and a host name ("firma.cz", "firma.cz/cenik") is passed over
//   whole;
// - a placeholder in braces ("{oslovení}") is passed over; a "{" with no "}" after it on the line
//   is punctuation.
std::vector<SpellingWord> WordsToCheck(std::u16string_view text, std::u16string_view joiners = {});

// The characters that join letters into one word for a dictionary whose affix file lists
// `wordChars` (its WORDCHARS): those that are neither letters nor digits, with the typewriter and
// the typographic apostrophe standing for each other.
std::u16string WordJoiners(std::u16string_view wordChars);

}  // namespace quillory
