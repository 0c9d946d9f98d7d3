#include "storage/IniLocation.h"

#include <cstdlib>

namespace quillory {

std::string DefaultIniName(std::string_view executablePath) {
    return std::filesystem::path(executablePath).filename().replace_extension(".INI").string();
}

std::filesystem::path ConfigFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : ".") / ".config";
}

std::filesystem::path ResolveIniPath(std::string_view fileName) {
    const std::filesystem::path path(fileName);
    return path.has_parent_path() ? path : ConfigFolder() / path;
}

}  // namespace quillory
