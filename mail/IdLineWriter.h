#pragma once

#include <string>
#include <vector>

namespace quillory {

// What writing a message needs from a connection: lines and raw bytes going out in order, plus the
// connection's status and work notifications. The TCP connection implements it; tests use an
// in-memory writer.
class TIdLineWriter {
public:
    enum class TWorkMode { wmRead, wmWrite };

    virtual ~TIdLineWriter() = default;

    // The bytes of `text` unchanged; nothing for an empty string.
    virtual void WriteText(const std::string& text) = 0;
    // `line` followed by CR LF.
    virtual void WriteLine(const std::string& line) = 0;
    // Every line followed by CR LF, without a line count.
    virtual void WriteLines(const std::vector<std::string>& lines) {
        for (const auto& line : lines) WriteLine(line);
    }

    virtual void NotifyStatus(const std::string& /*text*/) {}
    virtual void StartWork(TWorkMode /*mode*/, long long /*max*/) {}
    virtual void FinishWork(TWorkMode /*mode*/) {}
};

}  // namespace quillory
