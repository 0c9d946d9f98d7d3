#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mail/IdException.h"

namespace quillory {

// A response the client cannot read: a line or literal past the limits, a malformed line.
class EImapResponseError : public EIdException {
    using EIdException::EIdException;
};

// One whole response of the server (RFC 9051 §2.2.2, §7): untagged ("* ..."), tagged with the tag
// of the command it ends ("A1 OK ..."), or a continuation request ("+ ...").
struct TImapResponse {
    enum class TKind { Untagged, Tagged, Continuation };

    // A literal inside the response: its bytes, and where it stands in `text` (right behind the
    // "}" of its announcement).
    struct TLiteral {
        std::size_t position = 0;
        std::string bytes;
    };

    TKind kind = TKind::Untagged;
    std::string tag;
    // Everything behind "* ", the tag and its blank, or "+ ": the lines of the response joined,
    // each literal's bytes left out and kept in `literals`.
    std::string text;
    std::vector<TLiteral> literals;
};

// A status response (RFC 9051 §7.1): "OK", "NO", "BAD", "PREAUTH" or "BYE" in upper case, the
// response code between "[" and "]" without them (empty when none), and the human-readable text.
struct TImapStatus {
    std::string status;
    std::string code;
    std::string text;
};

// Whether `word` names a status response, whose line carries no literal (RFC 9051 §7.1).
bool IsImapStatusWord(std::string_view word);

// The first word of the response's text in upper case: the status, the data's name
// ("CAPABILITY", "LIST") or the number before it ("3" of "* 3 EXISTS").
std::string ImapResponseKeyword(const TImapResponse& response);

// The status of a tagged or untagged status response; nothing for other responses.
std::optional<TImapStatus> ParseImapStatus(const TImapResponse& response);

// The capability names of a CAPABILITY response's text or response code, in upper case.
std::vector<std::string> ParseImapCapabilities(std::string_view text);

// One LIST response (RFC 9051 §7.3.1): its attributes, hierarchy delimiter (empty for NIL) and
// mailbox name as it travels (quoted strings and literals already read). Extended data behind
// the name (RFC 5258) is passed over. EImapResponseError when malformed.
struct TImapListEntry {
    std::vector<std::string> attributes;
    std::string delimiter;
    std::string name;
};
TImapListEntry ParseImapListResponse(const TImapResponse& response);

// The server's words made fit for a message: NUL bytes as "?" (an error's message is a C string
// on its way to the user), at most `limit` bytes with "..." behind a cut.
std::string ImapTextForMessage(std::string_view text, std::size_t limit = 200);

}  // namespace quillory
