#include "contacts/TextEncoding.h"

#include "contacts/UnicodeText.h"
#include "core/Win1250.h"

namespace quillory {
namespace {

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t ch = unit(i);
        if (ch >= 0xD800 && ch <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                ch = 0x10000 + ((ch - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (ch >= 0xD800 && ch <= 0xDFFF) ch = 0xFFFD;
        AppendUtf8(out, ch);
    }
    if (bytes.size() % 2 != 0) AppendUtf8(out, 0xFFFD);
    return out;
}

}  // namespace

DecodedText DecodeTextFile(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
        // A file that says UTF-8 but is not keeps its well-formed parts.
        return {IsValidUtf8(bytes) ? std::string(bytes) : EncodeUtf8(DecodeUtf8(bytes)), TextEncoding::Utf8};
    }
    if (bytes.starts_with("\xFF\xFE")) return {DecodeUtf16(bytes.substr(2), false), TextEncoding::Utf16LittleEndian};
    if (bytes.starts_with("\xFE\xFF")) return {DecodeUtf16(bytes.substr(2), true), TextEncoding::Utf16BigEndian};
    if (IsValidUtf8(bytes)) return {std::string(bytes), TextEncoding::Utf8};
    return {Win1250ToUtf8(bytes), TextEncoding::Windows1250};
}

}  // namespace quillory
