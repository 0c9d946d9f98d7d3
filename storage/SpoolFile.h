#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/Exception.h"

namespace quillory {

// The spool file could not be created, finished or put in place; the message names the file and
// the system's reason.
class ESpoolFileError : public Exception {
    using Exception::Exception;
};

// A file written piece by piece while something else goes on (a message going out over SMTP) and
// put in place whole only when asked: the bytes go to a temporary file in the target folder,
// readable by its owner only, and Commit gives it its name. A spool that is not committed is
// removed, so a crash or a failed send never leaves a half-written file under a real name.
// A failed write does not raise: the writer must not be disturbed, so the spool notes the first
// error, writes nothing more, and Commit then refuses.
class SpoolFile {
public:
    // Creates the temporary file in `folder`, and the folder (mode 0700) when missing. Raises
    // ESpoolFileError.
    explicit SpoolFile(std::filesystem::path folder);
    ~SpoolFile();
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;

    void Append(std::string_view bytes) noexcept;
    // The first write error (an errno value), 0 while every byte went in.
    int WriteError() const { return writeError_; }
    std::uint64_t Size() const { return size_; }
    // Where the bytes are: the temporary file, after Commit the committed one.
    const std::filesystem::path& Path() const { return path_; }
    bool Committed() const { return committed_; }

    // Flushes the bytes to the disk and names the file `fileName` in its folder (the folder flushed
    // too, so the name outlasts a power cut); when that name is
    // taken, " (2)", " (3)", … goes before the extension. No existing file is ever replaced.
    // Returns the path. Raises ESpoolFileError after a write error or when the file cannot be named.
    std::filesystem::path Commit(const std::string& fileName);

    // "Odeslané/x.eml: No space left on device" for an errno value.
    static std::string DescribeError(const std::filesystem::path& path, int error);

private:
    std::filesystem::path folder_;
    std::filesystem::path path_;
    int fd_ = -1;
    int writeError_ = 0;
    std::uint64_t size_ = 0;
    bool committed_ = false;
};

}  // namespace quillory
