#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "mail/IdGlobal.h"

namespace quillory {

// The header lines of a message or a message part: "Name: value" lines, each optionally
// followed by continuation lines that begin with a space or a tab. Setting a value folds the line
// at 78 columns (RFC 5322 §2.2.3); reading a value joins the continuation lines again.
class TIdHeaderList {
public:
    static constexpr std::string_view PairSeparator = ": ";
    static constexpr bool MatchCase = false;
    static constexpr bool JoinFolded = true;
    static constexpr bool FoldOnWrite = true;
    static constexpr int FoldWidth = 78;

    TIdHeaderList() = default;
    explicit TIdHeaderList(TIdStrings lines) : lines_(std::move(lines)) {}

    // The plain list operations.
    std::size_t Count() const { return lines_.size(); }
    bool Empty() const { return lines_.empty(); }
    const std::string& operator[](std::size_t index) const { return lines_.at(index); }
    const TIdStrings& Lines() const { return lines_; }
    void Add(const std::string& line) { lines_.push_back(line); }
    void Insert(std::size_t index, const std::string& line);
    void Delete(std::size_t index);
    void Clear() { lines_.clear(); }
    // Appends all lines of `other` unchanged (no folding, no merging).
    void AddStrings(const TIdStrings& other);
    void AddStrings(const TIdHeaderList& other) { AddStrings(other.lines_); }
    // Replaces the lines by a copy of `other`.
    void Assign(const TIdStrings& other) { lines_ = other; }
    // Every line followed by CR LF.
    std::string Text() const { return JoinLines(lines_); }

    // The text before the first ":" of the line, upper-cased.
    std::string NameAtLine(std::size_t index) const;
    // Index of the first line whose name equals `name` without regard to case, or -1.
    int LineOfName(std::string_view name) const;
    // The value of the line at `index` with its continuation lines joined; empty outside the list.
    std::string ValueAtLine(int index) const;
    std::string GetHeaderValue(std::string_view name) const { return ValueAtLine(LineOfName(name)); }
    // Replaces the first header of that name in place, appends a new one, or (empty value)
    // removes it with its continuation lines.
    void SetHeaderValue(const std::string& name, const std::string& value);

    // The physical lines of one folded header line: none is empty, every one after the first
    // begins with white space.
    static TIdStrings FoldHeaderLine(const std::string& text);
    void RemoveContinuation(std::size_t index);
    void PlaceFolded(const std::string& text, std::size_t index);

    bool operator==(const TIdHeaderList&) const = default;

private:
    TIdStrings lines_;
};

}  // namespace quillory
