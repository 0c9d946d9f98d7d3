#include "app/spelling/PersonalWordList.h"

#include <cerrno>

#include "storage/RegularFile.h"

namespace quillory {
namespace {

// The length of the UTF-8 sequence at `i`, 0 when it is not one (RFC 3629 §4: no overlong forms,
// no surrogates, nothing above U+10FFFF).
std::size_t Utf8SequenceAt(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) length = 2;
    else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0) low = 0xA0;
        if (b0 == 0xED) high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0) low = 0x90;
        if (b0 == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    if (byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    return length;
}

}  // namespace

bool PersonalWordList::IsWordListText(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if ((b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F) return false;
        const std::size_t length = Utf8SequenceAt(bytes, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string PersonalWordList::WordOfLine(std::string_view line) {
    if (line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!line.empty() && blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && blank(line.back())) line.remove_suffix(1);
    return std::string(line);
}

PersonalWordList::Problem PersonalWordList::Read(std::vector<std::string>& words, int& error) const {
    words.clear();
    error = 0;
    std::string bytes;
    const TReadResult read = ReadRegularFile(file_, kMaxBytes, bytes);
    switch (read.failure) {
    case TReadResult::TFailure::None:
        break;
    case TReadResult::TFailure::System:
        if (read.error == ENOENT) return Problem::None;
        error = read.error;
        return read.error == EISDIR ? Problem::NotRegular : Problem::Unreadable;
    case TReadResult::TFailure::NotRegular:
        return Problem::NotRegular;
    case TReadResult::TFailure::TooLarge:
        return Problem::TooLarge;
    }
    if (!IsWordListText(bytes)) return Problem::NotText;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string word = WordOfLine(std::string_view(bytes).substr(start, end - start));
        if (!word.empty()) words.push_back(std::move(word));
        start = end + 1;
    }
    return Problem::None;
}

void PersonalWordList::Remember(std::string word) {
    if (known_.insert(word).second) words_.push_back(std::move(word));
}

void PersonalWordList::Load() {
    words_.clear();
    known_.clear();
    std::vector<std::string> words;
    problem_ = Read(words, error_);
    for (std::string& word : words) Remember(std::move(word));
}

TReplaceResult PersonalWordList::Add(std::string_view word) {
    const std::string added = WordOfLine(word);
    if (added.empty() || added.find_first_of("\r\n") != std::string::npos) return {};
    Remember(added);
    if (problem_ != Problem::None) return {};
    // Words another copy of the program wrote since the load stay in the file.
    std::vector<std::string> onDisk;
    int error = 0;
    const Problem problem = Read(onDisk, error);
    if (problem != Problem::None) {
        problem_ = problem;
        error_ = error;
        return {};
    }
    for (std::string& other : onDisk) Remember(std::move(other));
    std::string contents;
    for (const std::string& each : words_) contents += each + "\n";
    TReplaceOptions options;
    options.createFolder = true;
    return ReplaceFileWhole(file_, contents, options);
}

}  // namespace quillory
