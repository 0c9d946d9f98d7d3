#include "storage/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "storage/FileHandle.h"

namespace quillory {

namespace {

using TFailure = TReadResult::TFailure;

TReadResult SystemFailure(int error) { return {TFailure::System, error}; }

}  // namespace

int TReadResult::ErrorNumber() const {
    switch (failure) {
    case TFailure::None:
        return 0;
    case TFailure::System:
        return error;
    case TFailure::TooLarge:
        return EFBIG;
    case TFailure::NotRegular:
        return EINVAL;
    }
    return EINVAL;
}

TReadResult ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& bytes) {
    bytes.clear();
    const FileHandle file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.IsOpen()) return SystemFailure(errno);
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) return SystemFailure(errno);
    if (S_ISDIR(info.st_mode)) return SystemFailure(EISDIR);
    if (!S_ISREG(info.st_mode)) return {TFailure::NotRegular};
    if (static_cast<std::size_t>(info.st_size) > maxBytes) return {TFailure::TooLarge};

    // The size may change while we read: never read past the limit.
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int error = errno;
            bytes.clear();
            return SystemFailure(error);
        }
        if (got == 0) return {};
        if (bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
            bytes.clear();
            return {TFailure::TooLarge};
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace quillory
