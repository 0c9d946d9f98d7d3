#include <array>
#include <cstdint>

#include "mail/IdCoderHeader.h"

namespace quillory {

namespace {

// JIS X 0208 codes of the full-width forms of the half-width katakana 0xA1 to 0xDF.
constexpr std::array<std::uint16_t, 63> kHalfWidthKana = {
    0x2123, 0x2156, 0x2157, 0x2122, 0x2126, 0x2572, 0x2521, 0x2523, 0x2525, 0x2527, 0x2529, 0x2563, 0x2565,
    0x2567, 0x2543, 0x213C, 0x2522, 0x2524, 0x2526, 0x2528, 0x252A, 0x252B, 0x252D, 0x252F, 0x2531, 0x2533,
    0x2535, 0x2537, 0x2539, 0x253B, 0x253D, 0x253F, 0x2541, 0x2544, 0x2546, 0x2548, 0x254A, 0x254B, 0x254C,
    0x254D, 0x254E, 0x254F, 0x2552, 0x2555, 0x2558, 0x255B, 0x255E, 0x255F, 0x2560, 0x2561, 0x2562, 0x2564,
    0x2566, 0x2568, 0x2569, 0x256A, 0x256B, 0x256C, 0x256D, 0x256F, 0x2573, 0x212B, 0x212C};
constexpr unsigned char kVoicedMark = 0xDE;
constexpr unsigned char kSemiVoicedMark = 0xDF;

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF); }
bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
bool IsHalfWidthKana(unsigned char b) { return b >= 0xA1 && b <= 0xDF; }

// The full-width code of a half-width kana, combined with a following sound mark where the
// combination exists (the mark is then consumed).
std::uint16_t KanaCode(unsigned char kana, unsigned char next, bool& markUsed) {
    std::uint16_t code = kHalfWidthKana[kana - 0xA1];
    markUsed = false;
    const bool voicable = (kana >= 0xB6 && kana <= 0xC4) || (kana >= 0xCA && kana <= 0xCE);
    if (next == kVoicedMark && kana == 0xB3) {
        markUsed = true;
        return 0x2574;  // U with voiced mark
    }
    if (next == kVoicedMark && voicable) {
        markUsed = true;
        return static_cast<std::uint16_t>(code + 1);
    }
    if (next == kSemiVoicedMark && kana >= 0xCA && kana <= 0xCE) {
        markUsed = true;
        return static_cast<std::uint16_t>(code + 2);
    }
    return code;
}

// JIS X 0208 code of a Shift_JIS double-byte character (the published arithmetic mapping).
std::uint16_t JisOfShiftJis(unsigned char lead, unsigned char trail) {
    unsigned row = lead - (lead <= 0x9F ? 0x70u : 0xB0u);
    row <<= 1;
    unsigned cell = trail;
    if (trail < 0x9F) {
        --row;
        cell -= trail >= 0x80 ? 0x20u : 0x1Fu;
    } else {
        cell -= 0x7E;
    }
    return static_cast<std::uint16_t>((row << 8) | cell);
}

}  // namespace

std::string ToIso2022Jp(std::string_view text) {
    std::string result;
    bool inKanji = false;
    auto put = [&](std::uint16_t code) {
        if (!inKanji) result += "\x1B$B";
        inKanji = true;
        result += static_cast<char>(code >> 8);
        result += static_cast<char>(code & 0xFF);
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (b < 0x80) {
            if (inKanji) result += "\x1B(B";
            inKanji = false;
            result += static_cast<char>(b);
        } else if (IsHalfWidthKana(b)) {
            bool markUsed = false;
            put(KanaCode(b, next, markUsed));
            if (markUsed) ++i;
        } else if (IsLeadByte(b) && IsTrailByte(next)) {
            put(JisOfShiftJis(b, next));
            ++i;
        }
        // Any other byte of 0x80 and above has no JIS X 0208 code and is dropped.
    }
    if (inKanji) result += "\x1B(B";
    return result;
}

}  // namespace quillory
