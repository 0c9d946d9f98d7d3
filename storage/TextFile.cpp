#include "storage/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/Win1250.h"
#include "storage/FileErrors.h"
#include "storage/FileHandle.h"

namespace quillory {
namespace {

// The system's description of an error code, without trailing blanks, control characters and dots.
std::string SystemErrorText(int code) {
    std::string text = std::strerror(code);
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.')) text.pop_back();
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

// A temporary file beside the target that is removed unless it was renamed over the target.
class TempFileBeside {
public:
    explicit TempFileBeside(const std::filesystem::path& target) {
        std::string name = ".";
        name += target.filename().string();
        name += ".XXXXXX";
        std::string pattern = (target.parent_path() / name).string();
        handle_ = FileHandle(::mkstemp(pattern.data()));
        if (handle_.IsOpen()) name_ = pattern;
    }
    TempFileBeside(const TempFileBeside&) = delete;
    TempFileBeside& operator=(const TempFileBeside&) = delete;
    ~TempFileBeside() {
        handle_.Reset();
        if (!committed_ && !name_.empty()) ::unlink(name_.c_str());
    }

    bool IsOpen() const { return handle_.IsOpen(); }
    int Fd() const { return handle_.Get(); }
    const std::string& Name() const { return name_; }
    void Committed() { committed_ = true; }

private:
    FileHandle handle_;
    std::string name_;
    bool committed_ = false;
};

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throw EWriteError();
        bytes.remove_prefix(static_cast<size_t>(written));
    }
}

}  // namespace

void LinesToFile(std::string_view textForm, const std::filesystem::path& path) {
    if (!path.has_filename()) RaiseCreateError(path, EISDIR);
    // Writing through a link replaces the file it points to, not the link.
    std::error_code ignored;
    const std::filesystem::path target =
        std::filesystem::is_symlink(path, ignored) ? std::filesystem::weakly_canonical(path, ignored) : path;
    // An existing file keeps its permissions, and one we may not write to is refused up front, as
    // truncating it would be.
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists) {
        if (S_ISDIR(existing.st_mode)) RaiseCreateError(path, EISDIR);
        if (::access(target.c_str(), W_OK) != 0) RaiseCreateError(path, errno);
    }

    TempFileBeside temp(target);
    if (!temp.IsOpen()) RaiseCreateError(path, errno);
    ::fchmod(temp.Fd(), exists ? (existing.st_mode & 07777) : NewFileMode());
    WriteAll(temp.Fd(), textForm);
    if (::fsync(temp.Fd()) != 0) throw EWriteError();
    if (::rename(temp.Name().c_str(), target.c_str()) != 0) RaiseCreateError(path, errno);
    temp.Committed();
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
