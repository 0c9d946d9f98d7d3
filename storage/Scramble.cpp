#include "storage/Scramble.h"

namespace quillory {

namespace {

unsigned char KeyByte(std::string_view key, std::size_t position) {
    return key.empty() ? 0 : static_cast<unsigned char>(key[position % key.size()]);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string ScrambleHex(std::string_view key, std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string result;
    result.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned code = static_cast<unsigned char>(text[i]) ^ KeyByte(key, i);
        result += kDigits[code >> 4];
        result += kDigits[code & 0x0F];
    }
    return result;
}

std::string UnscrambleHex(std::string_view key, std::string_view text) {
    std::string result;
    result.reserve(text.size() / 2);
    for (std::size_t pair = 0; pair * 2 + 1 < text.size(); ++pair) {
        const int high = HexDigit(text[pair * 2]);
        const int low = HexDigit(text[pair * 2 + 1]);
        const unsigned value = (high < 0 || low < 0) ? 32u : static_cast<unsigned>(high * 16 + low);
        result += static_cast<char>((value ^ KeyByte(key, pair)) & 0xFF);
    }
    return result;
}

}  // namespace quillory
