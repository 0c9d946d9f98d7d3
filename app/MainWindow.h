#pragma once

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/AppInfo.h"
#include "app/contacts/AddressBookStore.h"
#include "contacts/Placeholders.h"
#include "storage/ProgramFolders.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace quillory {

class TDesktop;
class MicrosoftTokens;
class TForm2;
class TForm3;
class TMemoWriter;
class TIdMessage;
class TCachedMemoText;
class TFormStorage;
class TPasswordAtRest;
class TFramelessIE;
class TsSkinManager;
class TsWebLabel;
class TSendWorker;
class TAttachedFiles;
class TAttachmentsButton;
class AddressBookWindow;
class AddressCompleter;
struct TEmailPieces;
class SpellChecker;

// The main window: the composing area (phrase lists 1 to 3 and the eight text blocks), the
// addressing area (recipient, sender, copies, subject), the preview and the command buttons.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and runs the create step: the eight block files are loaded from the data
    // folder of `folders`.
    TForm1(TDesktop& desktop, TProgramFolders folders, QWidget* parent = nullptr);
    // A portable copy: everything beside the executable in `exeDir`.
    TForm1(TDesktop& desktop, const std::filesystem::path& exeDir, QWidget* parent = nullptr);
    ~TForm1() override;

    // Rebuilds the preview from the ticked gates, the lists' shown texts and the blocks.
    void GenerateEmail();

    // The preview's text form as copy, save and send take it.
    std::string PreviewText() const;
    // The name "Uložit text emailu" writes to: the last name accepted in the save dialog.
    const QString& SaveFileName() const { return saveFileName_; }
    // The window's placement, stored properties and the four SMTP values, kept in the INI file.
    TFormStorage& FormStorage() const { return *FormStorage1; }
    // The outgoing-mail settings dialog.
    // Created at its first use: nobody sees the dialogs before they open, and the window comes up
    // sooner without them.
    TForm2& Form2();
    TForm3& Form3();
    int SelectedIndex(int list) const { return selectedIndex_.at(static_cast<size_t>(list - 1)); }
    void SetSelectedIndex(int list, int index) { selectedIndex_.at(static_cast<size_t>(list - 1)) = index; }
    // The page view the help panel shows on top: the newest one, none before the first opening.
    TFramelessIE* HelpBrowser() const { return helpBrowser_; }
    // The page the help panel loads; the program's own help page unless set otherwise.
    void SetHelpPageAddress(const QString& address) { helpPageAddress_ = address; }
    // The skin that draws the windows; inactive when the plain look stays.
    const TsSkinManager& SkinManager() const { return *sSkinManager1; }
    // The folder where delivered messages are archived ("Odeslané" in the data folder).
    std::filesystem::path SentArchive() const { return SentArchiveFolder(); }
    // The Microsoft sign-in's tokens, for the settings and the sends.
    MicrosoftTokens& Microsoft() const { return *microsoft_; }
    // The send command's worker: one for the window's life, idle between sends.
    TSendWorker& Sender() const { return *sender_; }
    // The files attached to the next message, kept until the user removes them.
    TAttachedFiles& AttachedFiles() const { return *attachedFiles_; }
    // Attaches files as the file dialog and a drop do: a folder or a file not found is refused
    // with a message, a file already attached stays attached once.
    void AttachFiles(const QStringList& paths);
    // The address book, kept in the data folder's "kontakty.vcf".
    AddressBookStore& Contacts() const { return *addressBook_; }
    // The "Adresář" window (Nástroje → Adresář…), made at its first use.
    AddressBookWindow& ContactsWindow();
    // The completion of "Odeslat komu" and of "Kopie".
    AddressCompleter& RecipientCompleter() const { return *recipientCompleter_; }
    AddressCompleter& CopyCompleter() const { return *copyCompleter_; }
    // The placeholders the last rebuild of the preview left empty, where they stood.
    const std::vector<EmptyPlaceholder>& EmptyPreviewPlaceholders() const { return previewEmpty_; }

signals:
    // Emitted after every rebuild of the preview.
    void previewRebuilt();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Files dropped from a file manager are attached.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct TBlock {
        QCheckBox* gate = nullptr;
        QPlainTextEdit* memo = nullptr;
        QPushButton* clear = nullptr;
        bool unreadable = false;  // its file exists but could not be read: never overwritten
        // A keystroke in one block leaves the other seven as they were: their text is kept.
        std::unique_ptr<TCachedMemoText> text;
    };
    struct TPhraseList {
        QComboBox* combo = nullptr;
        QPushButton* add = nullptr;
        QPushButton* remove = nullptr;
        bool rebuildsPreview = false;
    };

    // Building the window.
    void CreatePanels();
    void CreateBlocks();
    void CreatePhraseLists();
    void CreateAddressArea();
    void CreatePreview();
    void CreateBottomRow();
    void CreateHelpPanel();
    void CreateAttachments();
    void CreateAddressBook();
    void CreateMenus();
    void CreateFormStorage();
    void CreateSpelling();
    void ConnectSignals();
    QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                            const QRect& geometry);
    QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, QPoint at);
    QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, const QRect& geometry);
    QComboBox* MakeComboBox(QWidget* parent, const char* name, const QString& accessibleName,
                            const QRect& geometry);
    using THandler = void (TForm1::*)();
    // A menu item; choosing it runs `handler` (none for a separator).
    QAction* MakeMenuItem(QMenu* menu, const char* name, const QString& caption, THandler handler = nullptr);
    // Runs `handler` on every click or choice, its errors reported through the default error handler.
    void OnClick(QPushButton* button, THandler handler);
    void OnClick(QAction* item, THandler handler);

    // Event handlers; each reports its own errors through the default error handler.
    void FormCreate();
    void FormShow();
    bool FormClose();
    void ListAdd(TPhraseList& list);
    void ListDelete(int list);
    void ListChange(int list);
    void ClearBlock(TBlock& block);
    void sBitBtn24Click();
    void sBitBtn25Click();
    void sBitBtn4Click();
    void FileSaveAs1Execute();
    void FileSaveAs1Accept();
    void Ukonit1Click();
    void Onlinenpovda1Click();
    void sBitBtn26Click();
    void OprogramuQuillory1Click();
    void sBitBtn6Click();
    void Piloitsoubory1Click();
    void Adres1Click();
    // The address book: read at the start, a damaged or unreadable file reported with its path.
    void LoadAddressBook();
    // The placeholders' values for the address in "Odeslat komu", in the preview's 8-bit text.
    PlaceholderValues RecipientPlaceholderValues() const;
    // Fills the placeholders of the preview's text and notes the empty ones.
    void FillPreviewPlaceholders(std::string& text);
    // Marks the lines of the preview where a placeholder was left empty.
    void MarkEmptyPlaceholders();
    // Rebuilds the preview when its placeholders would now be filled otherwise.
    void RecipientChanged();
    // The subject with its placeholders filled.
    FilledText FilledSubject() const;
    // Asks before a message with an empty placeholder goes out; true: send it.
    bool ConfirmEmptyPlaceholders();
    // The addresses the message of the send command goes to (UTF-8), for the address book.
    std::vector<AddressBookStore::Recipient> MessageRecipients() const;
    // Adds the recipients of a delivered message that the address book does not know.
    void LearnRecipients(const std::vector<AddressBookStore::Recipient>& recipients);
    // Fills IdMessage1 from the window for a send; false, with the user told why, when an attached
    // file cannot go out as it was attached.
    bool FillMessage();
    void sBitBtn1Click();
    // "Soubor → Odeslaná pošta…": opens the archive of sent messages in the file manager.
    void OdeslanaPosta1Click();
    // Where every delivered message is archived: "Odeslané" in the data folder.
    std::filesystem::path SentArchiveFolder() const;
    void Vchoznastaven1Click();
    void Webovstrnkaprogramu1Click();
    void Updateprogramu1Click();
    void WriteBackups() const;
    template <class Action>
    void Handle(Action&& action);

    TEmailPieces ReadPieces() const;
    std::filesystem::path BlockFile(int block) const;

    TDesktop& desktop_;
    const TProgramFolders folders_;

    QFrame* sPanel1 = nullptr;
    QFrame* sPanel2 = nullptr;
    QFrame* sPanel3 = nullptr;
    QFrame* sPanel4 = nullptr;
    std::array<TBlock, 8> blocks_;
    std::array<TPhraseList, 5> lists_;
    QCheckBox* sCheckBox9 = nullptr;
    QCheckBox* sCheckBox10 = nullptr;
    QCheckBox* sCheckBox11 = nullptr;
    QCheckBox* sCheckBox12 = nullptr;
    QLineEdit* sEdit1 = nullptr;
    QLineEdit* sEdit3 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    std::unique_ptr<TMemoWriter> previewWriter_;
    QPushButton* sBitBtn1 = nullptr;       // "Nastavní odchozí pošty"
    QPushButton* sBitBtn4 = nullptr;       // "Kopírovat"
    QPushButton* sBitBtn5 = nullptr;       // "Uložit text"
    QPushButton* sBitBtn6 = nullptr;       // "Odeslat"
    QPushButton* sBitBtn23 = nullptr;      // "Obnovit"
    QPushButton* sBitBtn24 = nullptr;      // "Vymazat" (the copies)
    QPushButton* sBitBtn25 = nullptr;      // "Vše / Nic"
    QPushButton* sBitBtn26 = nullptr;      // "Zavřít" (the help panel)
    TFramelessIE* helpBrowser_ = nullptr;  // child of sPanel4, like the older views beneath it
    QString helpPageAddress_ = kHelpPageAddress;
    TsSkinManager* sSkinManager1 = nullptr;  // child of the window

    // The remembered selected index of lists 1 to 5, used by their delete buttons.
    std::array<int, 5> selectedIndex_{};
    // True: the next press of "Vše / Nic" ticks every gate.
    bool checkAllNext_ = false;
    bool shownOnce_ = false;
    QString saveFileName_;
    TFormStorage* FormStorage1 = nullptr;  // child of the window
    // Keeps the stored password in the desktop's keyring when it has one.
    std::unique_ptr<TPasswordAtRest> passwordAtRest_;
    std::unique_ptr<TPasswordAtRest> imapPasswordAtRest_;
    // The Microsoft sign-in's refresh token, kept at rest like the passwords, and the tokens in use;
    // a child of the window, so the send worker, a member, has ended before it goes.
    std::unique_ptr<TPasswordAtRest> refreshTokenAtRest_;
    MicrosoftTokens* microsoft_ = nullptr;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm3> form3_;
    // The send command's message, which keeps what a send does not set, and its worker, which
    // holds the SMTP client while a send runs.
    std::unique_ptr<TIdMessage> IdMessage1;
    std::unique_ptr<TSendWorker> sender_;
    TAttachedFiles* attachedFiles_ = nullptr;    // child of the window
    TAttachmentsButton* sAttachments = nullptr;  // the attachment list's face in the bottom row

    // The address book, its completion in the two address fields and its window.
    AddressBookStore* addressBook_ = nullptr;         // child of the window
    AddressCompleter* recipientCompleter_ = nullptr;  // child of sEdit1
    AddressCompleter* copyCompleter_ = nullptr;       // child of sEdit3
    AddressBookWindow* contactsWindow_ = nullptr;     // child of the window, made at its first use
    // What the last rebuild filled the preview's placeholders with (none when it held none), and
    // the placeholders it left empty with their places in the preview.
    bool previewHasPlaceholders_ = false;
    PlaceholderValues previewValues_;
    std::vector<EmptyPlaceholder> previewEmpty_;
    std::vector<int> previewEmptyPositions_;
    bool previewMarked_ = false;
    QMenu* toolsMenu_ = nullptr;            // "Nástroje"
    SpellChecker* spellChecker_ = nullptr;  // child of the window
};

}  // namespace quillory
