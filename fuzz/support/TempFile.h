#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace quillory::fuzz {

// A folder of this process's own, in memory where the system offers it, removed at exit; readers
// that take a path get the input as a file in it.
inline const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        const bool shm = std::filesystem::is_directory("/dev/shm");
        std::string pattern =
            (shm ? std::string("/dev/shm") : std::filesystem::temp_directory_path().string()) +
            "/quillory-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) __builtin_trap();
        static const struct TRemove {
            std::filesystem::path path;
            ~TRemove() {
                std::error_code ignored;
                std::filesystem::remove_all(path, ignored);
            }
        } remove{pattern};
        return std::filesystem::path(pattern);
    }();
    return folder;
}

// Writes `bytes` as the file `name` of the scratch folder and returns its path.
inline std::filesystem::path WriteScratchFile(const std::string& name, std::string_view bytes) {
    const std::filesystem::path path = ScratchFolder() / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) __builtin_trap();
    return path;
}

}  // namespace quillory::fuzz
