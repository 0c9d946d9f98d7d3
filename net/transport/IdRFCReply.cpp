#include "net/transport/IdRFCReply.h"

#include <charconv>

#include "mail/IdGlobal.h"

namespace quillory {

void TIdRFCReply::SetNumericCode(int code) {
    numericCode_ = code;
    if (code > 0) textCode_ = std::to_string(code);
}

void TIdRFCReply::SetTextCode(const std::string& code) {
    textCode_ = code;
    if (code.empty()) return;
    int value = 0;
    const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), value);
    numericCode_ = (error == std::errc() && end == code.data() + code.size()) ? value : 0;
}

void TIdRFCReply::ClearReply() {
    numericCode_ = 0;
    textCode_.clear();
    text_.clear();
}

void TIdRFCReply::ParseReplyLines(const TIdStrings& lines) {
    ClearReply();
    if (lines.empty()) return;
    // The code of the line that ended the reply: a server that ends "250-..." with "550 ..." has
    // refused, whatever its first line said.
    std::string code(Trim(lines.back().substr(0, 4)));
    if (code.size() == 4 && code.back() == '-') code.pop_back();
    SetTextCode(code);
    for (const auto& line : lines) text_.push_back(line.size() > 4 ? line.substr(4) : std::string());
}

}  // namespace quillory
