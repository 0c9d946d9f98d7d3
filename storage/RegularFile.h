#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace quillory {

// How reading a whole file ended.
struct TReadResult {
    enum class TFailure {
        None,
        System,      // the system refused: `error` holds its code (ENOENT, EACCES, EISDIR, ...)
        NotRegular,  // a FIFO, socket or device: it is never read, so it cannot block
        TooLarge,    // more bytes than the reader's limit: nothing is read
    };
    TFailure failure = TFailure::None;
    int error = 0;
    explicit operator bool() const { return failure == TFailure::None; }
    // The error number a failed read stands for: the system's, EFBIG for a file over the limit,
    // EINVAL for one that is not a regular file.
    int ErrorNumber() const;
};

// Reads the whole regular file at `path` into `bytes`, when it holds at most `maxBytes` bytes.
// The file is opened without waiting, so a FIFO with no writer cannot block the caller; anything
// but a regular file is refused. `bytes` is left empty on failure.
TReadResult ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& bytes);

}  // namespace quillory
