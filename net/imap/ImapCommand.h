#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// The words of one IMAP command after its tag, as they go on the wire: text written as it is
// and strings that go as literals (RFC 9051 §4.3). Every argument is checked as it is added, so
// a command that holds CR, LF or NUL in any argument is refused (EIdInvalidCommandText) before a
// byte of it is written.
class ImapCommand {
public:
    struct TPart {
        enum class TKind { Text, Literal, StreamedLiteral };
        TKind kind = TKind::Text;
        // Text: the words with the blank before them; Literal: the string's bytes.
        std::string bytes;
        // StreamedLiteral: the count of bytes the caller writes itself.
        std::uint64_t size = 0;
    };

    // `name` is the command's name and any fixed words ("LOGOUT", "LIST \"\" \"*\"").
    explicit ImapCommand(std::string_view name);

    // Words that go as they are ("(\\Seen)", "PLAIN"); `what` names them in an error.
    ImapCommand& Words(std::string_view words, const std::string& what = "command");
    // A string argument: a quoted string when it can be one, else a literal (see Quote).
    ImapCommand& String(std::string_view value, const std::string& what);
    // Ends the command with the announcement of a literal of `size` bytes that the caller writes
    // once the announcement is out (and the server has asked for it, when synchronizing).
    ImapCommand& StreamedLiteral(std::uint64_t size);

    const std::vector<TPart>& Parts() const { return parts_; }

    // `value` as a quoted string (RFC 9051 §4.3: "\" before every "\" and "\""), or empty when it
    // holds a byte a quoted string cannot carry (8-bit, or a control character: those go as a
    // literal). An empty value is the quoted string "\"\"".
    static std::string Quote(std::string_view value);

private:
    std::vector<TPart> parts_;
};

}  // namespace quillory
