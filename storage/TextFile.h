#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quillory {

// Writes the text form of a string list (its bytes, unconverted) to the file at `path`. The file is
// replaced whole or not at all: the bytes go to a temporary file beside it, which is flushed to disk
// and then renamed over the target, so a crash never leaves a truncated file behind.
// Raises EFCreateError when the file cannot be created, EWriteError when a write comes back short.
void LinesToFile(std::string_view textForm, const std::filesystem::path& path);

// Reads the whole existing file at `path` as the bytes of a text form.
// Raises EFOpenError when the file cannot be opened or read.
std::string FileToLines(const std::filesystem::path& path);

}  // namespace quillory
