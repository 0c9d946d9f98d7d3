#include "net/smtp/IdSMTPDataWriter.h"

namespace quillory {

void TIdSMTPDataWriter::WriteText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    Normalize(text, out);
    Copy(out);
    connection_.WriteText(out);
}

void TIdSMTPDataWriter::WriteLine(const std::string& line) {
    const bool plain = !pendingCR_ && line.find_first_of("\r\n") == std::string::npos &&
                       !(atLineStart_ && line.starts_with('.'));
    if (plain) {
        if (copy_) {
            unstuffed_.assign(line).append("\r\n");
            copy_(unstuffed_);
            copyAtLineStart_ = true;
        }
        connection_.WriteLine(line);
    } else {
        std::string out;
        out.reserve(line.size() + 4);
        Normalize(line, out);
        pendingCR_ = false;  // a CR that ends the line merges with its line end
        out += "\r\n";
        Copy(out);
        connection_.WriteText(out);
    }
    atLineStart_ = true;
}

void TIdSMTPDataWriter::Normalize(std::string_view text, std::string& out) {
    for (const char c : text) {
        if (pendingCR_) {
            pendingCR_ = false;
            BreakLine(out);
            if (c == '\n') continue;
        }
        if (c == '\r') {
            pendingCR_ = true;
            continue;
        }
        if (c == '\n') {
            BreakLine(out);
            continue;
        }
        if (atLineStart_ && c == '.') out += '.';
        atLineStart_ = false;
        out += c;
    }
}

void TIdSMTPDataWriter::BreakLine(std::string& out) {
    out += "\r\n";
    atLineStart_ = true;
}

void TIdSMTPDataWriter::Finish() {
    std::string out;
    if (pendingCR_) {
        pendingCR_ = false;
        BreakLine(out);
    }
    if (!atLineStart_) BreakLine(out);
    Copy(out);
    connection_.WriteText(out);
}

// The stuffing doubles the dot that begins a line, so in the stuffed text every line that begins
// with a dot begins with two of them: dropping the first gives the text back.
void TIdSMTPDataWriter::Copy(std::string_view out) {
    if (!copy_ || out.empty()) return;
    unstuffed_.clear();
    unstuffed_.reserve(out.size());
    bool lineStart = copyAtLineStart_;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char c = out[i];
        if (!(lineStart && c == '.')) unstuffed_ += c;
        lineStart = c == '\n';
    }
    copyAtLineStart_ = lineStart;
    copy_(unstuffed_);
}

void TIdSMTPDataWriter::NotifyStatus(const std::string& text) { connection_.NotifyStatus(text); }

void TIdSMTPDataWriter::StartWork(TWorkMode mode, long long size) { connection_.StartWork(mode, size); }

void TIdSMTPDataWriter::FinishWork(TWorkMode mode) { connection_.FinishWork(mode); }

}  // namespace quillory
