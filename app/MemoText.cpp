#include "app/MemoText.h"

#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

#include "app/Win1250Text.h"
#include "core/ProgramText.h"
#include "core/Win1250.h"
#include "storage/TextForm.h"

namespace quillory {
namespace {

// The control's own line end is a lone LF: CR LF, lone CR and lone LF each become one, in one pass.
QString ToControlText(std::string_view text) {
    if (IsUtf8Form(text)) {
        QString control = FromProgramText(text);
        control.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        control.replace(QChar('\r'), QChar('\n'));
        return control;
    }
    QString control(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    QChar* out = control.data();
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\r') {
            *out++ = QChar('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            *out++ = QChar(static_cast<char16_t>(Win1250ToUnicode(byte)));
        }
    }
    control.truncate(out - control.constData());
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
    return ToProgramText(text);
}

void LoadMemoText(QPlainTextEdit& memo, std::string_view bytes) {
    const std::string normalised = NormaliseLineEnds(bytes);
    if (normalised == MemoText(memo)) return;
    memo.setPlainText(ToControlText(UpToFirstNul(normalised)));
}

TMemoChanges::TMemoChanges(QPlainTextEdit& memo) {
    // The document's own signals fire for every change, also while the widget's signals are blocked.
    // The count rises on contentsChange, which the document sends before contentsChanged, the signal
    // the memo's textChanged hangs on: whoever reads the memo on textChanged finds the count raised,
    // whichever of them connected first (the memo reconnects its own on every setPlainText).
    // contentsChanged counts too, for a change that sends no contentsChange.
    const auto raise = [count = count_] { ++*count; };
    QObject::connect(memo.document(), &QTextDocument::contentsChange, &memo, raise);
    QObject::connect(memo.document(), &QTextDocument::contentsChanged, &memo, raise);
}

const std::string& TCachedMemoText::Text() const {
    if (!valid_ || textChange_ != changes_.Count()) {
        text_ = MemoText(memo_);
        textChange_ = changes_.Count();
        valid_ = true;
    }
    return text_;
}

TMemoWriter::TMemoWriter(QPlainTextEdit& memo) : memo_(memo), changes_(memo) {}

void TMemoWriter::Replace(std::string_view text) {
    QString next = ToControlText(text);
    QTextDocument& document = *memo_.document();
    const QSignalBlocker blocker(memo_);
    if (!written_ || changes_.Count() != lastChange_) {
        memo_.setPlainText(next);
    } else {
        // Only the middle between the common beginning and the common end changes.
        const qsizetype limit = std::min(last_.size(), next.size());
        qsizetype prefix = 0;
        while (prefix < limit && last_[prefix] == next[prefix]) ++prefix;
        qsizetype suffix = 0;
        while (suffix < limit - prefix && last_[last_.size() - 1 - suffix] == next[next.size() - 1 - suffix])
            ++suffix;
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
    lastChange_ = changes_.Count();
    written_ = true;
}

void ReplaceMemoText(QPlainTextEdit& memo, std::string_view text) {
    const QSignalBlocker blocker(memo);
    memo.setPlainText(ToControlText(text));
}

}  // namespace quillory
