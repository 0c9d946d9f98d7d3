#include "app/spelling/SpellHighlighter.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>

#include <memory>

#include "app/spelling/SpellChecker.h"
#include "app/spelling/SpellingMenu.h"

namespace quillory {

SpellHighlighter::SpellHighlighter(QPlainTextEdit& editor, SpellChecker& checker)
    : QSyntaxHighlighter(editor.document()), editor_(editor), checker_(checker) {
    setObjectName("spellHighlighter");
    connect(&checker_, &SpellChecker::recheckNeeded, this, &SpellHighlighter::CheckAgain);
    editor_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&editor_, &QWidget::customContextMenuRequested, this, &SpellHighlighter::ShowMenu);
}

void SpellHighlighter::highlightBlock(const QString& text) {
    static const QTextCharFormat misspelt = MisspeltFormat();
    for (const SpellingWord& word : checker_.Misspelled(text))
        setFormat(static_cast<int>(word.start), static_cast<int>(word.length), misspelt);
}

// New underlines change no text: the editor must not report an edit (which would rebuild the
// preview once for every block).
void SpellHighlighter::CheckAgain() {
    const QSignalBlocker blocker(editor_);
    rehighlight();
}

void SpellHighlighter::ShowMenu(const QPoint& position) {
    auto* menu = editor_.createStandardContextMenu(position);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QTextCursor at = editor_.cursorForPosition(position);
    const QTextBlock block = at.block();
    if (const auto word = checker_.MisspelledAt(block.text(), at.position() - block.position())) {
        const int start = block.position() + static_cast<int>(word->start);
        const QString text = block.text().mid(word->start, word->length);
        QPointer<QPlainTextEdit> editor(&editor_);
        AddSpellingActions(*menu, checker_, text, [editor, start, text](const QString& correction) {
            if (!editor) return;
            QTextCursor cursor(editor->document());
            cursor.setPosition(start);
            cursor.setPosition(start + static_cast<int>(text.size()), QTextCursor::KeepAnchor);
            if (cursor.selectedText() != text) return;
            cursor.insertText(correction);
            editor->setTextCursor(cursor);
        });
    }
    menu->popup(editor_.viewport()->mapToGlobal(position));
}

}  // namespace quillory
