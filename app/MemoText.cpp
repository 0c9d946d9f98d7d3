#include "app/MemoText.h"

#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextDocument>

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

void ReplaceMemoText(QPlainTextEdit& memo, std::string_view text) {
    const QSignalBlocker blocker(memo);
    memo.setPlainText(ToControlText(text));
}

}  // namespace quillory
