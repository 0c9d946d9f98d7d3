// The reply side of TIdTCPConnection: commands and numeric replies (RFC 5321 §4.2).
#include <algorithm>
#include <climits>

#include "core/TextCase.h"
#include "net/IdSocketExceptions.h"
#include "net/IdTCPConnection.h"

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
    TIdStrings lines{ReadNonEmptyLine(INT_MAX)};
    const std::string& first = lines.front();
    if (first.size() > 3 && first[3] == '-') {
        const std::string endMarker = first.substr(0, 3) + " ";
        for (;;) {
            lines.push_back(ReadNonEmptyLine(INT_MAX));
            const std::string& line = lines.back();
            if (line.size() < 4 || StartsText(line, endMarker)) break;
        }
    }
    lastReply_.ParseReplyLines(lines);
}

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
    throw EIdProtocolReplyError(lastReply_.NumericCode(), message);
}

}  // namespace quillory
