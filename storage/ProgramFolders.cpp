#include "storage/ProgramFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace quillory {
namespace {

constexpr const char* kProgramFolder = "quillory";

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
    if (const passwd* account = getpwuid(getuid()); account != nullptr && account->pw_dir != nullptr)
        return account->pw_dir;
    return "/";
}

}  // namespace

TProgramFolders TProgramFolders::Portable(std::filesystem::path exeDir) {
    std::filesystem::path data = exeDir;
    return TProgramFolders(std::move(exeDir), {}, std::move(data));
}

TProgramFolders TProgramFolders::Locate(std::filesystem::path exeDir) {
    std::optional<std::filesystem::path> share = InstalledShareFolder(exeDir);
    if (!share) return Portable(std::move(exeDir));
    return TProgramFolders(std::move(exeDir), std::move(*share), UserDataFolder());
}

std::vector<std::filesystem::path> TProgramFolders::ShippedBases() const {
    std::vector<std::filesystem::path> bases{exeDir_};
    if (Installed()) bases.push_back(share_);
    return bases;
}

std::optional<std::filesystem::path> TProgramFolders::FindShipped(
    const std::filesystem::path& relative) const {
    for (const std::filesystem::path& base : ShippedBases()) {
        std::error_code ignored;
        if (std::filesystem::exists(base / relative, ignored)) return base / relative;
    }
    return std::nullopt;
}

std::optional<std::filesystem::path> InstalledShareFolder(const std::filesystem::path& exeDir) {
    std::filesystem::path folder = exeDir.lexically_normal();
    if (!folder.has_filename()) folder = folder.parent_path();  // a trailing separator
    if (folder.filename() != "bin") return std::nullopt;
    std::filesystem::path share = folder.parent_path() / "share" / kProgramFolder;
    std::error_code ignored;
    if (!std::filesystem::is_directory(share, ignored)) return std::nullopt;
    return share;
}

std::filesystem::path UserDataFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/')
        return std::filesystem::path(xdg) / kProgramFolder;
    return HomeFolder() / ".local" / "share" / kProgramFolder;
}

}  // namespace quillory
