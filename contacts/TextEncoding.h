#pragma once

#include <string>
#include <string_view>

namespace quillory {

// The encodings an imported file may come in.
enum class TextEncoding { Utf8, Utf16LittleEndian, Utf16BigEndian, Windows1250 };

struct DecodedText {
    std::string utf8;
    TextEncoding encoding = TextEncoding::Utf8;
};

// The text of an imported file, in UTF-8: a byte-order mark decides (UTF-8, UTF-16 in either
// order) and is dropped; without one, bytes that are well-formed UTF-8 are UTF-8 and anything else
// is Windows-1250, as Czech Windows programs write. A malformed UTF-16 unit becomes U+FFFD.
DecodedText DecodeTextFile(std::string_view bytes);

}  // namespace quillory
