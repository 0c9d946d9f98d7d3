#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// Whether `value` can stand between double quotes as it is (RFC 2045 §5.1): printable US-ASCII
// without '"' and '\'.
bool IsPlainQuotable(std::string_view value);

// `attribute` with `value` in the extended form of RFC 2231 §4, attribute*=charset''value with
// every byte outside the attribute characters written %XX. When that is longer than `width`
// characters, it is cut into numbered sections of at most `width` characters each (RFC 2231 §3:
// attribute*0*=charset''…, attribute*1*=…), never inside a %XX escape.
std::vector<std::string> ExtendedParameter(std::string_view attribute, std::string_view value,
                                           std::string_view charset, std::size_t width);

// `value` as RFC 2047 "B" encoded words in `charset`, each at most `maxLength` characters (RFC 2047
// §2 allows 75). With UTF-8 no character is split between two words (§5). Empty for an empty value.
std::vector<std::string> EncodedWordsB(std::string_view value, std::string_view charset,
                                       std::size_t maxLength = 75);

}  // namespace quillory
