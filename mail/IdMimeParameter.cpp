#include "mail/IdMimeParameter.h"

#include <algorithm>

#include "core/TextCase.h"
#include "mail/IdCoder3to4.h"

namespace quillory {

namespace {

// RFC 2231 §7 attribute-char: US-ASCII except SPACE, CTLs, "*", "'", "%" and the tspecials.
bool IsAttributeChar(unsigned char c) {
    if (c <= 0x20 || c >= 0x7F) return false;
    return std::string_view("*'%()<>@,;:\\\"/[]?=").find(static_cast<char>(c)) == std::string_view::npos;
}

// The longest encoded word RFC 2047 §2 allows.
constexpr std::size_t kEncodedWordLength = 75;

}  // namespace

bool IsPlainQuotable(std::string_view value) {
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') return false;
    }
    return true;
}

std::vector<std::string> ExtendedParameter(std::string_view attribute, std::string_view value,
                                           std::string_view charset, std::size_t width) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    // The escaped value as pieces that must stay whole: one character or one %XX escape.
    std::vector<std::string> pieces;
    std::string whole = std::string(attribute) + "*=" + std::string(charset) + "''";
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsAttributeChar(c)) pieces.emplace_back(1, ch);
        else pieces.push_back({'%', kHex[c >> 4], kHex[c & 15]});
        whole += pieces.back();
    }
    if (whole.size() <= width) return {whole};
    std::vector<std::string> sections;
    auto start = [&] { return std::string(attribute) + "*" + std::to_string(sections.size()) + "*="; };
    std::string section = start() + std::string(charset) + "''";
    bool empty = true;
    for (const auto& piece : pieces) {
        if (!empty && section.size() + piece.size() > width) {
            sections.push_back(section);
            section = start();
        }
        section += piece;
        empty = false;
    }
    sections.push_back(section);
    return sections;
}

std::vector<std::string> EncodedWordsB(std::string_view value, std::string_view charset,
                                       std::size_t maxLength) {
    const std::string head = "=?" + std::string(charset) + "?B?";
    // Source bytes per word: the largest multiple of 3 whose base64 fits beside "=?cs?B?" and "?=".
    const std::size_t room = std::min(maxLength, kEncodedWordLength) - head.size() - 2;
    const std::size_t perWord = room / 4 * 3;
    const bool utf8 = SameText(charset, "UTF-8");
    const TIdEncoderMIME encoder;
    std::vector<std::string> words;
    std::size_t start = 0;
    while (start < value.size()) {
        std::size_t end = std::min(value.size(), start + perWord);
        // A UTF-8 continuation byte (10xxxxxx) at the cut belongs to the character before it.
        if (utf8)
            while (end < value.size() && end > start + 1 &&
                   (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80)
                --end;
        words.push_back(head + encoder.EncodeBytes(value.substr(start, end - start)) + "?=");
        start = end;
    }
    return words;
}

}  // namespace quillory
