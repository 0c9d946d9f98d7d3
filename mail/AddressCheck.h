#pragma once

#include <string_view>

namespace quillory {

// True when `text` is exactly one bare e-mail address: a local part of atoms or quoted strings
// separated by dots, one "@", and a domain of at least two labels of letters, digits and hyphens,
// each label beginning with a letter and none ending with a hyphen. Nothing is trimmed; display
// names, angle brackets and further addresses are refused. Bytes are Windows-1250.
bool CheckEmailAddress(std::string_view text);

}  // namespace quillory
