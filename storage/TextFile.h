#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace quillory {

// Writes the text form of a string list (its bytes, unconverted) to the file at `path`. The file is
// replaced whole or not at all: the bytes go to a temporary file beside it, which is flushed to disk
// and then renamed over the target, so a crash never leaves a truncated file behind.
// Raises EFCreateError when the file cannot be created, EWriteError when a write comes back short.
void LinesToFile(std::string_view textForm, const std::filesystem::path& path);

// The most a file read back as a text form may hold (1 MiB): a text block is a few lines to a few
// pages, and a larger file is refused at once instead of stalling the start while it loads.
inline constexpr std::size_t kMaxTextFileBytes = std::size_t(1) << 20;

// Reads the whole existing file at `path` as the bytes of a text form.
// Raises EFOpenError when the file cannot be opened or read, when it is not a regular file (a FIFO
// is refused without waiting for a writer) and when it holds more than `maxBytes` bytes.
std::string FileToLines(const std::filesystem::path& path, std::size_t maxBytes = kMaxTextFileBytes);

}  // namespace quillory
