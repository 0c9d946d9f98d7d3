#include "storage/SpoolFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "storage/FileHandle.h"

namespace quillory {

namespace {

// The temporary file's name: hidden, and never one the archive gives a message.
constexpr const char* kTemplate = ".spool.quillory-XXXXXX";

std::filesystem::path NumberedName(const std::filesystem::path& folder, const std::string& fileName,
                                   int number) {
    if (number == 1) return folder / fileName;
    const std::filesystem::path name(fileName);
    return folder / (name.stem().string() + " (" + std::to_string(number) + ")" + name.extension().string());
}

}  // namespace

std::string SpoolFile::DescribeError(const std::filesystem::path& path, int error) {
    return path.string() + ": " + std::strerror(error);
}

SpoolFile::SpoolFile(std::filesystem::path folder) : folder_(std::move(folder)) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder_, error)) {
        std::filesystem::create_directories(folder_, error);
        if (error) throw ESpoolFileError(DescribeError(folder_, error.value()));
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, error);
    }
    std::string name = (folder_ / kTemplate).string();
    // mkstemp makes the file 0600: a sent message is nobody else's to read.
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) throw ESpoolFileError(DescribeError(folder_, errno));
    path_ = name;
}

SpoolFile::~SpoolFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !path_.empty()) ::unlink(path_.c_str());
}

void SpoolFile::Append(std::string_view bytes) noexcept {
    while (writeError_ == 0 && !bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno != EINTR) writeError_ = errno;
            continue;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        size_ += static_cast<std::uint64_t>(written);
    }
}

std::filesystem::path SpoolFile::Commit(const std::string& fileName) {
    if (committed_) return path_;
    if (writeError_ == 0 && ::fsync(fd_) != 0) writeError_ = errno;
    if (writeError_ != 0) throw ESpoolFileError(DescribeError(path_, writeError_));
    for (int number = 1;; ++number) {
        const std::filesystem::path target = NumberedName(folder_, fileName, number);
        // A hard link fails on a name that exists, where a rename would replace it.
        if (::link(path_.c_str(), target.c_str()) == 0) {
            ::unlink(path_.c_str());
            path_ = target;
            committed_ = true;
            // The new name reaches the disk with the folder's entry.
            const FileHandle directory(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (directory.IsOpen()) ::fsync(directory.Get());
            return path_;
        }
        if (errno != EEXIST || number >= 1000) throw ESpoolFileError(DescribeError(target, errno));
    }
}

}  // namespace quillory
