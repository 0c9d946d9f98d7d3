#include "app/MainWindow.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>

#include "app/AppInfo.h"
#include "app/BlockFileName.h"
#include "app/EmailText.h"
#include "app/ErrorHandler.h"
#include "app/FontWarmup.h"
#include "app/MemoText.h"
#include "app/Win1250Text.h"
#include "app/account/MainWindowAccount.h"
#include "app/account/MicrosoftTokens.h"
#include "app/contacts/MainWindowContacts.h"
#include "app/desktop/Desktop.h"
#include "app/desktop/ProgramFiles.h"
#include "app/help/MainWindowHelp.h"
#include "app/merge/MainWindowMerge.h"
#include "app/merge/MergeRunPanel.h"
#include "app/send/AttachedFiles.h"
#include "app/send/MainWindowAttach.h"
#include "app/send/MainWindowSend.h"
#include "app/skin/Skin.h"
#include "app/spelling/MainWindowSpelling.h"
#include "net/smtp/SmtpAccount.h"
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
    setWindowTitle(kMainWindowCaption);
    QFont font = this->font();
    font.setPixelSize(11);
    setFont(font);
    {
        // The window's first text needs the fonts, which are prepared on a second thread meanwhile:
        // while the skin's pictures are read, and while the window's thread waits for its
        // connection to the session bus (which Qt makes at the first accessible name).
        const TFontWarmup fonts;
        // The skin goes on before the widgets are built: switched on afterwards, it would make
        // every widget restyle itself once more. The plain look stays when no skin is found.
        sSkinManager1 = TsSkinManager::SwitchOn(this, SkinsFolder(folders_, "Wood"), "Wood");
        QAccessible::isActive();
    }
    const TPanels panels = CreatePanels();
    CreateBlocks(*panels.composing);
    CreatePhraseLists(*panels.composing, *panels.addressing);
    CreateAddressArea(*panels.addressing);
    CreatePreview(*panels.preview);
    CreateBottomRow();
    attachments_ = std::make_unique<MainWindowAttach>(*this, *centralWidget(), desktop_);
    contacts_ = std::make_unique<MainWindowContacts>(*this, desktop_, folders_.Data() / kAddressBookFileName,
                                                     *sEdit1, *sEdit3);
    CreateHelpPanel();
    CreateMenus();
    ConnectSignals();
    CreateFormStorage();
    account_ = std::make_unique<MainWindowAccount>(*this, desktop_, *FormStorage1, folders_);
    send_ = std::make_unique<MainWindowSend>(
        *this, desktop_, *FormStorage1, attachments_->Files(), folders_.Data() / "Odeslané",
        MainWindowSend::Fields{Memo1, lists_[4].combo, lists_[3].combo, sEdit1, sEdit3, sCheckBox12},
        MainWindowSend::Hooks{
            [this](const std::string& subject) { return contacts_->FillSubject(subject).text; },
            [this](const std::string& subject) {
                return contacts_->ConfirmEmptyPlaceholders(subject, placeholders_.Empty());
            },
            [this]() -> MicrosoftTokens& { return account_->Microsoft(); }});
    connect(send_.get(), &MainWindowSend::delivered, this,
            [this] { contacts_->LearnRecipients(send_->Message()); });
    merge_ = std::make_unique<MainWindowMerge>(
        *this, MergeContext{desktop_, contacts_->Store(), *FormStorage1, folders_, send_->SentArchive(),
                            [this] { return Composition(); },
                            [this](const TSmtpAccount& account) {
                                return account.oauth.method == TLoginMethod::Microsoft
                                           ? account_->Microsoft().ForWorker()
                                           : TAccessTokenSource();
                            }});
    // Checked: the eight blocks, and the fields of the salutation, farewell, signature and subject
    // lists. Not the addresses (the sender list, recipient, copies) and not the preview.
    MainWindowSpelling::Editors checked;
    for (const TBlock& block : blocks_) checked.blocks.push_back(block.memo);
    for (int n = 0; n < 4; ++n) checked.fields.push_back(lists_[n].combo->lineEdit());
    spelling_ = std::make_unique<MainWindowSpelling>(*this, desktop_, folders_.Data(), checked, *toolsMenu_,
                                                     FormStorage1->StoredValues());
    move(16, 11);
    FormCreate();
}

// A window destroyed without its close still saves, unless a save already ran since the restore.
TForm1::~TForm1() { FormStorage1->HandleDestroy(); }

void TForm1::ConnectSignals() {
    for (int n = 0; n < 8; ++n) {
        TBlock& block = blocks_[n];
        connect(block.gate, &QCheckBox::toggled, this,
                [this] { Guarded(desktop_, this, [this] { GenerateEmail(); }); });
        connect(block.memo, &QPlainTextEdit::textChanged, this,
                [this] { Guarded(desktop_, this, [this] { GenerateEmail(); }); });
        connect(block.clear, &QPushButton::clicked, this,
                [this, &block] { Guarded(desktop_, this, [this, &block] { ClearBlock(block); }); });
    }
    for (int n = 0; n < 3; ++n)
        connect(lists_[n].gate, &QCheckBox::toggled, this,
                [this] { Guarded(desktop_, this, [this] { GenerateEmail(); }); });
    for (PhraseList& list : lists_) {
        const auto rebuild = [this, &list] {
            if (list.rebuildsPreview) GenerateEmail();
        };
        connect(list.add, &QPushButton::clicked, this,
                [this, &list] { Guarded(desktop_, this, [&list] { list.Add(); }); });
        connect(list.remove, &QPushButton::clicked, this, [this, &list, rebuild] {
            Guarded(desktop_, this, [&list, rebuild] {
                list.Delete();
                rebuild();
            });
        });
        // The change event is the user's own picking or typing only, never a command's.
        const auto changed = [this, &list, rebuild] {
            Guarded(desktop_, this, [&list, rebuild] {
                list.Change();
                rebuild();
            });
        };
        connect(list.combo, &QComboBox::activated, this, changed);
        connect(list.combo->lineEdit(), &QLineEdit::textEdited, this, changed);
    }
    // The preview is rebuilt when its placeholders would now be filled otherwise.
    connect(contacts_.get(), &MainWindowContacts::recipientChanged, this, [this] {
        Guarded(desktop_, this, [this] {
            if (placeholders_.Stale([this] { return contacts_->RecipientValues(); })) GenerateEmail();
        });
    });
}

void TForm1::OnClick(QPushButton* button, THandler handler) {
    connect(button, &QPushButton::clicked, this,
            [this, handler] { Guarded(desktop_, this, [this, handler] { (this->*handler)(); }); });
}

void TForm1::OnClick(QAction* item, THandler handler) {
    connect(item, &QAction::triggered, this,
            [this, handler] { Guarded(desktop_, this, [this, handler] { (this->*handler)(); }); });
}

// Loads the eight blocks, each on its own: a missing file leaves its block empty (the next close
// creates it), a file that exists but cannot be read marks its block so that the close never writes
// over the user's text. The first failure is shown once, before the window appears.
void TForm1::FormCreate() {
    std::optional<std::string> firstError;
    for (int n = 0; n < 8; ++n) {
        const std::filesystem::path file = folders_.Data() / BlockFileName(n + 1);
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
    contacts_->Load();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_ || event->spontaneous()) return;
    shownOnce_ = true;
    Guarded(desktop_, this, [this] { FormShow(); });
}

void TForm1::FormShow() { GenerateEmail(); }

void TForm1::closeEvent(QCloseEvent* event) {
    bool closed = false;
    Guarded(desktop_, this, [this, &closed] { closed = FormClose(); });
    if (closed) event->accept();
    else event->ignore();
}

// Asks first while a mail merge run is under way (the run stops and its journal keeps it for
// later). Writes the eight block files, block 1 first. A file that cannot be written stops the
// close: the error is shown and the window stays open with everything in it.
bool TForm1::FormClose() {
    if (!ConfirmQuitDuringMergeRuns(desktop_, this)) return false;
    for (int n = 0; n < 8; ++n) {
        if (blocks_[n].unreadable) continue;
        LinesToFile(MemoText(*blocks_[n].memo), folders_.Data() / BlockFileName(n + 1));
    }
    return true;
}

TEmailPieces TForm1::ReadPieces() const {
    TEmailPieces pieces;
    pieces.salutationTicked = lists_[0].gate->isChecked();
    pieces.salutation = ToProgramText(lists_[0].combo->currentText());
    for (int n = 0; n < 8; ++n) {
        pieces.blockTicked[n] = blocks_[n].gate->isChecked();
        if (pieces.blockTicked[n]) pieces.blocks[n] = blocks_[n].text->Text();
    }
    pieces.farewellTicked = lists_[1].gate->isChecked();
    pieces.farewell = ToProgramText(lists_[1].combo->currentText());
    pieces.signatureTicked = lists_[2].gate->isChecked();
    pieces.signature = ToProgramText(lists_[2].combo->currentText());
    return pieces;
}

void TForm1::GenerateEmail() {
    std::string text = GenerateEmailText(ReadPieces());
    placeholders_.Fill(text, [this] { return contacts_->RecipientValues(); });
    previewWriter_->Replace(text);
    placeholders_.Mark(*Memo1);
    emit previewRebuilt();
}

std::string TForm1::PreviewText() const { return MemoText(*Memo1); }

MergeMessage TForm1::Composition() const {
    MergeMessage composition;
    composition.sender = ToProgramText(lists_[4].combo->currentText());
    composition.subject = ToProgramText(lists_[3].combo->currentText());
    composition.body = GenerateEmailText(ReadPieces());
    if (sCheckBox12->isChecked()) composition.copies = ToProgramText(sEdit3->text());
    for (const TAttachedFile& file : attachments_->Files().FilesToSend())
        composition.attachments.push_back(
            {QFile::encodeName(file.path).toStdString(), ContentTypeOf(file.path).toStdString()});
    return composition;
}

void TForm1::ClearBlock(TBlock& block) {
    ReplaceMemoText(*block.memo, {});
    GenerateEmail();
}

void TForm1::sBitBtn24Click() { sEdit3->clear(); }

void TForm1::sBitBtn25Click() {
    const bool tick = checkAllNext_;
    for (const TBlock& block : blocks_) block.gate->setChecked(tick);
    for (int n = 0; n < 3; ++n) lists_[n].gate->setChecked(tick);
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

void TForm1::OprogramuQuillory1Click() { help_->About(); }

void TForm1::Webovstrnkaprogramu1Click() { desktop_.OpenUrl(kWebSiteAddress); }

void TForm1::Updateprogramu1Click() { desktop_.OpenUrl(kUpdatePageAddress); }

// The features' handlers.
void TForm1::sBitBtn1Click() { account_->EditSettings(); }
void TForm1::sBitBtn6Click() { send_->Send(); }
void TForm1::OdeslanaPosta1Click() { send_->OpenSentArchive(); }
void TForm1::Hromadneodeslani1Click() { merge_->Open(); }
void TForm1::Piloitsoubory1Click() { attachments_->Choose(); }
void TForm1::Adres1Click() { contacts_->OpenWindow(); }
void TForm1::Onlinenpovda1Click() { help_->Open(); }
void TForm1::sBitBtn26Click() { help_->Close(); }

void TForm1::dragEnterEvent(QDragEnterEvent* event) { attachments_->DragEnter(*event); }
void TForm1::dropEvent(QDropEvent* event) { attachments_->Drop(*event); }

}  // namespace quillory
