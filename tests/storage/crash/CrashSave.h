#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillory::test {

// One save of the program's files, as the crash test's writer repeats it: the eight block files
// and the INI file, all holding `version` (0 or 1). The two versions differ in every byte and in
// size, so a file that holds anything but one whole version shows.
void SaveVersion(const std::filesystem::path& folder, int version);

// The names of the files one save writes, in the folder.
std::vector<std::string> SavedFileNames();

}  // namespace quillory::test
