#include "app/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>

#include "app/AboutDialog.h"
#include "app/AppInfo.h"
#include "app/BlockFileName.h"
#include "app/EmailText.h"
#include "app/ErrorHandler.h"
#include "app/MemoText.h"
#include "app/Win1250Text.h"
#include "app/account/PasswordAtRest.h"
#include "app/account/ProviderPresets.h"
#include "app/account/SmtpSettingsDialog.h"
#include "app/contacts/AddressBookStore.h"
#include "app/desktop/Desktop.h"
#include "app/desktop/ProgramFiles.h"
#include "app/send/SendWorker.h"
#include "app/skin/Skin.h"
#include "mail/IdMessage.h"
#include "storage/FileErrors.h"
#include "storage/TextFile.h"
#include "storage/forms/FormStorage.h"

namespace quillory {
namespace {

constexpr const char* kInitialSaveName = "bez názvu";

std::filesystem::path ToPath(const QString& name) { return std::filesystem::path(name.toStdString()); }

}  // namespace

TForm1::TForm1(TDesktop& desktop, const std::filesystem::path& exeDir, QWidget* parent)
    : TForm1(desktop, TProgramFolders::Portable(exeDir), parent) {}

TForm1::TForm1(TDesktop& desktop, TProgramFolders folders, QWidget* parent)
    : QMainWindow(parent), desktop_(desktop), folders_(std::move(folders)), saveFileName_(kInitialSaveName) {
    setObjectName("Form1");
    IdMessage1 = std::make_unique<TIdMessage>();
    sender_ = std::make_unique<TSendWorker>();
    setWindowTitle(kMainWindowCaption);
    QFont font = this->font();
    font.setPixelSize(11);
    setFont(font);
    // The skin goes on before the widgets are built: switched on afterwards, it would make every
    // widget restyle itself once more. The plain look stays when no skin is found.
    sSkinManager1 = TsSkinManager::SwitchOn(this, SkinsFolder(folders_, "Wood"), "Wood");
    CreatePanels();
    CreateBlocks();
    CreatePhraseLists();
    CreateAddressArea();
    CreatePreview();
    CreateBottomRow();
    CreateAttachments();
    CreateAddressBook();
    CreateHelpPanel();
    CreateMenus();
    ConnectSignals();
    CreateFormStorage();
    CreateSpelling();
    move(16, 11);
    FormCreate();
}

// A window destroyed without its close still saves, unless a save already ran since the restore.
TForm2& TForm1::Form2() {
    if (!form2_) {
        const auto presetsFile = folders_.FindShipped("providers.ini");
        form2_ = std::make_unique<TForm2>(
            *FormStorage1, *passwordAtRest_, *this, *microsoft_,
            presetsFile ? ReadProviderPresets(*presetsFile) : QVector<ProviderPreset>());
    }
    return *form2_;
}

TForm3& TForm1::Form3() {
    if (!form3_) form3_ = std::make_unique<TForm3>(desktop_, this);
    return *form3_;
}

TForm1::~TForm1() { FormStorage1->HandleDestroy(); }

template <class Action>
void TForm1::Handle(Action&& action) {
    Guarded(desktop_, this, std::forward<Action>(action));
}

void TForm1::ConnectSignals() {
    for (int n = 0; n < 8; ++n) {
        TBlock& block = blocks_[n];
        connect(block.gate, &QCheckBox::toggled, this, [this] { Handle([this] { GenerateEmail(); }); });
        connect(block.memo, &QPlainTextEdit::textChanged, this,
                [this] { Handle([this] { GenerateEmail(); }); });
        connect(block.clear, &QPushButton::clicked, this,
                [this, &block] { Handle([this, &block] { ClearBlock(block); }); });
    }
    for (QCheckBox* gate : {sCheckBox9, sCheckBox10, sCheckBox11})
        connect(gate, &QCheckBox::toggled, this, [this] { Handle([this] { GenerateEmail(); }); });
    for (int n = 0; n < 5; ++n) {
        TPhraseList& list = lists_[n];
        const int number = n + 1;
        connect(list.add, &QPushButton::clicked, this,
                [this, &list] { Handle([this, &list] { ListAdd(list); }); });
        connect(list.remove, &QPushButton::clicked, this,
                [this, number] { Handle([this, number] { ListDelete(number); }); });
        // The change event is the user's own picking or typing only, never a command's.
        connect(list.combo, &QComboBox::activated, this,
                [this, number] { Handle([this, number] { ListChange(number); }); });
        connect(list.combo->lineEdit(), &QLineEdit::textEdited, this,
                [this, number] { Handle([this, number] { ListChange(number); }); });
    }
    OnClick(sBitBtn23, &TForm1::GenerateEmail);
    OnClick(sBitBtn24, &TForm1::sBitBtn24Click);
    OnClick(sBitBtn25, &TForm1::sBitBtn25Click);
    OnClick(sBitBtn4, &TForm1::sBitBtn4Click);
    OnClick(sBitBtn5, &TForm1::FileSaveAs1Execute);
    OnClick(sBitBtn26, &TForm1::sBitBtn26Click);
    OnClick(sBitBtn6, &TForm1::sBitBtn6Click);
    OnClick(sBitBtn1, &TForm1::sBitBtn1Click);
    connect(sEdit1, &QLineEdit::textChanged, this, [this] { Handle([this] { RecipientChanged(); }); });
    connect(addressBook_, &AddressBookStore::changed, this,
            [this] { Handle([this] { RecipientChanged(); }); });
}

void TForm1::OnClick(QPushButton* button, THandler handler) {
    connect(button, &QPushButton::clicked, this,
            [this, handler] { Handle([this, handler] { (this->*handler)(); }); });
}

void TForm1::OnClick(QAction* item, THandler handler) {
    connect(item, &QAction::triggered, this,
            [this, handler] { Handle([this, handler] { (this->*handler)(); }); });
}

std::filesystem::path TForm1::BlockFile(int block) const { return folders_.Data() / BlockFileName(block); }

// Loads the eight blocks, each on its own: a missing file leaves its block empty (the next close
// creates it), a file that exists but cannot be read marks its block so that the close never writes
// over the user's text. The first failure is shown once, before the window appears.
void TForm1::FormCreate() {
    std::optional<std::string> firstError;
    for (int n = 0; n < 8; ++n) {
        const std::filesystem::path file = BlockFile(n + 1);
        try {
            LoadMemoText(*blocks_[n].memo, FileToLines(file));
        } catch (const Exception& error) {
            std::error_code ignored;
            blocks_[n].unreadable = std::filesystem::exists(file, ignored);
            if (!firstError) firstError = error.Message();
        }
    }
    if (firstError)
        desktop_.ShowMessage(nullptr, TDesktop::TMessageKind::Error, kApplicationTitle,
                             DefaultErrorText(*firstError));
    LoadAddressBook();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_ || event->spontaneous()) return;
    shownOnce_ = true;
    Handle([this] { FormShow(); });
}

void TForm1::FormShow() { GenerateEmail(); }

void TForm1::closeEvent(QCloseEvent* event) {
    bool closed = false;
    Handle([this, &closed] { closed = FormClose(); });
    if (closed) event->accept();
    else event->ignore();
}

// Writes the eight block files, block 1 first. A file that cannot be written stops the close: the
// error is shown and the window stays open with everything in it.
bool TForm1::FormClose() {
    for (int n = 0; n < 8; ++n) {
        if (blocks_[n].unreadable) continue;
        LinesToFile(MemoText(*blocks_[n].memo), BlockFile(n + 1));
    }
    return true;
}

TEmailPieces TForm1::ReadPieces() const {
    TEmailPieces pieces;
    pieces.salutationTicked = sCheckBox9->isChecked();
    pieces.salutation = ToProgramText(lists_[0].combo->currentText());
    for (int n = 0; n < 8; ++n) {
        pieces.blockTicked[n] = blocks_[n].gate->isChecked();
        if (pieces.blockTicked[n]) pieces.blocks[n] = blocks_[n].text->Text();
    }
    pieces.farewellTicked = sCheckBox10->isChecked();
    pieces.farewell = ToProgramText(lists_[1].combo->currentText());
    pieces.signatureTicked = sCheckBox11->isChecked();
    pieces.signature = ToProgramText(lists_[2].combo->currentText());
    return pieces;
}

void TForm1::GenerateEmail() {
    std::string text = GenerateEmailText(ReadPieces());
    FillPreviewPlaceholders(text);
    previewWriter_->Replace(text);
    MarkEmptyPlaceholders();
    emit previewRebuilt();
}

std::string TForm1::PreviewText() const { return MemoText(*Memo1); }

void TForm1::ListAdd(TPhraseList& list) {
    const QString text = list.combo->currentText();
    const QSignalBlocker blocker(list.combo);
    list.combo->addItem(text);
    // Adding the first entry must not change the shown text or pick the entry.
    list.combo->setEditText(text);
}

void TForm1::ListChange(int number) {
    const TPhraseList& list = lists_.at(static_cast<size_t>(number - 1));
    // After typing, an entry counts as selected only when the text is exactly that entry.
    const QString text = list.combo->currentText();
    int index = list.combo->currentIndex();
    if (index < 0 || list.combo->itemText(index) != text)
        index = list.combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    SetSelectedIndex(number, index);
    if (list.rebuildsPreview) GenerateEmail();
}

void TForm1::ListDelete(int number) {
    const TPhraseList& list = lists_.at(static_cast<size_t>(number - 1));
    const int index = SelectedIndex(number);
    {
        const QSignalBlocker blocker(list.combo);
        if (index >= 0 && index < list.combo->count()) list.combo->removeItem(index);
        list.combo->setCurrentIndex(-1);
        list.combo->setEditText(QString());
    }
    if (list.rebuildsPreview) GenerateEmail();
}

void TForm1::ClearBlock(TBlock& block) {
    ReplaceMemoText(*block.memo, {});
    GenerateEmail();
}

void TForm1::sBitBtn24Click() { sEdit3->clear(); }

void TForm1::sBitBtn25Click() {
    const bool tick = checkAllNext_;
    for (const TBlock& block : blocks_) block.gate->setChecked(tick);
    for (QCheckBox* gate : {sCheckBox9, sCheckBox10, sCheckBox11}) gate->setChecked(tick);
    checkAllNext_ = !tick;
}

void TForm1::sBitBtn4Click() {
    Memo1->selectAll();
    desktop_.SetClipboardText(FromProgramText(PreviewText()));
}

void TForm1::FileSaveAs1Execute() {
    TSaveDialogSettings settings;
    settings.defaultExtension = "txt";
    settings.fileName = saveFileName_;
    settings.filterDescription = "Textový soubor";
    settings.filterPattern = "*.txt";
    settings.confirmOverwrite = false;
    std::optional<QString> chosen = desktop_.ChooseSaveFile(this, settings);
    if (!chosen || chosen->isEmpty()) return;
    // The dialog adds the default extension to a name without one.
    if (QFileInfo(*chosen).suffix().isEmpty()) *chosen += ".txt";
    saveFileName_ = *chosen;
    FileSaveAs1Accept();
}

void TForm1::FileSaveAs1Accept() { LinesToFile(PreviewText(), ToPath(saveFileName_)); }

void TForm1::Ukonit1Click() { close(); }

void TForm1::OprogramuQuillory1Click() { Form3().exec(); }

void TForm1::Webovstrnkaprogramu1Click() { desktop_.OpenUrl(kWebSiteAddress); }

void TForm1::Updateprogramu1Click() { desktop_.OpenUrl(kUpdatePageAddress); }

}  // namespace quillory
