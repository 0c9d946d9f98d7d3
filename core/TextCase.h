#pragma once

#include <string>
#include <string_view>

namespace quillory {

// Letter case as the protocols and the INI file know it: only the ASCII letters have a case here;
// bytes of 128 and above (Windows-1250 letters) are left and compared as they are.

inline char UpperChar(char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch; }

// Two texts equal without regard to the case of ASCII letters (header, section and key names).
inline bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (UpperChar(a[i]) != UpperChar(b[i])) return false;
    }
    return true;
}

// Whether `text` begins with `prefix`, without regard to the case of ASCII letters.
inline bool StartsText(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

// `text` with its ASCII letters in upper case.
inline std::string UpperCase(std::string_view text) {
    std::string result(text);
    for (char& ch : result) ch = UpperChar(ch);
    return result;
}

}  // namespace quillory
