#pragma once

#include "core/TextCase.h"
#include "core/TextTrim.h"

#include <string>
#include <string_view>

namespace quillory {

// printf-style "%s" substitution of the one file name into an error text.
std::string FormatFileMessage(std::string_view format, std::string_view fileName);

}  // namespace quillory
