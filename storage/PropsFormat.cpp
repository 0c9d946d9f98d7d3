#include "storage/PropsFormat.h"

#include "core/ProgramText.h"
#include "storage/IniStorage.h"
#include "storage/StrUtil.h"

namespace quillory {

namespace {

// A stored count above this is taken as damage, not as a list: reading it would build millions of
// empty entries.
constexpr int kMaxListCount = 100000;

std::string ListSection(std::string_view section, std::string_view key) {
    return std::string(section) + '.' + std::string(key);
}

std::string ItemKey(std::size_t index) { return "Item" + std::to_string(index); }

// The text without blanks and control characters at either end, in either form of the program's text.
std::string TrimText(std::string_view text) {
    if (IsUtf8Form(text)) return std::string(kUtf8Mark) + std::string(Trim(text.substr(kUtf8Mark.size())));
    return std::string(Trim(text));
}

}  // namespace

std::string PropertyKey(std::string_view component, std::string_view property) {
    return std::string(component) + '_' + std::string(property);
}

void WritePropertyValue(TCustomIniFile& ini, std::string_view section, std::string_view key,
                        std::string_view text) {
    IniWriteValue(ini, section, key, TrimText(text));
}

std::string ReadPropertyValue(const TCustomIniFile& ini, std::string_view section, std::string_view key,
                              std::string_view defaultText) {
    return TrimText(IniReadValue(ini, section, key, defaultText));
}

void WriteStringListSection(TCustomIniFile& ini, std::string_view section, std::string_view key,
                            const std::vector<std::string>& entries) {
    const std::string listSection = ListSection(section, key);
    ini.ClearSection(listSection);
    if (entries.empty()) return;
    IniWriteNumber(ini, listSection, "Count", static_cast<int>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) IniWriteValue(ini, listSection, ItemKey(i), entries[i]);
}

std::optional<std::vector<std::string>> ReadStringListSection(const TCustomIniFile& ini,
                                                              std::string_view section,
                                                              std::string_view key) {
    const std::string listSection = ListSection(section, key);
    const int count = IniReadNumber(ini, listSection, "Count", 0);
    if (count <= 0 || count > kMaxListCount) return std::nullopt;
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        entries.push_back(IniReadValue(ini, listSection, ItemKey(i), ""));
    }
    return entries;
}

std::string BooleanText(bool value) { return value ? "True" : "False"; }

std::optional<bool> ParseBooleanText(std::string_view text) {
    if (SameText(text, "False")) return false;
    if (SameText(text, "True")) return true;
    return std::nullopt;
}

}  // namespace quillory
