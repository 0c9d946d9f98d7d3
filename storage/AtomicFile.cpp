#include "storage/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "storage/FileHandle.h"

namespace quillory {

namespace {

using TStep = TReplaceResult::TStep;

// The temporary file's name, removed again unless it has been renamed over the target.
class TTemporaryName {
public:
    explicit TTemporaryName(std::string name) : name_(std::move(name)) {}
    TTemporaryName(const TTemporaryName&) = delete;
    TTemporaryName& operator=(const TTemporaryName&) = delete;
    ~TTemporaryName() {
        if (!committed_) ::unlink(name_.c_str());
    }

    char* Buffer() { return name_.data(); }
    const char* Name() const { return name_.c_str(); }
    void Commit() { committed_ = true; }

private:
    std::string name_;
    bool committed_ = false;
};

bool WriteAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

mode_t DefaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

TReplaceResult Failed(TStep step, int error) { return {step, error == 0 ? EIO : error}; }

}  // namespace

TReplaceResult ReplaceFileWhole(const std::filesystem::path& link, std::string_view contents,
                                const TReplaceOptions& options) {
    std::error_code ignored;
    const std::filesystem::path path =
        std::filesystem::is_symlink(link, ignored) ? std::filesystem::weakly_canonical(link, ignored) : link;
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    if (options.createFolder) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) return Failed(TStep::Create, error.value());
    }

    mode_t mode = options.mode.value_or(DefaultMode());
    struct stat existing {};
    if (!options.mode && ::stat(path.c_str(), &existing) == 0) mode = existing.st_mode & 07777;

    std::string name = ".";
    name += path.filename().string();
    name += ".XXXXXX";
    TTemporaryName temporary((folder / name).string());
    FileHandle file(::mkstemp(temporary.Buffer()));
    if (!file.IsOpen()) return Failed(TStep::Create, errno);
    if (::fchmod(file.Get(), mode) != 0) return Failed(TStep::Create, errno);
    if (!WriteAll(file.Get(), contents) || ::fsync(file.Get()) != 0) return Failed(TStep::Write, errno);
    file.Reset();
    if (::rename(temporary.Name(), path.c_str()) != 0) return Failed(TStep::Rename, errno);
    temporary.Commit();

    // The rename itself reaches the disk with the folder's entry.
    const FileHandle directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (directory.IsOpen()) ::fsync(directory.Get());
    return {};
}

}  // namespace quillory
