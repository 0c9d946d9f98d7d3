#pragma once

#include <QString>

#include <memory>
#include <string>
#include <string_view>

class QPlainTextEdit;

namespace quillory {

// The text form of a memo: its whole text with CR LF between lines (no line end after the last line
// unless one was typed there), in the program's 8-bit text (Windows-1250 when it fits, else the
// marked UTF-8 form). Word wrapping adds nothing.
std::string MemoText(const QPlainTextEdit& memo);

// Sets a memo's text form from loaded bytes: every lone CR or LF becomes CR LF, the control keeps
// what precedes the first NUL, and the change event fires only when the text actually differs.
void LoadMemoText(QPlainTextEdit& memo, std::string_view bytes);

// Replaces a memo's whole text as a command does, without a change event (emptying a memo, writing
// the preview).
void ReplaceMemoText(QPlainTextEdit& memo, std::string_view text);

// Counts every change of a memo's content, by the user or by a command, signals blocked or not. The
// count has risen before the memo's textChanged is sent.
class TMemoChanges {
public:
    explicit TMemoChanges(QPlainTextEdit& memo);
    unsigned long Count() const { return *count_; }

private:
    std::shared_ptr<unsigned long> count_ = std::make_shared<unsigned long>(0);
};

// The text form of a memo, converted again only after the memo changed.
class TCachedMemoText {
public:
    explicit TCachedMemoText(QPlainTextEdit& memo) : memo_(memo), changes_(memo) {}
    const std::string& Text() const;

private:
    QPlainTextEdit& memo_;
    TMemoChanges changes_;
    mutable std::string text_;
    mutable unsigned long textChange_ = 0;
    mutable bool valid_ = false;
};

// Keeps a memo's whole text equal to the texts a command gives it, editing only the part that
// differs from the last text it gave: the preview is rewritten on every keystroke in a block, and
// replacing tens of kilobytes each time would make typing lag. The result is the same as replacing
// the whole text; when the user has edited the memo since, the whole text is replaced.
class TMemoWriter {
public:
    explicit TMemoWriter(QPlainTextEdit& memo);
    void Replace(std::string_view text);

private:
    QPlainTextEdit& memo_;
    QString last_;
    TMemoChanges changes_;
    unsigned long lastChange_ = 0;
    bool written_ = false;
};

}  // namespace quillory
