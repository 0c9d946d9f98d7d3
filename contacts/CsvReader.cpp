#include "contacts/CsvReader.h"

#include "contacts/UnicodeText.h"

namespace quillory {
namespace {

// The separator the first line uses most, outside quotes.
char DetectSeparator(std::string_view text) {
    std::size_t counts[3] = {0, 0, 0};
    constexpr char kCandidates[3] = {',', ';', '\t'};
    bool quoted = false;
    for (const char ch : text) {
        if (ch == '"') quoted = !quoted;
        if (quoted) continue;
        if (ch == '\r' || ch == '\n') break;
        for (int i = 0; i < 3; ++i)
            if (ch == kCandidates[i]) ++counts[i];
    }
    int best = 0;
    for (int i = 1; i < 3; ++i)
        if (counts[i] > counts[best]) best = i;
    return kCandidates[best];
}

}  // namespace

bool IsBlank(const CsvRecord& record) {
    for (const std::string& field : record.fields)
        if (!TrimText(field).empty()) return false;
    return true;
}

bool HasFieldsBeyond(const CsvRecord& record, std::size_t columns) {
    for (std::size_t i = columns; i < record.fields.size(); ++i)
        if (!TrimText(record.fields[i]).empty()) return true;
    return false;
}

CsvRecord CsvReader::NextNotBlank() {
    CsvRecord record;
    while (!AtEnd()) {
        record = Next();
        if (!IsBlank(record)) break;
    }
    return record;
}

CsvReader::CsvReader(std::string_view text) : text_(text), separator_(DetectSeparator(text)) {}

CsvRecord CsvReader::Next() {
    CsvRecord record;
    record.line = line_;
    record.fields.emplace_back();
    const std::size_t start = pos_;
    const std::size_t startLine = line_;
    bool fieldStart = true;
    while (pos_ < text_.size()) {
        const char ch = text_[pos_];
        if (fieldStart && ch == '"') {
            // Only blanks may stand between the closing quote and the next field. A quote never
            // closed, or closed before other text, makes the row bad; as the quote may have taken
            // in the rows after it, reading goes on at the line after the bad row's start.
            bool good = ReadQuoted(record.fields.back());
            while (good && pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t') &&
                   text_[pos_] != separator_)
                ++pos_;
            if (!good || (pos_ < text_.size() && text_[pos_] != separator_ && text_[pos_] != '\r' &&
                          text_[pos_] != '\n')) {
                record.bad = true;
                pos_ = start;
                line_ = startLine;
                SkipLine();
                return record;
            }
            fieldStart = false;
            continue;
        }
        if (ch == separator_) {
            record.fields.emplace_back();
            fieldStart = true;
            ++pos_;
            continue;
        }
        if (ch == '\r' || ch == '\n') {
            SkipLineEnd();
            return record;
        }
        record.fields.back() += ch;
        fieldStart = false;
        ++pos_;
    }
    return record;
}

// Reads a quoted field from its opening quote; false when the text ends inside it.
bool CsvReader::ReadQuoted(std::string& field) {
    ++pos_;
    while (pos_ < text_.size()) {
        const char ch = text_[pos_];
        if (ch == '"') {
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                field += '"';
                pos_ += 2;
                continue;
            }
            ++pos_;
            return true;
        }
        if (ch == '\n' || (ch == '\r' && (pos_ + 1 >= text_.size() || text_[pos_ + 1] != '\n'))) ++line_;
        if (ch != '\r') field += ch;
        ++pos_;
    }
    return false;
}
void CsvReader::SkipLineEnd() {
    if (text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    ++line_;
}
void CsvReader::SkipLine() {
    while (pos_ < text_.size() && text_[pos_] != '\r' && text_[pos_] != '\n') ++pos_;
    if (pos_ < text_.size()) SkipLineEnd();
}

}  // namespace quillory
