#pragma once

#include <cstddef>

#include "net/imap/ImapResponse.h"
#include "net/transport/IdTCPConnection.h"

namespace quillory {

// Reads IMAP responses off a connection (RFC 9051 §2.2.2): untagged, tagged and continuation
// responses, each line up to its line end, each literal "{n}" by its count and never by lines
// (§4.3), so its bytes may hold anything, line ends included. Everything read for one exchange
// (from StartExchange on) is bounded by the connection's MaxReplyLines lines and MaxReplySize
// bytes, each literal by MaxLiteralSize bytes (refused on its announcement, before a byte of it
// is read), and each line by the connection's MaxLineLength. The time a response may take is
// the caller's to bound (TIdTCPConnection::TReplyClock).
class ImapResponseReader {
public:
    explicit ImapResponseReader(TIdTCPConnection& connection) : connection_(connection) {}

    // Starts counting a new exchange against MaxReplyLines and MaxReplySize.
    void StartExchange();
    // The next whole response. Raises EIdReplyTooLong past the exchange's bounds,
    // EImapResponseError for a literal past MaxLiteralSize or a line that starts no response,
    // EIdConnClosedGracefully when the server closes before the response is whole.
    TImapResponse Read();

    std::size_t MaxLiteralSize = 1024 * 1024;

private:
    std::string ReadLine();
    void Count(std::size_t lines, std::size_t bytes);

    TIdTCPConnection& connection_;
    std::size_t lines_ = 0;
    std::size_t bytes_ = 0;
};

}  // namespace quillory
