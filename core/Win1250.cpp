#include "core/Win1250.h"

#include <array>

#include "core/Utf8.h"

namespace quillory {
namespace {

// Unicode of the bytes 0x80 to 0xFF; 0x00 to 0x7F are ASCII.
constexpr std::array<char16_t, 128> kHighHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

// Byte of every character up to the highest one of the code page (U+2122); 0 where there is none.
constexpr char32_t kHighestCharacter = 0x2122;
const std::array<unsigned char, kHighestCharacter + 1>& ReverseTable() {
    static const auto table = [] {
        std::array<unsigned char, kHighestCharacter + 1> bytes{};
        for (unsigned i = 0; i < kHighHalf.size(); ++i)
            bytes[kHighHalf[i]] = static_cast<unsigned char>(0x80 + i);
        return bytes;
    }();
    return table;
}

// Decodes one UTF-8 sequence at `pos`, advancing it; a malformed byte decodes as U+FFFD.
char32_t NextUtf8(std::string_view text, size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos++]);
    if (lead < 0x80) return lead;
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0) return U'\uFFFD';
    char32_t ch = lead & (0x3F >> extra);
    for (; extra > 0; --extra) {
        if (pos >= text.size() || (static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80) return U'\uFFFD';
        ch = (ch << 6) | (static_cast<unsigned char>(text[pos++]) & 0x3F);
    }
    return ch;
}

}  // namespace

char32_t Win1250ToUnicode(unsigned char byte) { return byte < 0x80 ? byte : kHighHalf[byte - 0x80]; }

int UnicodeToWin1250(char32_t ch) {
    if (ch < 0x80) return static_cast<int>(ch);
    if (ch > kHighestCharacter) return -1;
    const unsigned char byte = ReverseTable()[ch];
    return byte == 0 ? -1 : byte;
}

std::string Win1250ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char byte : bytes) AppendUtf8(out, Win1250ToUnicode(static_cast<unsigned char>(byte)));
    return out;
}

std::string Utf8ToWin1250(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        const int byte = UnicodeToWin1250(NextUtf8(utf8, pos));
        out += byte < 0 ? '?' : static_cast<char>(byte);
    }
    return out;
}

}  // namespace quillory
