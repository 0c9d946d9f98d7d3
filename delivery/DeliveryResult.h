#pragma once

#include <exception>
#include <optional>
#include <string>

namespace quillory {

// What became of one message of a delivery session.
struct TDeliveryResult {
    enum class TStatus {
        // The server answered the final "." with 250.
        Delivered,
        // The server refused the message with a reply of its own (`replyCode`, `reply`).
        Refused,
        // The message did not reach the server: no connection, a refused login, a message too
        // large, a cancelled session. With `mayHaveArrived`, the connection broke after the whole
        // message and its final "." were out, before the server's answer: it may be delivered.
        NotSent,
    };
    TStatus status = TStatus::NotSent;
    int replyCode = 0;
    // With Refused: the server's reply text, each line followed by CR LF.
    std::string reply;
    // With Refused and NotSent: the error (EIdProtocolReplyError for a refusal), to tell it in words.
    std::exception_ptr error;
    bool mayHaveArrived = false;

    // With Delivered, the copies: why the local archive did not keep it (nothing when it did or the
    // account keeps none);
    std::optional<std::string> archiveError;
    // whether it was stored in the Sent folder on the server, else why not (`serverCopyError`; none
    // when the account stores no copy there);
    bool serverCopyStored = false;
    std::exception_ptr serverCopyError;
    // and the wire name of the Sent folder it went to.
    std::string folder;

    bool Delivered() const { return status == TStatus::Delivered; }
};

}  // namespace quillory
