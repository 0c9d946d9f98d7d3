#include "spelling/PersonalWordList.h"

#include <cerrno>

#include "core/Utf8.h"
#include "storage/RegularFile.h"

namespace quillory {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool PersonalWordList::IsWordListText(std::string_view bytes) {
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F) return false;
    }
    return IsValidUtf8(bytes);
}

std::string PersonalWordList::WordOfLine(std::string_view line) {
    // Files joined one after another carry a byte order mark where each began, and an editor may
    // put one after blanks: every mark at either edge goes, as the blanks do.
    while (true) {
        if (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
        else if (line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
        else break;
    }
    while (true) {
        if (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
        else if (line.ends_with(kByteOrderMark)) line.remove_suffix(kByteOrderMark.size());
        else break;
    }
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
    // A line ends at LF, CR LF or a CR alone (an old Mac editor's line end), so no word holds a
    // line end, as no added word may.
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
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
