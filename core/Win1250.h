#pragma once

#include <string>
#include <string_view>

namespace quillory {

// The program's 8-bit text is Windows-1250. These convert it to and from Unicode. Every one of the
// 256 byte values has a character (the five bytes the code page leaves undefined stand for the C1
// controls of the same number), so bytes survive a round trip; a character the code page cannot
// hold becomes "?", as it does in an 8-bit edit control.

char32_t Win1250ToUnicode(unsigned char byte);
// The byte for `ch`, or -1 when Windows-1250 has none.
int UnicodeToWin1250(char32_t ch);

std::string Win1250ToUtf8(std::string_view bytes);
std::string Utf8ToWin1250(std::string_view utf8);

}  // namespace quillory
