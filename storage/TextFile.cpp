#include "storage/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/Win1250.h"
#include "storage/AtomicFile.h"
#include "storage/FileErrors.h"
#include "storage/FileHandle.h"

namespace quillory {
namespace {

// The system's description of an error code, without trailing blanks, control characters and dots.
std::string SystemErrorText(int code) {
    std::string text = std::strerror(code);
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.'))
        text.pop_back();
    return text;
}

// The path as it appears in messages: made absolute, in the program's 8-bit text.
std::string MessagePath(const std::filesystem::path& path) {
    std::error_code ignored;
    const auto absolute = std::filesystem::absolute(path, ignored);
    return Utf8ToWin1250((absolute.empty() ? path : absolute).string());
}

[[noreturn]] void RaiseCreateError(const std::filesystem::path& path, int code) {
    throw EFCreateError("Cannot create file \"" + MessagePath(path) + "\". " + SystemErrorText(code));
}

[[noreturn]] void RaiseOpenError(const std::filesystem::path& path, int code) {
    throw EFOpenError("Cannot open file \"" + MessagePath(path) + "\". " + SystemErrorText(code));
}

}  // namespace

void LinesToFile(std::string_view textForm, const std::filesystem::path& path) {
    if (!path.has_filename()) RaiseCreateError(path, EISDIR);
    // A file we may not write to is refused up front, as truncating it would be.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) RaiseCreateError(path, EISDIR);
        if (::access(path.c_str(), W_OK) != 0) RaiseCreateError(path, errno);
    }
    const TReplaceResult result = ReplaceFileWhole(path, textForm);
    if (result.step == TReplaceResult::TStep::Write) throw EWriteError();
    if (!result) RaiseCreateError(path, result.error);
}

std::string FileToLines(const std::filesystem::path& path) {
    const FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.IsOpen()) RaiseOpenError(path, errno);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) RaiseOpenError(path, errno);
        if (got == 0) break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return bytes;
}

}  // namespace quillory
