#include "net/imap/ImapFolderName.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/Utf8.h"

namespace quillory {

namespace {

constexpr std::string_view Base64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+,";

bool Printable(char32_t c) { return c >= 0x20 && c <= 0x7E; }

int Base64Value(char c) {
    const std::size_t at = Base64.find(c);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

// "&", the UTF-16 units in modified BASE64 without padding, "-".
void AppendShifted(std::string& out, const std::vector<std::uint16_t>& units) {
    out += '&';
    std::uint32_t bits = 0;
    int count = 0;
    for (const std::uint16_t unit : units) {
        bits = (bits << 16) | unit;
        count += 16;
        while (count >= 6) {
            count -= 6;
            out += Base64[(bits >> count) & 0x3F];
        }
        bits &= (1u << count) - 1;
    }
    if (count > 0) out += Base64[(bits << (6 - count)) & 0x3F];
    out += '-';
}

// The code points of one shifted run (the text between "&" and "-"), or nothing when it is not
// the canonical form of a run of characters that cannot stand for themselves.
std::optional<std::u32string> DecodeShifted(std::string_view run) {
    std::vector<std::uint16_t> units;
    std::uint32_t bits = 0;
    int count = 0;
    for (const char c : run) {
        const int value = Base64Value(c);
        if (value < 0) return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        count += 6;
        if (count >= 16) {
            count -= 16;
            units.push_back(static_cast<std::uint16_t>(bits >> count));
            bits &= (1u << count) - 1;
        }
    }
    // What is left over is padding: fewer than six bits, all zero.
    if (count >= 6 || bits != 0 || units.empty()) return std::nullopt;
    std::u32string text;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t unit = units[i];
        if (unit >= 0xDC00 && unit <= 0xDFFF) return std::nullopt;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return std::nullopt;
            text += 0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00);
            continue;
        }
        if (Printable(unit)) return std::nullopt;
        text += unit;
    }
    return text;
}

}  // namespace

std::string EncodeImapFolderName(const std::string& utf8) {
    std::string out;
    std::vector<std::uint16_t> run;
    for (std::size_t at = 0; at < utf8.size();) {
        const char32_t c = NextCodePoint(utf8, at);
        if (Printable(c)) {
            if (!run.empty()) AppendShifted(out, run);
            run.clear();
            out += static_cast<char>(c);
            if (c == '&') out += '-';
        } else if (c >= 0x10000) {
            run.push_back(static_cast<std::uint16_t>(0xD800 + ((c - 0x10000) >> 10)));
            run.push_back(static_cast<std::uint16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            run.push_back(static_cast<std::uint16_t>(c));
        }
    }
    if (!run.empty()) AppendShifted(out, run);
    return out;
}

std::string DecodeImapFolderName(const std::string& wire) {
    std::string out;
    bool afterRun = false;  // a run just ended: another right behind it should have been one
    for (std::size_t at = 0; at < wire.size();) {
        const char c = wire[at];
        if (!Printable(static_cast<unsigned char>(c))) return wire;
        if (c != '&') {
            out += c;
            afterRun = false;
            ++at;
            continue;
        }
        const std::size_t end = wire.find('-', at + 1);
        if (end == std::string::npos) return wire;
        if (end == at + 1) {
            out += '&';
            afterRun = false;
        } else {
            if (afterRun) return wire;
            const auto text = DecodeShifted(std::string_view(wire).substr(at + 1, end - at - 1));
            if (!text) return wire;
            for (const char32_t point : *text) AppendUtf8(out, point);
            afterRun = true;
        }
        at = end + 1;
    }
    return out;
}

}  // namespace quillory
