#include "app/send/DisplayedLines.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "app/Win1250Text.h"

namespace quillory {

std::vector<std::string> DisplayedLines(const QPlainTextEdit& memo) {
    std::vector<std::string> lines;
    const QTextDocument& document = *memo.document();
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(document.documentLayout());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        // Asking for the block's extent lays out a block the memo has not shown yet.
        if (layout) layout->blockBoundingRect(block);
        const QString text = block.text();
        const QTextLayout* lineLayout = block.layout();
        if (!lineLayout || lineLayout->lineCount() == 0) {
            lines.push_back(ToWin1250(text));
            continue;
        }
        for (int i = 0; i < lineLayout->lineCount(); ++i) {
            const QTextLine line = lineLayout->lineAt(i);
            lines.push_back(ToWin1250(text.mid(line.textStart(), line.textLength())));
        }
    }
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

}  // namespace quillory
