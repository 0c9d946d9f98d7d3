// The main window's spell checking: the checker, the editors it watches, its menu items and its two
// stored values.

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/AppInfo.h"
#include "app/MainWindow.h"
#include "app/desktop/Desktop.h"
#include "app/spelling/InstalledDictionaries.h"
#include "app/spelling/LineEditSpelling.h"
#include "app/spelling/SpellChecker.h"
#include "app/spelling/SpellHighlighter.h"
#include "app/spelling/SpellingToolsMenu.h"
#include "storage/StoredValues.h"
#include "storage/forms/FormStorage.h"

namespace quillory {
namespace {

constexpr const char* kPersonalListName = "slovnik.txt";
constexpr const char* kCheckingValue = "kontrolapravopisu";
constexpr const char* kLanguageValue = "jazykpravopisu";

}  // namespace

// Checked: the eight blocks, and the fields of the salutation, farewell, signature and subject
// lists. Not the addresses (the sender list, recipient, copies) and not the preview.
void TForm1::CreateSpelling() {
    spellChecker_ =
        new SpellChecker(FindDictionaries(DictionaryFolders()), folders_.Data() / kPersonalListName, this);
    spellChecker_->setObjectName("spellChecker");
    for (const TBlock& block : blocks_) new SpellHighlighter(*block.memo, *spellChecker_);
    for (int n = 0; n < 4; ++n) new LineEditSpelling(*lists_[n].combo->lineEdit(), *spellChecker_);
    new SpellingToolsMenu(*toolsMenu_, *spellChecker_);
    connect(spellChecker_, &SpellChecker::problem, this, [this](const QString& message) {
        desktop_.ShowMessage(this, TDesktop::TMessageKind::Error, kApplicationTitle, message);
    });

    TStoredValue& checking = FormStorage1->StoredValues().Add(kCheckingValue, true);
    checking.OnRestore = [this](TStoredValue&, TVariant& value) {
        spellChecker_->SetEnabled(VarToBool(value));
    };
    checking.OnSave = [this](TStoredValue&, TVariant& value) { value = spellChecker_->Enabled(); };
    TStoredValue& language =
        FormStorage1->StoredValues().Add(kLanguageValue, std::string(SpellChecker::kDefaultLanguage));
    language.OnRestore = [this](TStoredValue&, TVariant& value) {
        spellChecker_->SetLanguage(QString::fromStdString(VarToStr(value)));
    };
    language.OnSave = [this](TStoredValue&, TVariant& value) {
        value = spellChecker_->Language().toStdString();
    };

    spellChecker_->StartAfterFirstPaint(*this);
}

}  // namespace quillory
