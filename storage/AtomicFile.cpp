#include "storage/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string>
#include <system_error>

#include "storage/FileHandle.h"

namespace quillory {

namespace {

using TStep = TReplaceResult::TStep;

constexpr std::string_view kRandomPart = "XXXXXX";

// The temporary file: created under a fresh name and locked, removed again unless it has been
// renamed over the target.
class TTemporaryFile {
public:
    TTemporaryFile() = default;
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;
    ~TTemporaryFile() {
        if (file_.IsOpen() && !committed_) ::unlink(name_.c_str());
    }

    // Creates and locks a file named `prefix` plus six random characters. A cleaner of another
    // process may lock and remove the new file in the moment before our lock is taken; such a file
    // is unlinked by the time we hold the lock, and another name is tried.
    int Create(const std::string& prefix) {
        for (int attempt = 0; attempt < 8; ++attempt) {
            name_ = prefix + std::string(kRandomPart);
            file_ = FileHandle(::mkostemp(name_.data(), O_CLOEXEC));
            if (!file_.IsOpen()) return errno;
            if (::flock(file_.Get(), LOCK_EX) != 0) {
                const int error = errno;
                ::unlink(name_.c_str());
                file_.Reset();
                return error;
            }
            struct stat info {};
            if (::fstat(file_.Get(), &info) == 0 && info.st_nlink > 0) return 0;
            file_.Reset();
        }
        return EAGAIN;
    }

    int Fd() const { return file_.Get(); }
    const char* Name() const { return name_.c_str(); }
    void Commit() { committed_ = true; }

private:
    std::string name_;
    FileHandle file_;
    bool committed_ = false;
};

mode_t DefaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

TReplaceResult Failed(TStep step, int error) { return {step, error == 0 ? EIO : error}; }

bool IsRandomPart(std::string_view text) {
    return text.size() == kRandomPart.size() && std::all_of(text.begin(), text.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c));
           });
}

// Removes the file when it is ours and no writer holds it: a living writer keeps its lock until the
// rename, a killed one has lost it.
bool RemoveIfStale(const std::filesystem::path& file) {
    const FileHandle handle(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!handle.IsOpen()) return false;
    struct stat info {};
    if (::fstat(handle.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
        return false;
    if (::flock(handle.Get(), LOCK_EX | LOCK_NB) != 0) return false;
    return ::unlink(file.c_str()) == 0;
}

// Links followed before the write gives up with ELOOP, as the system's own limit.
constexpr int kMaxLinkHops = 40;

}  // namespace

std::string TemporaryNamePrefix(std::string_view fileName) {
    std::string prefix = ".";
    prefix += fileName;
    prefix += ".quillory-";
    return prefix;
}

int RemoveStaleTemporaries(const std::filesystem::path& folder, std::string_view fileName) {
    const std::string prefix = TemporaryNamePrefix(fileName);
    int removed = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.size() == prefix.size() + kRandomPart.size() && name.starts_with(prefix) &&
            IsRandomPart(std::string_view(name).substr(prefix.size())) && RemoveIfStale(entry->path())) {
            ++removed;
        }
    }
    return removed;
}

TReplaceResult ReplaceFileWhole(const std::filesystem::path& link, std::string_view contents,
                                const TReplaceOptions& options) {
    // A link is written through: the file it points to is replaced and the link stays, also when
    // that file does not exist yet. A link into a folder that is missing (a drive not attached)
    // fails with ENOENT: the folder is not made, and the link is never replaced by a file.
    std::filesystem::path path = link;
    bool throughLink = false;
    for (int hops = 0;; ++hops) {
        std::error_code error;
        if (!std::filesystem::is_symlink(path, error)) break;
        if (hops == kMaxLinkHops) return Failed(TStep::Create, ELOOP);
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error) return Failed(TStep::Create, error.value());
        path = target.is_absolute() ? target : path.parent_path() / target;
        throughLink = true;
    }
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    if (throughLink) {
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error)) return Failed(TStep::Create, ENOENT);
    } else if (options.createFolder) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) return Failed(TStep::Create, error.value());
    }

    mode_t mode = options.mode.value_or(DefaultMode());
    struct stat existing {};
    if (!options.mode && ::stat(path.c_str(), &existing) == 0) mode = existing.st_mode & 07777;

    RemoveStaleTemporaries(folder, path.filename().string());
    TTemporaryFile temporary;
    if (const int error = temporary.Create((folder / TemporaryNamePrefix(path.filename().string())).string()))
        return Failed(TStep::Create, error);
    if (::fchmod(temporary.Fd(), mode) != 0) return Failed(TStep::Create, errno);
    if (!WriteFully(temporary.Fd(), contents) || ::fsync(temporary.Fd()) != 0)
        return Failed(TStep::Write, errno);
    if (::rename(temporary.Name(), path.c_str()) != 0) return Failed(TStep::Rename, errno);
    temporary.Commit();

    // The rename itself reaches the disk with the folder's entry.
    const FileHandle directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.IsOpen()) ::fsync(directory.Get());
    return {};
}

}  // namespace quillory
