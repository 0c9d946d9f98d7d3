#include "net/oauth/Base64Url.h"

#include <array>
#include <cstdint>

namespace quillory {

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// The value of each character of the alphabet, -1 for the others.
constexpr std::array<std::int8_t, 256> MakeValues() {
    std::array<std::int8_t, 256> values{};
    for (auto& value : values) value = -1;
    for (std::size_t i = 0; i < kAlphabet.size(); ++i)
        values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::int8_t>(i);
    return values;
}

constexpr std::array<std::int8_t, 256> kValues = MakeValues();

}  // namespace

std::string EncodeBase64Url(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16 |
                                    static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                    static_cast<unsigned char>(bytes[i + 2]);
        text += kAlphabet[group >> 18 & 63];
        text += kAlphabet[group >> 12 & 63];
        text += kAlphabet[group >> 6 & 63];
        text += kAlphabet[group & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest == 0) return text;
    std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
    if (rest == 2) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    text += kAlphabet[group >> 18 & 63];
    text += kAlphabet[group >> 12 & 63];
    if (rest == 2) text += kAlphabet[group >> 6 & 63];
    return text;
}

std::optional<std::string> DecodeBase64Url(std::string_view text) {
    // Padding, when present, fills the last group to four characters.
    if (text.size() % 4 == 0 && !text.empty()) {
        if (text.back() == '=') text.remove_suffix(1);
        if (text.back() == '=') text.remove_suffix(1);
    }
    if (text.size() % 4 == 1) return std::nullopt;
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3 + 2);
    std::uint32_t group = 0;
    int bits = 0;
    for (const char c : text) {
        const int value = kValues[static_cast<unsigned char>(c)];
        if (value < 0) return std::nullopt;
        group = (group << 6 | static_cast<std::uint32_t>(value)) & 0xFFFFFF;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>(group >> bits & 0xFF);
        }
    }
    return bytes;
}

}  // namespace quillory
