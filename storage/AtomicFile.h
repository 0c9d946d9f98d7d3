#pragma once

#include <filesystem>
#include <string_view>

namespace quillory {

// Replaces the file at `path` whole or not at all: the contents go to a temporary file beside it,
// created readable and writable by its owner only, are flushed to the disk, and the temporary file
// is then renamed over the target. The folder is created when it is missing. A failure leaves the
// old file untouched, removes the temporary file and returns false.
bool ReplaceFileWhole(const std::filesystem::path& path, std::string_view contents);

}  // namespace quillory
