#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace quillory {

// The window layer's side of the program's 8-bit text: Windows-1250 bytes to and from QString.
// A character Windows-1250 cannot hold becomes "?".
QString FromWin1250(std::string_view bytes);
std::string ToWin1250(const QString& text);

}  // namespace quillory
