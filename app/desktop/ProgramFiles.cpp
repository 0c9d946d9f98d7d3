#include "app/desktop/ProgramFiles.h"

#include <system_error>

#include "app/BlockFileName.h"
#include "core/Exception.h"
#include "storage/TextFile.h"

namespace quillory {

void PrepareDataFolder(const TProgramFolders& folders) {
    if (!folders.Installed()) return;
    const std::filesystem::path& data = folders.Data();
    std::error_code failed;
    if (std::filesystem::exists(data, failed) || failed) return;
    if (!std::filesystem::create_directories(data, failed)) return;
    std::filesystem::permissions(data, std::filesystem::perms::owner_all, failed);
    std::filesystem::create_directory(data / "Backups", failed);
    try {
        for (int n = 1; n <= 8; ++n) LinesToFile({}, data / BlockFileName(n));
    } catch (const Exception&) {
        // The block that could not be made is reported by the load, with its path.
    }
}

std::filesystem::path SkinsFolder(const TProgramFolders& folders, const std::string& name) {
    for (const std::filesystem::path& base : folders.ShippedBases()) {
        const std::filesystem::path skins = base / "Skins";
        std::error_code ignored;
        if (std::filesystem::exists(skins / (name + ".asz"), ignored) ||
            std::filesystem::exists(skins / name, ignored))
            return skins;
    }
    return folders.ShippedBases().front() / "Skins";
}

std::optional<std::filesystem::path> BundledGuide(const TProgramFolders& folders) {
    return folders.FindShipped(std::filesystem::path("help") / "napoveda.html");
}

}  // namespace quillory
