#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace quillory {

// The null value of a variant, distinct from the empty one.
struct TNull {
    bool operator==(const TNull&) const = default;
};

// A tagged value as a stored value holds it: empty, null, an 8-bit text, a Boolean or a number.
using TVariant = std::variant<std::monostate, TNull, std::string, bool, std::int64_t>;

// Empty and null give the empty text, a Boolean "True" or "False", a number its decimal text.
std::string VarToStr(const TVariant& value);

// A Boolean as it is; a number is true when it is not 0; a text "true"/"false" in any letter case
// (or a decimal number) converts accordingly. Empty, null and any other text give false.
bool VarToBool(const TVariant& value);

}  // namespace quillory
