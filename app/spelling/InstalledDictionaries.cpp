#include "app/spelling/InstalledDictionaries.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace quillory {

std::vector<std::filesystem::path> DictionaryFolders() {
    if (const char* path = std::getenv(kDictionaryPathVariable)) {
        std::vector<std::filesystem::path> folders;
        std::string_view rest = path;
        while (true) {
            const std::size_t colon = rest.find(':');
            const std::string_view folder = rest.substr(0, colon);
            if (!folder.empty()) folders.emplace_back(folder);
            if (colon == std::string_view::npos) break;
            rest.remove_prefix(colon + 1);
        }
        return folders;
    }
    return {"/usr/share/hunspell", "/usr/share/myspell/dicts"};
}

std::vector<InstalledDictionary> FindDictionaries(const std::vector<std::filesystem::path>& folders) {
    std::vector<InstalledDictionary> found;
    for (const std::filesystem::path& folder : folders) {
        std::error_code error;
        std::filesystem::directory_iterator it(folder, error);
        if (error) continue;
        for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
            if (error) break;
            const std::filesystem::path& path = it->path();
            if (path.extension() != ".dic") continue;
            const std::string name = path.stem().string();
            // Hyphenation patterns and thesauri share the folder in some systems.
            if (name.empty() || name.starts_with("hyph_") || name.starts_with("th_")) continue;
            std::filesystem::path affix = path;
            affix.replace_extension(".aff");
            std::error_code ignored;
            if (!std::filesystem::exists(affix, ignored)) continue;
            const bool known = std::any_of(found.begin(), found.end(),
                                           [&](const InstalledDictionary& d) { return d.name == name; });
            if (!known) found.push_back({name, affix, path});
        }
    }
    std::sort(found.begin(), found.end(),
              [](const InstalledDictionary& a, const InstalledDictionary& b) { return a.name < b.name; });
    return found;
}

}  // namespace quillory
