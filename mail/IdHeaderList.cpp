#include "mail/IdHeaderList.h"

#include "mail/IdWrapAtBreaks.h"

namespace quillory {

namespace {

bool IsContinuation(const std::string& line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

std::string NameOf(const std::string& line) {
    const std::size_t colon = line.find(':');
    return colon == std::string::npos ? std::string() : line.substr(0, colon);
}

}  // namespace

void TIdHeaderList::Insert(std::size_t index, const std::string& line) {
    if (index > lines_.size()) index = lines_.size();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), line);
}

void TIdHeaderList::Delete(std::size_t index) {
    if (index < lines_.size()) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TIdHeaderList::AddStrings(const TIdStrings& other) {
    lines_.insert(lines_.end(), other.begin(), other.end());
}

std::string TIdHeaderList::NameAtLine(std::size_t index) const {
    const std::string name = NameOf(lines_.at(index));
    return MatchCase ? name : UpperCase(name);
}

int TIdHeaderList::LineOfName(std::string_view name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (SameText(NameOf(lines_[i]), name)) return static_cast<int>(i);
    return -1;
}

std::string TIdHeaderList::ValueAtLine(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= lines_.size()) return {};
    const std::string& line = lines_[static_cast<std::size_t>(index)];
    const std::size_t valueStart = NameOf(line).size() + 1;
    std::string value = valueStart < line.size() ? line.substr(valueStart) : std::string();
    if (JoinFolded)
        for (std::size_t next = static_cast<std::size_t>(index) + 1;
             next < lines_.size() && IsContinuation(lines_[next]); ++next)
            value = std::string(Trim(value)).append(" ").append(Trim(lines_[next]));
    return std::string(Trim(value));
}

void TIdHeaderList::SetHeaderValue(const std::string& name, const std::string& value) {
    int index = LineOfName(name);
    if (value.empty()) {
        if (index < 0) return;
        if (FoldOnWrite) RemoveContinuation(static_cast<std::size_t>(index));
        Delete(static_cast<std::size_t>(index));
        return;
    }
    if (index < 0) {
        lines_.emplace_back();
        index = static_cast<int>(lines_.size() - 1);
    }
    const std::string line = name + std::string(PairSeparator) + value;
    if (FoldOnWrite) {
        RemoveContinuation(static_cast<std::size_t>(index));
        PlaceFolded(line, static_cast<std::size_t>(index));
    } else {
        lines_[static_cast<std::size_t>(index)] = line;
    }
}

TIdStrings TIdHeaderList::FoldHeaderLine(const std::string& text) {
    std::string rest = WrapAtBreaks(text, "\r\n ", "\t ,", FoldWidth);
    TIdStrings result;
    while (!rest.empty()) {
        std::string piece(TrimRight(CutToken(rest, "\r\n")));
        if (piece.empty()) continue;
        // A line end inside the value followed by a non-blank would start a header line of its
        // own (a "Bcc:" smuggled in through a subject); keep it a continuation line instead.
        if (!result.empty() && piece[0] != ' ' && piece[0] != '\t') piece.insert(0, 1, ' ');
        result.push_back(std::move(piece));
    }
    return result;
}

void TIdHeaderList::RemoveContinuation(std::size_t index) {
    while (index + 1 < lines_.size() && IsContinuation(lines_[index + 1])) Delete(index + 1);
}

void TIdHeaderList::PlaceFolded(const std::string& text, std::size_t index) {
    TIdStrings folded = FoldHeaderLine(text);
    if (folded.empty()) {
        Delete(index);
        return;
    }
    lines_.at(index) = folded.back();
    folded.pop_back();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), folded.begin(), folded.end());
}

}  // namespace quillory
