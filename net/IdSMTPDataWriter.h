#pragma once

#include <string>
#include <string_view>

#include "mail/IdLineWriter.h"

namespace quillory {

class TIdTCPConnection;

// The mail text between DATA and the terminating "." (RFC 5321 §4.1.1.4): every line on the wire
// ends with CR LF and nothing else. A bare CR or LF inside what is written becomes CR LF, and a
// line that such a break begins is dot-stuffed (§4.5.2) like every other line, so no text can end
// the DATA section early. Lines as the writer's caller gives them are dot-stuffed by the caller.
class TIdSMTPDataWriter final : public TIdLineWriter {
public:
    explicit TIdSMTPDataWriter(TIdTCPConnection& connection) : connection_(connection) {}

    void WriteText(const std::string& text) override;
    void WriteLine(const std::string& line) override;
    void NotifyStatus(const std::string& text) override;
    void StartWork(TWorkMode mode, long long size) override;
    void FinishWork(TWorkMode mode) override;

    // Completes a last line that was left open, so that the terminating "." stands on a line of its own.
    void Finish();

private:
    // Appends `text` to `out` with its line ends made CR LF; `lineEndsAreOwn` tells whether a
    // CR LF in it ends a line of the caller's (WriteText) or breaks a line in two (WriteLine).
    void Normalize(std::string_view text, bool lineEndsAreOwn, std::string& out);
    void BreakLine(std::string& out, bool madeHere);

    TIdTCPConnection& connection_;
    bool atLineStart_ = true;
    bool stuffLine_ = false;
    bool pendingCR_ = false;
};

}  // namespace quillory
