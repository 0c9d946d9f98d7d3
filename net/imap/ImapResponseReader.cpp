#include "net/imap/ImapResponseReader.h"

#include "net/transport/IdSocketExceptions.h"

namespace quillory {

namespace {

// The size a line's last bytes announce, "{n}" (or "~{n}", a literal8 of RFC 3516), or nothing.
// A size past what any limit allows reads as SIZE_MAX, never wraps.
std::optional<std::size_t> AnnouncedLiteral(const std::string& line) {
    if (line.size() < 3 || line.back() != '}') return std::nullopt;
    const std::size_t open = line.rfind('{');
    if (open == std::string::npos || open + 2 >= line.size()) return std::nullopt;
    std::size_t size = 0;
    for (std::size_t i = open + 1; i + 1 < line.size(); ++i) {
        const char c = line[i];
        if (c < '0' || c > '9') return std::nullopt;
        const std::size_t digit = static_cast<std::size_t>(c - '0');
        size = size > (SIZE_MAX - digit) / 10 ? SIZE_MAX : size * 10 + digit;
    }
    return size;
}

}  // namespace

void ImapResponseReader::StartExchange() {
    lines_ = 0;
    bytes_ = 0;
}

void ImapResponseReader::Count(std::size_t lines, std::size_t bytes) {
    lines_ += lines;
    bytes_ += bytes;
    if (connection_.MaxReplyLines != 0 && lines_ > connection_.MaxReplyLines)
        throw EIdReplyTooLong(std::to_string(connection_.MaxReplyLines) + " lines");
    if (connection_.MaxReplySize != 0 && bytes_ > connection_.MaxReplySize)
        throw EIdReplyTooLong(std::to_string(connection_.MaxReplySize) + " bytes");
}

std::string ImapResponseReader::ReadLine() {
    std::string line = connection_.ReadLine();
    // A line the server left unfinished when it closed.
    if (connection_.LineTimedOut()) throw EIdConnClosedGracefully();
    Count(1, line.size());
    return line;
}

TImapResponse ImapResponseReader::Read() {
    std::string line = ReadLine();
    TImapResponse response;
    std::size_t start = 0;
    if (line.starts_with("* ")) {
        response.kind = TImapResponse::TKind::Untagged;
        start = 2;
    } else if (line == "+" || line.starts_with("+ ")) {
        response.kind = TImapResponse::TKind::Continuation;
        start = std::min<std::size_t>(2, line.size());
    } else {
        const std::size_t blank = line.find(' ');
        if (blank == 0 || blank == std::string::npos)
            throw EImapResponseError("The server sent a line that is no IMAP response: " +
                                     ImapTextForMessage(line, 120));
        response.kind = TImapResponse::TKind::Tagged;
        response.tag = line.substr(0, blank);
        start = blank + 1;
    }
    response.text = line.substr(start);
    // Literals stand only in server data: a status response or a continuation is one line, what
    // its text ends with notwithstanding (RFC 9051 §7.1, §7.5).
    if (response.kind != TImapResponse::TKind::Untagged || IsImapStatusWord(ImapResponseKeyword(response)))
        return response;
    for (std::optional<std::size_t> size = AnnouncedLiteral(line); size; size = AnnouncedLiteral(line)) {
        if (*size > MaxLiteralSize)
            throw EImapResponseError(*size == SIZE_MAX
                                         ? "The server announced a literal of more than " +
                                               std::to_string(MaxLiteralSize) + " bytes."
                                         : "The server announced a literal of " + std::to_string(*size) +
                                               " bytes, more than the " + std::to_string(MaxLiteralSize) +
                                               " bytes allowed.");
        Count(0, *size);
        std::string bytes(*size, '\0');
        if (*size != 0) connection_.ReadBytes(bytes.data(), *size);
        response.literals.push_back({response.text.size(), std::move(bytes)});
        line = ReadLine();
        response.text += line;
    }
    return response;
}

}  // namespace quillory
