#include "app/spelling/SpellingToolsMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "app/spelling/SpellChecker.h"

namespace quillory {
namespace {

struct LanguageName {
    const char* code;
    const char* name;
};

constexpr LanguageName kLanguageNames[] = {
    {"cs", "Čeština"},   {"sk", "Slovenština"}, {"en", "Angličtina"},    {"de", "Němčina"},
    {"pl", "Polština"},  {"hu", "Maďarština"},  {"fr", "Francouzština"}, {"es", "Španělština"},
    {"it", "Italština"}, {"ru", "Ruština"},     {"uk", "Ukrajinština"},
};

// The Debian package that installs the dictionary `name`: "hunspell-cs" for "cs_CZ"; English and
// German ones are packaged per country ("hunspell-en-us" for "en_US").
QString PackageOf(const QString& name) {
    const QString language = name.section(u'_', 0, 0).toLower();
    const QString country = name.section(u'_', 1, 1).toLower();
    const bool perCountry = (language == u"en" || language == u"de") && !country.isEmpty();
    return QStringLiteral("hunspell-") + language + (perCountry ? u'-' + country : QString());
}

}  // namespace

QString DictionaryLanguageName(const QString& dictionary) {
    const QString code = dictionary.section(u'_', 0, 0).section(u'-', 0, 0).toLower();
    for (const LanguageName& language : kLanguageNames)
        if (code == QLatin1String(language.code))
            return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(language.name), dictionary);
    return dictionary;
}

SpellingToolsMenu::SpellingToolsMenu(QMenu& tools, SpellChecker& checker)
    : QObject(&tools), checker_(checker) {
    toggle_ = tools.addAction(QStringLiteral("Kontrola pravopisu"));
    toggle_->setObjectName("Kontrolapravopisu1");
    toggle_->setCheckable(true);
    connect(toggle_, &QAction::triggered, this, [this](bool on) { checker_.SetEnabled(on); });

    QStringList names;
    for (const InstalledDictionary& dictionary : checker_.Dictionaries())
        names.append(QString::fromStdString(dictionary.name));
    const bool choice = names.size() > 1 || (names.size() == 1 && names.first() != checker_.Language());
    if (choice) {
        languages_ = tools.addMenu(QStringLiteral("Jazyk kontroly pravopisu"));
        languages_->setObjectName("Jazykkontrolypravopisu1");
        languageGroup_ = new QActionGroup(languages_);
        for (const QString& name : names) {
            QAction* item = languages_->addAction(DictionaryLanguageName(name));
            item->setData(name);
            item->setCheckable(true);
            languageGroup_->addAction(item);
            connect(item, &QAction::triggered, this, [this, name] { checker_.SetLanguage(name); });
        }
    }
    connect(&checker_, &SpellChecker::stateChanged, this, &SpellingToolsMenu::Update);
    Update();
}

void SpellingToolsMenu::Update() {
    const QString language = checker_.Language();
    // A dictionary that is not installed is known at once, before any load.
    if (!checker_.HasDictionary()) {
        toggle_->setText(QStringLiteral("Kontrola pravopisu – chybí slovník %1 (balíček %2)")
                             .arg(language, PackageOf(language)));
        toggle_->setEnabled(false);
        toggle_->setChecked(false);
    } else if (checker_.CurrentState() == SpellChecker::State::Failed) {
        // Choosing it again tries the load again.
        toggle_->setText(QStringLiteral("Kontrola pravopisu – slovník %1 nelze načíst").arg(language));
        toggle_->setToolTip(checker_.LoadError());
        toggle_->setEnabled(true);
        toggle_->setChecked(false);
    } else {
        toggle_->setText(QStringLiteral("Kontrola pravopisu"));
        toggle_->setToolTip(QString());
        toggle_->setEnabled(true);
        toggle_->setChecked(checker_.Enabled());
    }
    if (languageGroup_ != nullptr)
        for (QAction* item : languageGroup_->actions()) item->setChecked(item->data().toString() == language);
}

}  // namespace quillory
