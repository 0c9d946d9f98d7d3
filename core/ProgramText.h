#pragma once

#include <string>
#include <string_view>

namespace quillory {

// The program's 8-bit text comes in two forms. A text every character of which Windows-1250 can
// hold is its Windows-1250 bytes, exactly as ever. Any other text is UTF-8 behind the byte-order
// mark EF BB BF, which tells the two apart. The block files, the saved text and the INI file take
// the same two forms on disk, so a file without the mark reads as Windows-1250 as it always did.

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Whether `text` is in the UTF-8 form (begins with the mark).
bool IsUtf8Form(std::string_view text);

// The program's form of UTF-8 text: the Windows-1250 bytes when every character fits and the
// bytes do not begin like the mark, else the mark followed by `utf8` unchanged.
std::string ProgramTextFromUtf8(std::string_view utf8);

// The program's form of Windows-1250 bytes read from an earlier file or from a piece of one: the
// bytes themselves, unless they begin like the mark, which only the UTF-8 form may.
std::string ProgramTextFromWin1250(std::string_view bytes);

// The UTF-8 of a text in either form (the mark dropped).
std::string ProgramTextToUtf8(std::string_view text);

// The text of either form in the form `utf8` asks for: UTF-8 without the mark, or as it is.
// For joining texts of which one needs UTF-8.
std::string ProgramTextIn(std::string_view text, bool utf8);

}  // namespace quillory
