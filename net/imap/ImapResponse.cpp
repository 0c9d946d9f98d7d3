#include "net/imap/ImapResponse.h"

#include <algorithm>

#include "core/TextCase.h"

namespace quillory {

namespace {

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

// ATOM-CHAR of RFC 9051 §9; an ASTRING-CHAR also takes "]".
bool IsAtomChar(char c, bool bracket) {
    if (IsControl(c)) return false;
    switch (c) {
    case '(':
    case ')':
    case '{':
    case ' ':
    case '%':
    case '*':
    case '"':
    case '\\':
        return false;
    case ']':
        return bracket;
    default:
        return true;
    }
}

// Reads the parts of a response's text one after another: atoms, strings (quoted or literal),
// NIL and parenthesized lists.
class TCursor {
public:
    explicit TCursor(const TImapResponse& response) : response_(response) {}

    bool AtEnd() const { return at_ >= Text().size(); }
    bool Take(char c) {
        if (AtEnd() || Text()[at_] != c) return false;
        ++at_;
        return true;
    }
    void Expect(char c, const char* what) {
        if (!Take(c)) Fail(what);
    }
    std::string Atom(bool bracket) {
        const std::size_t start = at_;
        while (!AtEnd() && IsAtomChar(Text()[at_], bracket)) ++at_;
        if (at_ == start) Fail("an atom");
        return std::string(Text().substr(start, at_ - start));
    }
    // A quoted string or a literal; nothing for NIL when `nil` allows it.
    std::optional<std::string> String(bool nil) {
        if (Take('"')) return QuotedRest();
        if (!AtEnd() && Text()[at_] == '{') return Literal();
        if (nil && StartsText(Text().substr(at_), "NIL") &&
            (at_ + 3 == Text().size() || !IsAtomChar(Text()[at_ + 3], true))) {
            at_ += 3;
            return std::nullopt;
        }
        Fail("a string");
    }
    std::string AString() {
        if (!AtEnd() && (Text()[at_] == '"' || Text()[at_] == '{')) return *String(false);
        return Atom(true);
    }
    // "(" [flag *(SP flag)] ")", a flag being an atom with or without "\" before it.
    std::vector<std::string> FlagList() {
        Expect('(', "\"(\"");
        std::vector<std::string> flags;
        while (!Take(')')) {
            if (!flags.empty()) Expect(' ', "a blank");
            std::string flag = Take('\\') ? "\\" : "";
            flag += Atom(false);
            flags.push_back(std::move(flag));
        }
        return flags;
    }
    [[noreturn]] void Fail(const char* what) const {
        throw EImapResponseError("The server's response is malformed (" + std::string(what) +
                                 " expected at byte " + std::to_string(at_) +
                                 "): " + ImapTextForMessage(Text(), 120));
    }

private:
    std::string_view Text() const { return response_.text; }

    std::string QuotedRest() {
        std::string value;
        for (;;) {
            if (AtEnd()) Fail("a closing quote");
            const char c = Text()[at_++];
            if (c == '"') return value;
            if (c == '\\') {
                if (AtEnd() || (Text()[at_] != '"' && Text()[at_] != '\\')) Fail("\\\" or \\\\");
                value += Text()[at_++];
            } else {
                value += c;
            }
        }
    }

    // "{" number "}" (or "~{" ... for literal8), its bytes recorded where the "}" ended.
    std::string Literal() {
        Expect('{', "\"{\"");
        while (!AtEnd() && Text()[at_] >= '0' && Text()[at_] <= '9') ++at_;
        Expect('}', "\"}\"");
        for (const auto& literal : response_.literals) {
            if (literal.position == at_) return literal.bytes;
        }
        Fail("a literal's bytes");
    }

    const TImapResponse& response_;
    std::size_t at_ = 0;
};

}  // namespace

bool IsImapStatusWord(std::string_view word) {
    for (const char* status : {"OK", "NO", "BAD", "PREAUTH", "BYE"}) {
        if (SameText(word, status)) return true;
    }
    return false;
}

std::string ImapResponseKeyword(const TImapResponse& response) {
    return UpperCase(std::string_view(response.text).substr(0, response.text.find(' ')));
}

std::optional<TImapStatus> ParseImapStatus(const TImapResponse& response) {
    if (response.kind == TImapResponse::TKind::Continuation) return std::nullopt;
    TImapStatus status;
    status.status = ImapResponseKeyword(response);
    if (!IsImapStatusWord(status.status)) return std::nullopt;
    std::string_view rest = std::string_view(response.text).substr(status.status.size());
    if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close != std::string_view::npos) {
            status.code = std::string(rest.substr(1, close - 1));
            rest.remove_prefix(close + 1);
            if (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        }
    }
    status.text = std::string(rest);
    return status;
}

std::vector<std::string> ParseImapCapabilities(std::string_view text) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        if (end > at) {
            std::string name = UpperCase(text.substr(at, end - at));
            if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(std::move(name));
        }
        at = end + 1;
    }
    return names;
}

TImapListEntry ParseImapListResponse(const TImapResponse& response) {
    TCursor cursor(response);
    if (!SameText(cursor.Atom(false), "LIST")) cursor.Fail("LIST");
    cursor.Expect(' ', "a blank");
    TImapListEntry entry;
    entry.attributes = cursor.FlagList();
    cursor.Expect(' ', "a blank");
    const std::optional<std::string> delimiter = cursor.String(true);
    if (delimiter && delimiter->size() != 1) cursor.Fail("a delimiter of one character");
    entry.delimiter = delimiter.value_or("");
    cursor.Expect(' ', "a blank");
    entry.name = cursor.AString();
    // RFC 9051 §5.1: INBOX in any case is the inbox.
    if (SameText(entry.name, "INBOX")) entry.name = "INBOX";
    // RFC 5258 §9: extended data is a parenthesized list behind a blank.
    if (!cursor.AtEnd()) {
        cursor.Expect(' ', "a blank or the end");
        cursor.Expect('(', "extended data");
    }
    return entry;
}

std::string ImapTextForMessage(std::string_view text, std::size_t limit) {
    std::string out(text.substr(0, limit));
    std::replace(out.begin(), out.end(), '\0', '?');
    if (text.size() > limit) out += "...";
    return out;
}

}  // namespace quillory
