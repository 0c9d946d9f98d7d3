#pragma once

#include <string>
#include <string_view>

namespace quillory {

// The stored values' scrambling: every byte of `text` combined by exclusive or with the key's byte
// at the same position modulo the key's length (the byte itself for an empty key), written as two
// lower-case hexadecimal digits.
std::string ScrambleHex(std::string_view key, std::string_view text);

// The reverse: pairs of hexadecimal digits in either case; a pair that is not hexadecimal stands
// for 32 (before the key is applied) and an odd last digit is ignored.
std::string UnscrambleHex(std::string_view key, std::string_view text);

}  // namespace quillory
