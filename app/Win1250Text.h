#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace quillory {

// The window layer's side of the program's 8-bit text: Windows-1250 bytes to and from QString.
// A character Windows-1250 cannot hold becomes "?".
QString FromWin1250(std::string_view bytes);
std::string ToWin1250(const QString& text);

// The program's text of either form (core/ProgramText.h): Windows-1250 bytes when every character
// fits, else UTF-8 behind the mark. Nothing becomes "?".
QString FromProgramText(std::string_view text);
std::string ToProgramText(const QString& text);

}  // namespace quillory
