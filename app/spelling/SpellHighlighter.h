#pragma once

#include <QSyntaxHighlighter>

class QPlainTextEdit;

namespace quillory {

class SpellChecker;

// Draws the red wave under the misspelt words of a text block editor and gives its context menu
// the corrections. Qt checks a paragraph again only when it changed, so a keystroke costs the
// judgement of one paragraph; the checker's judgements of words are kept between keystrokes.
class SpellHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    // Attached to `editor`'s document; the editor's context menu becomes the spelling menu.
    SpellHighlighter(QPlainTextEdit& editor, SpellChecker& checker);

protected:
    void highlightBlock(const QString& text) override;

private:
    void CheckAgain();
    void ShowMenu(const QPoint& position);

    QPlainTextEdit& editor_;
    SpellChecker& checker_;
};

}  // namespace quillory
