#include "app/spelling/SpellingMenu.h"

#include <QAction>
#include <QMenu>

#include "app/spelling/SpellChecker.h"

namespace quillory {

QTextCharFormat MisspeltFormat() {
    QTextCharFormat format;
    format.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    format.setUnderlineColor(Qt::red);
    return format;
}

void AddSpellingActions(QMenu& menu, SpellChecker& checker, const QString& word,
                        std::function<void(const QString& correction)> replace) {
    QAction* first = menu.actions().isEmpty() ? nullptr : menu.actions().first();
    const auto add = [&](const QString& text, const char* name) {
        auto* action = new QAction(text, &menu);
        action->setObjectName(name);
        menu.insertAction(first, action);
        return action;
    };
    const QStringList suggestions = checker.Suggestions(word);
    for (const QString& suggestion : suggestions) {
        QAction* action = add(suggestion, "spellingSuggestion");
        QFont bold = action->font();
        bold.setBold(true);
        action->setFont(bold);
        QObject::connect(action, &QAction::triggered, &menu, [replace, suggestion] { replace(suggestion); });
    }
    if (suggestions.isEmpty())
        add(QStringLiteral("(žádné návrhy)"), "spellingNoSuggestion")->setEnabled(false);
    menu.insertSeparator(first);
    QObject::connect(add(QStringLiteral("Přidat do slovníku"), "spellingAdd"), &QAction::triggered, &checker,
                     [&checker, word] { checker.AddToPersonalList(word); });
    QObject::connect(add(QStringLiteral("Ignorovat"), "spellingIgnore"), &QAction::triggered, &checker,
                     [&checker, word] { checker.Ignore(word); });
    if (first != nullptr) menu.insertSeparator(first);
}

}  // namespace quillory
