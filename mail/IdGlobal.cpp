#include "mail/IdGlobal.h"

#include <algorithm>

namespace quillory {

std::size_t Pos(std::string_view needle, std::string_view haystack) {
    const std::size_t found = haystack.find(needle);
    return found == std::string_view::npos ? 0 : found + 1;
}

std::string CutToken(std::string& input, std::string_view delimiter, bool deleteFromInput,
                     bool caseSensitive) {
    const std::size_t p = caseSensitive ? Pos(delimiter, input) : Pos(UpperCase(delimiter), UpperCase(input));
    if (p == 0) {
        std::string result = input;
        if (deleteFromInput) input.clear();
        return result;
    }
    std::string result = input.substr(0, p - 1);
    if (deleteFromInput) input.erase(0, p - 1 + delimiter.size());
    return result;
}

std::string QuotedString(std::string_view text) {
    std::string result = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"') result += '\\';
        result += c;
    }
    result += '"';
    return result;
}

std::string JoinLines(const TIdStrings& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string CommaText(const TIdStrings& lines) {
    std::string text;
    bool first = true;
    for (const auto& line : lines) {
        if (!first) text += ',';
        first = false;
        const bool quote = std::any_of(line.begin(), line.end(), [](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',';
        });
        if (!quote) {
            text += line;
            continue;
        }
        text += '"';
        for (char c : line) {
            if (c == '"') text += '"';
            text += c;
        }
        text += '"';
    }
    return text;
}

}  // namespace quillory
