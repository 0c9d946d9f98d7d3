#include "app/send/DisplayedLines.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

#include "app/Win1250Text.h"
#include "core/ProgramText.h"

namespace quillory {

TDisplayedLines DisplayedLines(const QPlainTextEdit& memo) {
    std::vector<std::string> lines;
    const QTextDocument& document = *memo.document();
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(document.documentLayout());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        // Asking for the block's extent lays out a block the memo has not shown yet.
        if (layout) layout->blockBoundingRect(block);
        const QString text = block.text();
        const QTextLayout* lineLayout = block.layout();
        if (!lineLayout || lineLayout->lineCount() == 0) {
            lines.push_back(ToProgramText(text));
            continue;
        }
        for (int i = 0; i < lineLayout->lineCount(); ++i) {
            const QTextLine line = lineLayout->lineAt(i);
            lines.push_back(ToProgramText(text.mid(line.textStart(), line.textLength())));
        }
    }
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    const bool utf8 =
        std::any_of(lines.begin(), lines.end(), [](const std::string& line) { return IsUtf8Form(line); });
    if (utf8)
        for (std::string& line : lines) line = ProgramTextToUtf8(line);
    return {std::move(lines), utf8};
}

}  // namespace quillory
