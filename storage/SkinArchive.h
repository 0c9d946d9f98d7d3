#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// A packed skin ("<name>.asz") is the files of a skin folder in one file, all numbers little-endian:
//
//   magic        8 bytes   "QLRYSKN1"
//   count        u32       number of files, 1 to kMaxSkinFiles
//   count times:
//     name size  u16       1 to 255
//     name       bytes     UTF-8 path relative to the skin folder, "/" between folders;
//                          no empty, "." or ".." part, no "\" or ":"
//     data size  u32
//     data       bytes
//
// The file ends right after the last file's data. Names are unique; one of them is "Options.dat".
inline constexpr std::string_view kSkinArchiveMagic = "QLRYSKN1";
inline constexpr std::uint32_t kMaxSkinFiles = 256;
inline constexpr std::size_t kMaxSkinArchiveSize = 32 * 1024 * 1024;

struct TSkinFile {
    std::string name;  // UTF-8
    std::string data;
};

// The files of a packed skin, or nothing when `packed` breaks any rule above.
std::optional<std::vector<TSkinFile>> ReadSkinArchive(std::string_view packed);

// Whether `name` (UTF-8) may name a file inside a skin folder: relative, without "." or ".." parts.
bool IsSkinFileName(std::string_view name);

}  // namespace quillory
