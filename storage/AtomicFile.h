#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quillory {

struct TReplaceOptions {
    // Create the folder (and its parents) when it is missing.
    bool createFolder = false;
    // The new file's permissions; none: an existing file keeps its own, a new one gets the
    // process's default (0666 less the umask).
    std::optional<mode_t> mode;
};

// How a replacement ended: the step that failed, with the system's error code.
struct TReplaceResult {
    enum class TStep { Done, Create, Write, Rename };
    TStep step = TStep::Done;
    int error = 0;
    explicit operator bool() const { return step == TStep::Done; }
};

// Replaces the file at `path` whole or not at all: the contents go to a temporary file beside it,
// are flushed to the disk, and the temporary file is then renamed over the target, so a crash never
// leaves a truncated file behind. Writing through a symbolic link replaces the file it points to,
// not the link. A failure leaves the old file untouched and removes the temporary file.
//
// The temporary file is named TemporaryNamePrefix(file name) plus six random letters and digits,
// and its writer holds an exclusive lock on it until the rename. A writer that was killed before
// the rename leaves its temporary file behind unlocked; every replacement of the same target first
// removes such leftovers, so they never pile up.
TReplaceResult ReplaceFileWhole(const std::filesystem::path& path, std::string_view contents,
                                const TReplaceOptions& options = {});

// The start of the temporary files' names beside the file named `fileName`: ".blok1.txt.quillory-"
// for "blok1.txt".
std::string TemporaryNamePrefix(std::string_view fileName);

// Removes, in `folder`, the temporary files that writers of `fileName` left behind: names of the
// pattern above, regular files of this user, that no living writer holds locked. Anything else
// is left alone. Returns how many it removed.
int RemoveStaleTemporaries(const std::filesystem::path& folder, std::string_view fileName);

}  // namespace quillory
