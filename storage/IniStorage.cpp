#include "storage/IniStorage.h"

namespace quillory {

std::string IniReadValue(const TCustomIniFile& ini, std::string_view section, std::string_view key,
                         std::string_view defaultValue) {
    return ini.ReadValue(section, key, defaultValue);
}

void IniWriteValue(TCustomIniFile& ini, std::string_view section, std::string_view key,
                   std::string_view text) {
    const bool quoted =
        !text.empty() && (text.front() == '"' || text.front() == '\'') && text.back() == text.front();
    if (quoted) {
        ini.WriteValue(section, key, '"' + std::string(text) + '"');
    } else {
        ini.WriteValue(section, key, text);
    }
}

int IniReadNumber(const TCustomIniFile& ini, std::string_view section, std::string_view key,
                  int defaultValue) {
    return ini.ReadNumber(section, key, defaultValue);
}

void IniWriteNumber(TCustomIniFile& ini, std::string_view section, std::string_view key, int value) {
    ini.WriteNumber(section, key, value);
}

std::string ScreenSuffix(TScreenSize screen) {
    return '(' + std::to_string(screen.Width) + 'x' + std::to_string(screen.Height) + ')';
}

std::string ReadScreenValue(const TCustomIniFile& ini, std::string_view section, std::string_view key,
                            TScreenSize screen) {
    std::string value = IniReadValue(ini, section, std::string(key) + ScreenSuffix(screen), "");
    if (value.empty()) value = IniReadValue(ini, section, key, "");
    return value;
}

void WriteScreenValue(TCustomIniFile& ini, std::string_view section, std::string_view key,
                      std::string_view text, TScreenSize screen) {
    IniWriteValue(ini, section, std::string(key) + ScreenSuffix(screen), text);
    IniWriteValue(ini, section, key, text);
}

}  // namespace quillory
