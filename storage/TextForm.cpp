#include "storage/TextForm.h"

namespace quillory {

std::string NormaliseLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (ch == '\n') {
            out += "\r\n";
        } else {
            out += ch;
        }
    }
    return out;
}

std::string_view UpToFirstNul(std::string_view text) { return text.substr(0, text.find('\0')); }

std::string StringsTextForm(const std::vector<std::string>& entries) {
    std::string out;
    for (const auto& entry : entries) {
        out += entry;
        out += "\r\n";
    }
    return out;
}

std::vector<std::string> SplitStringsTextForm(std::string_view text) {
    std::vector<std::string> entries;
    size_t pos = 0;
    while (pos < text.size() && text[pos] != '\0') {
        const size_t end = text.find_first_of(std::string_view("\r\n\0", 3), pos);
        const size_t stop = end == std::string_view::npos ? text.size() : end;
        entries.emplace_back(text.substr(pos, stop - pos));
        pos = stop;
        if (pos < text.size() && text[pos] == '\r') ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos;
    }
    return entries;
}

}  // namespace quillory
