#pragma once

#include <string>
#include <string_view>

#include "mail/IdLineWriter.h"

namespace quillory {

// The mail text between DATA and the terminating "." (RFC 5321 §4.1.1.4) on its way to the wire:
// every line ends with CR LF and nothing else, and every line that begins with "." gets one more
// "." in front (dot-stuffing, §4.5.2), whether the caller wrote it as a line or inside a text. A
// bare CR or LF inside what is written becomes CR LF, so no text can end the DATA section early.
// The writers above it write plain lines.
class TIdSMTPDataWriter final : public TIdLineWriter {
public:
    explicit TIdSMTPDataWriter(TIdLineWriter& connection) : connection_(connection) {}

    void WriteText(const std::string& text) override;
    void WriteLine(const std::string& line) override;
    void NotifyStatus(const std::string& text) override;
    void StartWork(TWorkMode mode, long long size) override;
    void FinishWork(TWorkMode mode) override;

    // Completes a last line that was left open, so that the terminating "." stands on a line of its own.
    void Finish();

private:
    // Appends `text` to `out` with its line ends made CR LF and its lines dot-stuffed.
    void Normalize(std::string_view text, std::string& out);
    void BreakLine(std::string& out);

    TIdLineWriter& connection_;
    bool atLineStart_ = true;
    bool pendingCR_ = false;
};

}  // namespace quillory
