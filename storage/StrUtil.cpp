#include "storage/StrUtil.h"

namespace quillory {

namespace {

template <typename IsTrimmed>
std::string_view TrimWith(std::string_view text, IsTrimmed isTrimmed) {
    while (!text.empty() && isTrimmed(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && isTrimmed(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    return TrimWith(text, [](unsigned char c) { return c == ' ' || c == '\t'; });
}

std::string_view TrimControls(std::string_view text) {
    return TrimWith(text, [](unsigned char c) { return c <= ' '; });
}

std::string FormatFileMessage(std::string_view format, std::string_view fileName) {
    std::string result(format);
    if (const auto at = result.find("%s"); at != std::string::npos) result.replace(at, 2, fileName);
    return result;
}

}  // namespace quillory
