#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillory {

// The URL- and file-name-safe base64 of RFC 4648 §5 ("-" and "_" for "+" and "/"), as OAuth 2.0
// uses it: PKCE (RFC 7636 §3: no padding) and the parts of a JSON Web Token (RFC 7515 §2).
std::string EncodeBase64Url(std::string_view bytes);
// The bytes of a base64url text with or without its "=" padding; nothing for a character outside
// the alphabet, a length no encoding has (one character past a group of four), or padding that
// is not at the end.
std::optional<std::string> DecodeBase64Url(std::string_view text);

}  // namespace quillory
