#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "mail/IdLineWriter.h"

namespace quillory {

// The mail text between DATA and the terminating "." (RFC 5321 §4.1.1.4) on its way to the wire:
// every line ends with CR LF and nothing else, and every line that begins with "." gets one more
// "." in front (dot-stuffing, §4.5.2), whether the caller wrote it as a line or inside a text. A
// bare CR or LF inside what is written becomes CR LF, so no text can end the DATA section early.
// The writers above it write plain lines.
//
// A copy sink, when given, receives the same text with its line ends made CR LF but without the
// dots of the stuffing: the message exactly as the server keeps it.
class TIdSMTPDataWriter final : public TIdLineWriter {
public:
    using TCopySink = std::function<void(std::string_view bytes)>;

    explicit TIdSMTPDataWriter(TIdLineWriter& connection, TCopySink copy = {})
        : connection_(connection), copy_(std::move(copy)) {}

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
    // Hands `out` to the copy sink without the dots the stuffing added.
    void Copy(std::string_view out);

    TIdLineWriter& connection_;
    TCopySink copy_;
    std::string unstuffed_;
    bool copyAtLineStart_ = true;
    bool atLineStart_ = true;
    bool pendingCR_ = false;
};

}  // namespace quillory
