#pragma once

#include <string>
#include <vector>

#include "core/Win1250.h"
#include "mail/IdLineWriter.h"
#include "mail/IdMessage.h"

namespace quillory::test {

// The Windows-1250 bytes of a UTF-8 literal: the form every text has inside the mail library.
inline std::string W(const char* utf8) { return Utf8ToWin1250(utf8); }

// The message as the send command fills it: sender, reply-to, one recipient, Czech subject.
inline void FillProgramMessage(TIdMessage& message) {
    message.From().SetText(W("Obchod Plzeň <obchod@plzen.cz>"));
    message.ReplyTo().SetAddressesText(W("Obchod Plzeň <obchod@plzen.cz>"));
    message.Recipients().SetAddressesText("sklad@brno.cz");
    message.Subject = W("Poptávka");
}

// Collects everything written, as the bytes that would reach the socket, plus the notifications.
class TMemoryLineWriter : public TIdLineWriter {
public:
    void WriteText(const std::string& text) override { wire += text; }
    void WriteLine(const std::string& line) override { wire += line + "\r\n"; }
    void NotifyStatus(const std::string& text) override { statuses.push_back(text); }
    void StartWork(TWorkMode, long long) override { ++openSpans; }
    void FinishWork(TWorkMode) override { --openSpans; }

    // The wire text cut into lines at CR LF (the last, unterminated piece included when not empty).
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t end; (end = wire.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(wire.substr(start, end - start));
        if (start < wire.size()) lines.push_back(wire.substr(start));
        return lines;
    }

    std::string wire;
    std::vector<std::string> statuses;
    int openSpans = 0;
};

}  // namespace quillory::test
