#include "mail/IdWrapAtBreaks.h"

#include "mail/IdGlobal.h"

namespace quillory {

// Positions count from 1 as in the folding rules; `at(i)` is the character at position i.
std::string WrapAtBreaks(std::string_view line, std::string_view breakStr, std::string_view breakChars,
                         int maxCol) {
    const std::size_t length = line.size();
    const std::size_t breakLength = breakStr.size();
    auto at = [line](std::size_t position) { return line[position - 1]; };
    auto isBreakChar = [breakChars](char c) { return breakChars.find(c) != std::string_view::npos; };

    std::size_t col = 1, pos = 1, linePos = 1, breakPos = 0;
    bool inQuote = false;
    bool existingBreak = false;
    std::string result;
    while (pos <= length) {
        const char c = at(pos);
        if (breakLength > 0 && c == breakStr.front()) {
            if (!inQuote) {
                existingBreak = SameText(line.substr(pos - 1, breakLength), breakStr);
                if (existingBreak) {
                    pos += breakLength - 1;
                    breakPos = pos;
                }
            }
        } else if (isBreakChar(c)) {
            if (!inQuote) breakPos = pos;
        } else if (c == '"') {
            inQuote = !inQuote;
        }
        ++pos;
        ++col;
        if (!inQuote && (existingBreak || (col > static_cast<std::size_t>(maxCol) && breakPos > linePos))) {
            col = pos - breakPos;
            result += line.substr(linePos - 1, breakPos - linePos + 1);
            if (c != '"')
                while (pos <= length && (isBreakChar(at(pos)) || at(pos) == '\r' || at(pos) == '\n')) ++pos;
            if (!existingBreak && pos < length) result += breakStr;
            ++breakPos;
            linePos = breakPos;
            existingBreak = false;
        }
    }
    if (linePos <= length) result += line.substr(linePos - 1);
    return result;
}

}  // namespace quillory
