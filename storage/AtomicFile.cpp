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

// The temporary file's name, removed again unless it has been renamed over the target.
class TTemporaryName {
public:
    explicit TTemporaryName(std::string name) : name_(std::move(name)) {}
    TTemporaryName(const TTemporaryName&) = delete;
    TTemporaryName& operator=(const TTemporaryName&) = delete;
    ~TTemporaryName()
    {
        if (!committed_) ::unlink(name_.c_str());
    }

    char* Buffer() { return name_.data(); }
    const char* Name() const { return name_.c_str(); }
    void Commit() { committed_ = true; }

private:
    std::string name_;
    bool committed_ = false;
};

bool WriteAll(int fd, std::string_view contents)
{
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

bool ReplaceFileWhole(const std::filesystem::path& link, std::string_view contents)
{
    // Writing through a symbolic link replaces the file it points to, not the link.
    std::error_code ignored;
    const std::filesystem::path path =
        std::filesystem::is_symlink(link, ignored) ? std::filesystem::weakly_canonical(link, ignored) : link;
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return false;

    TTemporaryName temporary((folder / ("." + path.filename().string() + ".XXXXXX")).string());
    FileHandle file(::mkstemp(temporary.Buffer()));
    if (!file.IsOpen()) return false;
    const bool written = ::fchmod(file.Get(), S_IRUSR | S_IWUSR) == 0 && WriteAll(file.Get(), contents) &&
                         ::fsync(file.Get()) == 0;
    file.Reset();
    if (!written) return false;
    if (::rename(temporary.Name(), path.c_str()) != 0) return false;
    temporary.Commit();

    // The rename itself reaches the disk with the folder's entry.
    const FileHandle directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (directory.Get() >= 0) ::fsync(directory.Get());
    return true;
}

}  // namespace quillory
