#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "storage/ProgramFolders.h"

namespace quillory {

// The first start of an installed copy finds no data folder: it is made, owner-only, with the eight
// block files empty and an empty "Backups" folder, so a new user starts without an error and the
// reset has its backup folder. An existing data folder is left as it is: a block file missing from it
// is reported when the blocks load. Nothing happens for a portable copy. A folder that cannot be
// made is left for the block load to report with its path.
void PrepareDataFolder(const TProgramFolders& folders);

// The folder the skin `name` is switched on from: the "Skins" folder beside the executable when it
// holds the skin (the packed file "<name>.asz" or the folder "<name>"), else the installed one that
// does; beside the executable when none does (the plain look stays).
std::filesystem::path SkinsFolder(const TProgramFolders& folders, const std::string& name);

// The user guide shipped with the program, beside the executable or installed; nothing when absent.
std::optional<std::filesystem::path> BundledGuide(const TProgramFolders& folders);

}  // namespace quillory
