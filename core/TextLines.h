#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// `text` cut into lines at each LF, a CR before it dropped with it; a line end at the very end
// makes no empty line after it.
inline std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

}  // namespace quillory
