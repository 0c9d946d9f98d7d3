#include "storage/StrUtil.h"

namespace quillory {

std::string FormatFileMessage(std::string_view format, std::string_view fileName) {
    std::string result(format);
    if (const auto at = result.find("%s"); at != std::string::npos) result.replace(at, 2, fileName);
    return result;
}

}  // namespace quillory
