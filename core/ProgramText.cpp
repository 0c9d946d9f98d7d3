#include "core/ProgramText.h"

#include "core/Utf8.h"
#include "core/Win1250.h"

namespace quillory {

bool IsUtf8Form(std::string_view text) { return text.starts_with(kUtf8Mark); }

std::string ProgramTextFromUtf8(std::string_view utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        // A malformed byte reads as U+FFFD, which the code page lacks: such text keeps its bytes.
        const int byte = UnicodeToWin1250(NextCodePoint(utf8, at));
        if (byte < 0) return std::string(kUtf8Mark) + std::string(utf8);
        bytes += static_cast<char>(byte);
    }
    if (IsUtf8Form(bytes)) return std::string(kUtf8Mark) + std::string(utf8);
    return bytes;
}

std::string ProgramTextFromWin1250(std::string_view bytes) {
    if (IsUtf8Form(bytes)) return std::string(kUtf8Mark) + Win1250ToUtf8(bytes);
    return std::string(bytes);
}

std::string ProgramTextToUtf8(std::string_view text) {
    if (IsUtf8Form(text)) return std::string(text.substr(kUtf8Mark.size()));
    return Win1250ToUtf8(text);
}

std::string ProgramTextIn(std::string_view text, bool utf8) {
    return utf8 ? ProgramTextToUtf8(text) : std::string(text);
}

}  // namespace quillory
