#pragma once

#include <string>
#include <string_view>

#include "storage/IniFile.h"

namespace quillory {

// The primary screen's size in pixels, as the window layer reports it.
struct TScreenSize {
    int Width = 0;
    int Height = 0;
};

// The storage's reads and writes through its INI object.
std::string IniReadValue(const TCustomIniFile& ini, std::string_view section, std::string_view key,
                         std::string_view defaultValue);
// A text that begins and ends with the same quote character is wrapped in one more pair of double
// quotes, because reading removes one pair: the text then comes back with its quotes.
void IniWriteValue(TCustomIniFile& ini, std::string_view section, std::string_view key,
                   std::string_view text);
int IniReadNumber(const TCustomIniFile& ini, std::string_view section, std::string_view key,
                  int defaultValue);
void IniWriteNumber(TCustomIniFile& ini, std::string_view section, std::string_view key, int value);

// "(%dx%d)" of the screen's width and height: "(1280x1024)".
std::string ScreenSuffix(TScreenSize screen);
// The key written at this screen size, else the bare key written at any size; empty when neither.
std::string ReadScreenValue(const TCustomIniFile& ini, std::string_view section, std::string_view key,
                            TScreenSize screen);
// Writes the key with the screen size suffix and the bare key.
void WriteScreenValue(TCustomIniFile& ini, std::string_view section, std::string_view key,
                      std::string_view text, TScreenSize screen);

}  // namespace quillory
