#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quillory {

// The bare INI file name of a program: the executable's file name with its extension replaced by
// ".INI" (".INI" appended when it has none), without any folder: "/usr/bin/quillory" gives
// "quillory.INI".
std::string DefaultIniName(std::string_view executablePath);

// The user's configuration folder: $XDG_CONFIG_HOME when it is set to an absolute path, else
// ~/.config.
std::filesystem::path ConfigFolder();

// Where an INI file name points: a bare name lives in the configuration folder, a name with a
// folder is taken as it is.
std::filesystem::path ResolveIniPath(std::string_view fileName);

}  // namespace quillory
