#pragma once

#include <string>
#include <string_view>

namespace quillory {

// Breaks `line` after the last of `breakChars` before column `maxCol`, inserting `breakStr`;
// nothing inside double quotes is a break point, and an existing `breakStr` in the text is kept
// as a break. A piece with no break character in reach stays long.
std::string WrapAtBreaks(std::string_view line, std::string_view breakStr, std::string_view breakChars,
                         int maxCol);

}  // namespace quillory
