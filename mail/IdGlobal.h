#pragma once

#include "core/TextCase.h"
#include "core/TextTrim.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// An ordered list of text lines, stored without line ends.
using TIdStrings = std::vector<std::string>;

// 1-based position of `needle` in `haystack`, 0 when absent.
std::size_t Pos(std::string_view needle, std::string_view haystack);

// Returns the text of `input` before the first `delimiter`; when `deleteFromInput`, `input` keeps
// only what follows the delimiter (or becomes empty when the delimiter is absent).
std::string CutToken(std::string& input, std::string_view delimiter = " ", bool deleteFromInput = true,
                     bool caseSensitive = true);

// `text` between double quotes, each backslash and double quote inside preceded by a backslash
// (an RFC 5322 §3.2.4 quoted string).
std::string QuotedString(std::string_view text);

// Every line followed by CR LF.
std::string JoinLines(const TIdStrings& lines);
// The lines joined by commas; a line holding a blank, a control character, a comma or a double
// quote is written in double quotes with its quotes doubled.
std::string CommaText(const TIdStrings& lines);

}  // namespace quillory
