#pragma once

#include <QMetaType>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace quillory::test {

// A file the program must neither read whole nor write over: a FIFO without a writer (reading it
// would wait for good) or a file of 200 MB (sparse, so it costs no disk).
enum class THostileFile { Fifo, Huge };

constexpr std::uintmax_t kHugeFileBytes = std::uintmax_t(200) << 20;

// Replaces whatever is at `path` by the hostile file.
inline bool MakeHostileFile(const std::filesystem::path& path, THostileFile kind) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    if (kind == THostileFile::Fifo) return ::mkfifo(path.c_str(), 0600) == 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const bool made = fd >= 0 && ::ftruncate(fd, static_cast<off_t>(kHugeFileBytes)) == 0;
    if (fd >= 0) ::close(fd);
    return made;
}

// The hostile file is still there as it was made.
inline bool IsUntouchedHostileFile(const std::filesystem::path& path, THostileFile kind) {
    std::error_code error;
    if (kind == THostileFile::Fifo) return std::filesystem::is_fifo(path, error);
    return std::filesystem::is_regular_file(path, error) &&
           std::filesystem::file_size(path, error) == kHugeFileBytes;
}

}  // namespace quillory::test

Q_DECLARE_METATYPE(quillory::test::THostileFile)
