#include "net/imap/ImapCommand.h"

#include "net/transport/IdSocketExceptions.h"

namespace quillory {

namespace {

void RefuseLineBreakOrNul(std::string_view text, const std::string& what) {
    if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        throw EIdInvalidCommandText(what);
}

}  // namespace

ImapCommand::ImapCommand(std::string_view name) {
    RefuseLineBreakOrNul(name, "command");
    parts_.push_back({TPart::TKind::Text, std::string(name), 0});
}

ImapCommand& ImapCommand::Words(std::string_view words, const std::string& what) {
    RefuseLineBreakOrNul(words, what);
    std::string text = " ";
    text += words;
    parts_.push_back({TPart::TKind::Text, std::move(text), 0});
    return *this;
}

ImapCommand& ImapCommand::String(std::string_view value, const std::string& what) {
    RefuseLineBreakOrNul(value, what);
    const std::string quoted = Quote(value);
    if (!quoted.empty()) {
        parts_.push_back({TPart::TKind::Text, ' ' + quoted, 0});
    } else {
        parts_.push_back({TPart::TKind::Literal, std::string(value), 0});
    }
    return *this;
}

ImapCommand& ImapCommand::StreamedLiteral(std::uint64_t size) {
    parts_.push_back({TPart::TKind::StreamedLiteral, {}, size});
    return *this;
}

std::string ImapCommand::Quote(std::string_view value) {
    std::string quoted = "\"";
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        // QUOTED-CHAR of RFC 3501 §9: 7-bit TEXT-CHAR, no CR, LF or NUL; control characters are
        // refused by servers that follow RFC 9051's stricter reading, so they go as a literal too.
        if (byte < 0x20 || byte >= 0x7F) return {};
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace quillory
