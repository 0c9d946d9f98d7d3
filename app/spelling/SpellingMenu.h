#pragma once

#include <QString>
#include <QTextCharFormat>

#include <functional>

class QMenu;

namespace quillory {

class SpellChecker;

// The look of a misspelt word: the style's spell-check underline (a wave) in red.
QTextCharFormat MisspeltFormat();

// Puts the spelling part on top of an editor's own context menu for the misspelt `word`: up to five
// corrections (computed now, as the menu opens), "Přidat do slovníku" and "Ignorovat", then a
// separator before the editor's own items. Choosing a correction calls `replace` with it.
void AddSpellingActions(QMenu& menu, SpellChecker& checker, const QString& word,
                        std::function<void(const QString& correction)> replace);

}  // namespace quillory
