// The reply side of TIdTCPConnection: commands and numeric replies (RFC 5321 §4.2).
#include <algorithm>
#include <chrono>
#include <climits>
#include <string>

#include "net/transport/IdSocketExceptions.h"
#include "net/transport/IdTCPConnection.h"

namespace quillory {

int TIdTCPConnection::SendCommand(const std::string& command, const TAllowedCodes& allowed) {
    // The one place a command reaches the wire: text that would end the line early is refused here.
    if (command.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
        throw EIdInvalidCommandText("command");
    }
    WriteLine(command);
    return ReadReply(allowed);
}

int TIdTCPConnection::SendCommand(const std::string& command, short allowed) {
    return SendCommand(command, allowed == -1 ? TAllowedCodes{} : TAllowedCodes{allowed});
}

int TIdTCPConnection::ReadReply(const TAllowedCodes& allowed) {
    ReadReplyLines();
    return CheckReplyCode(lastReply_.NumericCode(), allowed);
}

void TIdTCPConnection::ReadReplyLines() {
    // The reply's time runs from here; the clock stops with the reply, however it ends.
    const TReplyClock clock(*this);

    TIdStrings lines;
    std::size_t size = 0;
    for (;;) {
        if (MaxReplyLines != 0 && lines.size() == MaxReplyLines)
            throw EIdReplyTooLong(std::to_string(MaxReplyLines) + " lines");
        lines.push_back(ReadNonEmptyLine(INT_MAX));
        const std::string& line = lines.back();
        size += line.size();
        if (MaxReplySize != 0 && size > MaxReplySize)
            throw EIdReplyTooLong(std::to_string(MaxReplySize) + " bytes");
        // RFC 5321 §4.2.1: a reply of several lines has "-" after the code on each line but the
        // last, and a blank there on the last, whatever code that line carries. A line too short
        // to hold either ends it as well.
        if (line.size() < 4) break;
        if (lines.size() == 1 ? line[3] != '-' : line[3] == ' ') break;
    }
    lastReply_.ParseReplyLines(lines);
}

TIdTCPConnection::TReplyClock::TReplyClock(TIdTCPConnection& connection) : connection_(connection) {
    if (connection.ReplyTimeLimit > 0)
        connection.replyDeadline_ =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(connection.ReplyTimeLimit);
}

TIdTCPConnection::TReplyClock::~TReplyClock() { connection_.replyDeadline_.reset(); }

EIdReplyTimeout::EIdReplyTimeout(int limitMs)
    : EIdException(
          "No complete reply from the server within " +
          (limitMs % 1000 == 0 ? std::to_string(limitMs / 1000) + " s" : std::to_string(limitMs) + " ms") +
          ".") {}

int TIdTCPConnection::CheckReplyCode(int code, const TAllowedCodes& allowed) {
    if (allowed.empty() ||
        std::find(allowed.begin(), allowed.end(), static_cast<short>(code)) != allowed.end()) {
        return code;
    }
    RaiseReplyError();
}

void TIdTCPConnection::RaiseReplyError() {
    std::string message;
    for (const auto& line : lastReply_.Text()) message += line + "\r\n";
    // An error's message is a C string on its way to the user: a NUL the server put in its text
    // would cut off everything after it, so it shows as "?".
    std::replace(message.begin(), message.end(), '\0', '?');
    throw EIdProtocolReplyError(lastReply_.NumericCode(), message);
}

}  // namespace quillory
