#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillory {

// UTF-8 (RFC 3629) as every library reads and writes it: no overlong forms, no surrogates, nothing
// past U+10FFFF.

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// The code point of `text` at `at`, which moves past it. A byte that starts no well-formed
// sequence gives U+FFFD and moves `at` past that one byte only, so the bytes after it are read anew.
char32_t NextCodePoint(std::string_view text, std::size_t& at);

// Whether `bytes` is well-formed UTF-8 throughout.
bool IsValidUtf8(std::string_view bytes);

// Appends `ch` encoded (one to four bytes).
void AppendUtf8(std::string& out, char32_t ch);

// `utf8` in UTF-16, a malformed byte as U+FFFD (as NextCodePoint reads it).
std::u16string Utf16FromUtf8(std::string_view utf8);
// `utf16` in UTF-8; a surrogate half without its partner becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view utf16);

}  // namespace quillory
