#pragma once

#include <string_view>

namespace quillory {

// Trimming returns a view into the text it is given: keep that text alive while the view is used.

namespace detail {
inline bool IsControlOrBlank(char ch) { return static_cast<unsigned char>(ch) <= ' '; }
inline bool IsBlankOrTab(char ch) { return ch == ' ' || ch == '\t'; }

template <typename IsTrimmed>
std::string_view TrimWith(std::string_view text, IsTrimmed isTrimmed, bool left, bool right) {
    if (left)
        while (!text.empty() && isTrimmed(text.front())) text.remove_prefix(1);
    if (right)
        while (!text.empty() && isTrimmed(text.back())) text.remove_suffix(1);
    return text;
}
}  // namespace detail

// Removes every byte of code 32 or below (controls and the blank) from both ends / the start / the
// end: the trimming of header values, dates, addresses, reply codes and stored property texts.
inline std::string_view Trim(std::string_view text) {
    return detail::TrimWith(text, detail::IsControlOrBlank, true, true);
}
inline std::string_view TrimLeft(std::string_view text) {
    return detail::TrimWith(text, detail::IsControlOrBlank, true, false);
}
inline std::string_view TrimRight(std::string_view text) {
    return detail::TrimWith(text, detail::IsControlOrBlank, false, true);
}

// Removes blanks and tabs (only) from both ends: what an INI name or value and an address part lose.
inline std::string_view TrimBlanks(std::string_view text) {
    return detail::TrimWith(text, detail::IsBlankOrTab, true, true);
}

}  // namespace quillory
