#pragma once

#include <QWidget>

#include <vector>

#include "spelling/SpellingWords.h"

class QLineEdit;

namespace quillory {

class SpellChecker;

// Spell checking for a one-line field (the editable lists' fields): a line edit has no document a
// highlighter could decorate, so a see-through layer of the field's size, which takes no mouse or
// keyboard input, draws the red wave under the misspelt words after the field has painted. The
// field's context menu becomes the spelling menu.
class LineEditSpelling : public QWidget {
    Q_OBJECT
public:
    LineEditSpelling(QLineEdit& field, SpellChecker& checker);

    const std::vector<SpellingWord>& Misspelled() const { return misspelled_; }
    // The horizontal span, in the field's coordinates, of the text from `start` to `end`.
    std::pair<int, int> Span(qsizetype start, qsizetype end) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CheckAgain();
    void ShowMenu(const QPoint& position);

    QLineEdit& field_;
    SpellChecker& checker_;
    std::vector<SpellingWord> misspelled_;
};

}  // namespace quillory
