#pragma once

#include <string>

namespace quillory {

// The file of text block `block` (1 to 8), beside the executable and among the backups.
inline std::string BlockFileName(int block) { return "blok" + std::to_string(block) + ".txt"; }

}  // namespace quillory
