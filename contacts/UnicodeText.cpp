#include "contacts/UnicodeText.h"

namespace quillory {
namespace {

using namespace std::string_view_literals;

// The base letters of U+00C0 to U+00FF and of U+0100 to U+017F; '\0' where the character is no
// letter (the multiplication and division signs).
constexpr std::u32string_view kLatin1Bases =
    U"aaaaaaaceeeeiiiidnooooo\0ouuuuytsaaaaaaaceeeeiiiidnooooo\0ouuuuyty"sv;
constexpr std::string_view kExtendedABases =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllllllllnnnnnnnnnoooooooorrrrrrssssssss"
    "ttttttuuuuuuuuuuuuwwyyyzzzzzzs";

}  // namespace

std::u32string DecodeUtf8(std::string_view utf8) {
    std::u32string text;
    text.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) text += NextCodePoint(utf8, at);
    return text;
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char32_t ch : text) AppendUtf8(out, ch);
    return out;
}

char32_t LowerLetter(char32_t ch) {
    if (ch >= 'A' && ch <= 'Z') return ch + 32;
    if (ch < 0xC0) return ch;
    if (ch <= 0xDE) return ch == 0xD7 ? ch : ch + 32;
    if (ch < 0x100 || ch > 0x17F) return ch;
    // Latin Extended-A pairs each capital with the small letter after it, except in the two runs
    // (U+0139 to U+0148, U+0179 to U+017E) that start one place later.
    if (ch == 0x130) return 'i';
    if (ch == 0x178) return 0xFF;
    if ((ch >= 0x139 && ch <= 0x148) || (ch >= 0x179 && ch <= 0x17E)) return (ch & 1) ? ch + 1 : ch;
    if (ch == 0x131 || ch == 0x138 || ch == 0x149 || ch == 0x17F) return ch;
    return (ch & 1) ? ch : ch + 1;
}

char32_t UpperLetter(char32_t ch) {
    if (ch >= 'a' && ch <= 'z') return ch - 32;
    if (ch < 0xE0) return ch;
    if (ch <= 0xFE) return ch == 0xF7 || ch == 0xDF ? ch : ch - 32;
    if (ch == 0xFF) return 0x178;
    if (ch < 0x100 || ch > 0x17F) return ch;
    if (ch == 0x131) return 'I';
    if ((ch >= 0x139 && ch <= 0x148) || (ch >= 0x179 && ch <= 0x17E)) return (ch & 1) ? ch : ch - 1;
    if (ch == 0x130 || ch == 0x138 || ch == 0x149 || ch == 0x17F) return ch;
    return (ch & 1) ? ch - 1 : ch;
}

std::string LowerUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (const char32_t ch : DecodeUtf8(utf8)) AppendUtf8(out, LowerLetter(ch));
    return out;
}

char32_t FoldLetter(char32_t ch) {
    if (ch < 0x80) return LowerLetter(ch);
    if (ch >= 0xC0 && ch <= 0xFF) {
        const char32_t base = kLatin1Bases[ch - 0xC0];
        return base != 0 ? base : ch;
    }
    if (ch >= 0x100 && ch <= 0x17F) return static_cast<char32_t>(kExtendedABases[ch - 0x100]);
    return LowerLetter(ch);
}

std::string FoldForSearch(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[pos]);
        if (byte < 0x80) {  // the common case, without decoding
            out += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
            ++pos;
            continue;
        }
        AppendUtf8(out, FoldLetter(NextCodePoint(utf8, pos)));
    }
    return out;
}

std::string_view TrimText(std::string_view utf8) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!utf8.empty() && blank(utf8.front())) utf8.remove_prefix(1);
    while (!utf8.empty() && blank(utf8.back())) utf8.remove_suffix(1);
    return utf8;
}

}  // namespace quillory
