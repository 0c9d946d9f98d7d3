#pragma once

#include "core/SameText.h"

#include <string>
#include <string_view>

namespace quillory {

// ASCII letter case is all the INI names and the storage's word lookups ignore; bytes above 0x7F
// (Windows-1250 letters) compare as they are.

// Removes blanks and tabs at both ends: what a value read from the INI file loses.
std::string_view TrimBlanks(std::string_view text);

// Removes every byte up to and including the blank (0x00 to 0x20) at both ends: the trimming of a
// stored property's text.
std::string_view TrimControls(std::string_view text);

// printf-style "%s" substitution of the one file name into an error text.
std::string FormatFileMessage(std::string_view format, std::string_view fileName);

}  // namespace quillory
