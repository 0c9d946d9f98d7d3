#pragma once

#include <QObject>
#include <QString>

class QAction;
class QActionGroup;
class QMenu;

namespace quillory {

class SpellChecker;

// The spelling items of the "Nástroje" menu: "Kontrola pravopisu", which turns checking on and off
// and says when the dictionary is missing or cannot be loaded, and, when dictionaries of other
// languages are installed, the sub-menu "Jazyk kontroly pravopisu" to pick one.
class SpellingToolsMenu : public QObject {
    Q_OBJECT
public:
    SpellingToolsMenu(QMenu& tools, SpellChecker& checker);

    QAction* Toggle() const { return toggle_; }
    // Null when only one language can be chosen.
    QMenu* Languages() const { return languages_; }

private:
    void Update();

    SpellChecker& checker_;
    QAction* toggle_ = nullptr;
    QMenu* languages_ = nullptr;
    QActionGroup* languageGroup_ = nullptr;
};

// How the language sub-menu names a dictionary: "Čeština (cs_CZ)", the bare name when its language
// is not one the program knows by name.
QString DictionaryLanguageName(const QString& dictionary);

}  // namespace quillory
