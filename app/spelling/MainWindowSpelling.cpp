#include "app/spelling/MainWindowSpelling.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/AppInfo.h"
#include "app/desktop/Desktop.h"
#include "app/spelling/InstalledDictionaries.h"
#include "app/spelling/LineEditSpelling.h"
#include "app/spelling/SpellChecker.h"
#include "app/spelling/SpellHighlighter.h"
#include "app/spelling/SpellingToolsMenu.h"
#include "storage/StoredValues.h"

namespace quillory {
namespace {

constexpr const char* kPersonalListName = "slovnik.txt";
constexpr const char* kCheckingValue = "kontrolapravopisu";
constexpr const char* kLanguageValue = "jazykpravopisu";

}  // namespace

MainWindowSpelling::MainWindowSpelling(QWidget& window, TDesktop& desktop,
                                       const std::filesystem::path& dataFolder, const Editors& editors,
                                       QMenu& toolsMenu, TStoredValues& storedValues) {
    auto* checker = checker_ =
        new SpellChecker(FindDictionaries(DictionaryFolders()), dataFolder / kPersonalListName, &window);
    checker->setObjectName("spellChecker");
    for (QPlainTextEdit* block : editors.blocks) new SpellHighlighter(*block, *checker);
    for (QLineEdit* field : editors.fields) new LineEditSpelling(*field, *checker);
    new SpellingToolsMenu(toolsMenu, *checker);
    QObject::connect(checker, &SpellChecker::problem, &window, [&window, &desktop](const QString& message) {
        desktop.ShowMessage(&window, TDesktop::TMessageKind::Error, kApplicationTitle, message);
    });

    TStoredValue& checking = storedValues.Add(kCheckingValue, true);
    checking.OnRestore = [checker](TStoredValue&, TVariant& value) { checker->SetEnabled(VarToBool(value)); };
    checking.OnSave = [checker](TStoredValue&, TVariant& value) { value = checker->Enabled(); };
    TStoredValue& language = storedValues.Add(kLanguageValue, std::string(SpellChecker::kDefaultLanguage));
    language.OnRestore = [checker](TStoredValue&, TVariant& value) {
        checker->SetLanguage(QString::fromStdString(VarToStr(value)));
    };
    language.OnSave = [checker](TStoredValue&, TVariant& value) {
        value = checker->Language().toStdString();
    };

    checker->StartAfterFirstPaint(window);
}

}  // namespace quillory
