#include "app/MemoText.h"

#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

#include "app/Win1250Text.h"
#include "storage/TextForm.h"

namespace quillory {
namespace {

// The control's own line end is a lone LF.
QString ToControlText(std::string_view text) {
    QString control = FromWin1250(NormaliseLineEnds(text));
    control.remove(QChar('\r'));
    return control;
}

}  // namespace

std::string MemoText(const QPlainTextEdit& memo) {
    // The raw text keeps non-breaking spaces; paragraph and line separators are the memo's line ends.
    QString text = memo.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\n'), QStringLiteral("\r\n"));
    return ToWin1250(text);
}

void LoadMemoText(QPlainTextEdit& memo, std::string_view bytes) {
    const std::string normalised = NormaliseLineEnds(bytes);
    if (normalised == MemoText(memo)) return;
    memo.setPlainText(ToControlText(UpToFirstNul(normalised)));
}

void TMemoWriter::Replace(std::string_view text) {
    QString next = ToControlText(text);
    QTextDocument& document = *memo_.document();
    const QSignalBlocker blocker(memo_);
    if (document.revision() != lastRevision_) {
        memo_.setPlainText(next);
    } else {
        // Only the middle between the common beginning and the common end changes.
        const qsizetype limit = std::min(last_.size(), next.size());
        qsizetype prefix = 0;
        while (prefix < limit && last_[prefix] == next[prefix]) ++prefix;
        qsizetype suffix = 0;
        while (suffix < limit - prefix && last_[last_.size() - 1 - suffix] == next[next.size() - 1 - suffix]) ++suffix;
        if (prefix != last_.size() || prefix != next.size()) {
            document.setUndoRedoEnabled(false);
            QTextCursor cursor(&document);
            cursor.setPosition(static_cast<int>(prefix));
            cursor.setPosition(static_cast<int>(last_.size() - suffix), QTextCursor::KeepAnchor);
            cursor.insertText(next.mid(prefix, next.size() - prefix - suffix));
            document.setUndoRedoEnabled(true);
        }
    }
    last_ = std::move(next);
    lastRevision_ = document.revision();
}

void ReplaceMemoText(QPlainTextEdit& memo, std::string_view text) {
    const QSignalBlocker blocker(memo);
    memo.setPlainText(ToControlText(text));
}

}  // namespace quillory
