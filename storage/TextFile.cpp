#include "storage/TextFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/Win1250.h"
#include "storage/AtomicFile.h"
#include "storage/FileErrors.h"
#include "storage/RegularFile.h"

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

[[noreturn]] void RaiseOpenError(const std::filesystem::path& path, const std::string& reason) {
    throw EFOpenError("Cannot open file \"" + MessagePath(path) + "\". " + reason);
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

std::string FileToLines(const std::filesystem::path& path, std::size_t maxBytes) {
    std::string bytes;
    const TReadResult result = ReadRegularFile(path, maxBytes, bytes);
    switch (result.failure) {
    case TReadResult::TFailure::None:
        return bytes;
    case TReadResult::TFailure::System:
        RaiseOpenError(path, SystemErrorText(result.error));
    case TReadResult::TFailure::NotRegular:
        RaiseOpenError(path, "Not a regular file");
    case TReadResult::TFailure::TooLarge:
        RaiseOpenError(path, "File too large: more than " + std::to_string(maxBytes) + " bytes");
    }
    return bytes;
}

}  // namespace quillory
