#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillory {

// A Hunspell dictionary found on the system: "cs_CZ" from "cs_CZ.aff" and "cs_CZ.dic".
struct InstalledDictionary {
    std::string name;
    std::filesystem::path affixFile;
    std::filesystem::path wordFile;
};

// The environment variable that replaces the folders searched for dictionaries, a list separated
// by ":" as PATH is (tests point it at folders of their own).
inline constexpr const char* kDictionaryPathVariable = "QUILLORY_DICTIONARY_PATH";

// Where dictionaries are looked for: the folders of QUILLORY_DICTIONARY_PATH when it is set, else
// where Debian installs them ("/usr/share/hunspell", then the older "/usr/share/myspell/dicts").
std::vector<std::filesystem::path> DictionaryFolders();

// The dictionaries in `folders`, by name; a name found in two folders is taken from the first.
// A folder that is missing or cannot be listed holds none.
std::vector<InstalledDictionary> FindDictionaries(const std::vector<std::filesystem::path>& folders);

}  // namespace quillory
