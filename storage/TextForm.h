#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// The text form of a memo's lines is the edit control's whole text with CR LF between lines.
// Loading a text into a memo first makes every lone CR and lone LF a CR LF (LF CR is two line ends).
std::string NormaliseLineEnds(std::string_view text);

// What an edit control keeps of a text given to it: everything before the first NUL byte.
std::string_view UpToFirstNul(std::string_view text);

// The text form of any other string list: every entry followed by CR LF, the last one too.
std::string StringsTextForm(const std::vector<std::string>& entries);

// The entries of a text form: each runs up to the next CR, LF or NUL; one CR and then one LF
// after it are skipped; a NUL or the end of the text ends the scan.
std::vector<std::string> SplitStringsTextForm(std::string_view text);

}  // namespace quillory
