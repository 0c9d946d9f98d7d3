#include "net/IdSMTPDataWriter.h"

#include "net/IdTCPConnection.h"

namespace quillory {

void TIdSMTPDataWriter::WriteText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    Normalize(text, true, out);
    connection_.WriteText(out);
}

void TIdSMTPDataWriter::WriteLine(const std::string& line) {
    if (!pendingCR_ && line.find_first_of("\r\n") == std::string::npos) {
        connection_.WriteLine(line);
    } else {
        std::string out;
        out.reserve(line.size() + 4);
        Normalize(line, false, out);
        pendingCR_ = false;  // a CR that ends the line merges with its line end
        out += "\r\n";
        connection_.WriteText(out);
    }
    atLineStart_ = true;
    stuffLine_ = false;
}

void TIdSMTPDataWriter::Normalize(std::string_view text, bool lineEndsAreOwn, std::string& out) {
    for (const char c : text) {
        if (pendingCR_) {
            pendingCR_ = false;
            if (c == '\n') {
                BreakLine(out, !lineEndsAreOwn);
                continue;
            }
            BreakLine(out, true);
        }
        if (c == '\r') {
            pendingCR_ = true;
            continue;
        }
        if (c == '\n') {
            BreakLine(out, true);
            continue;
        }
        if (atLineStart_ && stuffLine_ && c == '.') out += '.';
        atLineStart_ = false;
        stuffLine_ = false;
        out += c;
    }
}

void TIdSMTPDataWriter::BreakLine(std::string& out, bool madeHere) {
    out += "\r\n";
    atLineStart_ = true;
    stuffLine_ = madeHere;
}

void TIdSMTPDataWriter::Finish() {
    std::string out;
    if (pendingCR_) {
        pendingCR_ = false;
        BreakLine(out, true);
    }
    if (!atLineStart_) BreakLine(out, true);
    connection_.WriteText(out);
}

void TIdSMTPDataWriter::NotifyStatus(const std::string& text) { connection_.NotifyStatus(text); }

void TIdSMTPDataWriter::StartWork(TWorkMode mode, long long size) { connection_.StartWork(mode, size); }

void TIdSMTPDataWriter::FinishWork(TWorkMode mode) { connection_.FinishWork(mode); }

}  // namespace quillory
