#pragma once

#include <string>
#include <string_view>

#include "core/Utf8.h"

namespace quillory {

// The address book keeps its text in UTF-8 (vCard files are UTF-8, RFC 6350 §3.1); these are the
// few character rules its names and searches need. Letter case and diacritics are known for the
// Latin letters up to U+017F, which hold every Czech and Slovak letter.

// Decodes UTF-8 (core/Utf8.h); a malformed byte becomes U+FFFD.
std::u32string DecodeUtf8(std::string_view utf8);
std::string EncodeUtf8(std::u32string_view text);

char32_t LowerLetter(char32_t ch);
char32_t UpperLetter(char32_t ch);
std::string LowerUtf8(std::string_view utf8);

// The letter without its diacritics, in lower case ('Ř' gives 'r'); other characters lower-cased.
char32_t FoldLetter(char32_t ch);
// The form searches compare: lower case, diacritics removed ("Novák" and "NOVAK" both give "novak").
std::string FoldForSearch(std::string_view utf8);

// `utf8` without blanks, tabs and line ends at either end.
std::string_view TrimText(std::string_view utf8);

}  // namespace quillory
