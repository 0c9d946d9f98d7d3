#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/IniFile.h"

namespace quillory {

// The INI format of stored properties: one key "<component>_<property>" in the storage's section
// for a simple value, a section "<section>.<component>_<property>" with "Count" and Item0, Item1...
// for a string list.

// The key of a property: component name, "_", property name.
std::string PropertyKey(std::string_view component, std::string_view property);

// A property's value text, trimmed of every byte up to and including the blank at both ends.
void WritePropertyValue(TCustomIniFile& ini, std::string_view section, std::string_view key,
                        std::string_view text);
std::string ReadPropertyValue(const TCustomIniFile& ini, std::string_view section, std::string_view key,
                              std::string_view defaultText);

// The list's section is cleared and, when the list has entries, written with "Count" and the
// entries untrimmed. An empty list leaves no section.
void WriteStringListSection(TCustomIniFile& ini, std::string_view section, std::string_view key,
                            const std::vector<std::string>& entries);
// The stored entries (missing items read as empty texts), or nothing when "Count" is missing, not
// above 0, or beyond any list a user could have built: the list then keeps the entries it has.
std::optional<std::vector<std::string>> ReadStringListSection(const TCustomIniFile& ini,
                                                              std::string_view section, std::string_view key);

// "True" or "False"; reading accepts either name in any letter case and nothing else.
std::string BooleanText(bool value);
std::optional<bool> ParseBooleanText(std::string_view text);

}  // namespace quillory
