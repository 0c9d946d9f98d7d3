#include "contacts/UnicodeText.h"

namespace quillory {
namespace {

using namespace std::string_view_literals;

constexpr char32_t kReplacement = 0xFFFD;

// The base letters of U+00C0 to U+00FF and of U+0100 to U+017F; '\0' where the character is no
// letter (the multiplication and division signs).
constexpr std::u32string_view kLatin1Bases = U"aaaaaaaceeeeiiiidnooooo\0ouuuuytsaaaaaaaceeeeiiiidnooooo\0ouuuuyty"sv;
constexpr std::string_view kExtendedABases =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkkllllllllllnnnnnnnnnoooooooorrrrrrssssssss"
    "ttttttuuuuuuuuuuuuwwyyyzzzzzzs";

// Decodes one sequence at `pos`, advancing past it; false when it is malformed (`pos` then moves by
// one byte).
bool NextCodePoint(std::string_view text, size_t& pos, char32_t& ch) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ch = lead;
        ++pos;
        return true;
    }
    int length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return false;
    }
    if (pos + length > text.size()) {
        ++pos;
        return false;
    }
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return false;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++pos;
        return false;
    }
    pos += length;
    ch = value;
    return true;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    size_t pos = 0;
    char32_t ch = 0;
    while (pos < bytes.size())
        if (!NextCodePoint(bytes, pos, ch)) return false;
    return true;
}

std::u32string DecodeUtf8(std::string_view utf8) {
    std::u32string text;
    text.reserve(utf8.size());
    size_t pos = 0;
    char32_t ch = 0;
    while (pos < utf8.size()) text += NextCodePoint(utf8, pos, ch) ? ch : kReplacement;
    return text;
}

void AppendUtf8(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (ch >> 18));
        out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
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
    char32_t ch = 0;
    while (pos < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[pos]);
        if (byte < 0x80) {  // the common case, without decoding
            out += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
            ++pos;
            continue;
        }
        AppendUtf8(out, NextCodePoint(utf8, pos, ch) ? FoldLetter(ch) : kReplacement);
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
