#pragma once

#include <QMainWindow>

#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "app/PhraseList.h"
#include "app/PreviewPlaceholders.h"
#include "storage/ProgramFolders.h"

class QCheckBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace quillory {

class TDesktop;
class TMemoWriter;
class TCachedMemoText;
class TFormStorage;
class TsSkinManager;
class MainWindowAccount;
class MainWindowAttach;
class MainWindowContacts;
class MainWindowHelp;
class MainWindowMerge;
class MainWindowSend;
class MainWindowSpelling;
struct MergeMessage;
struct TEmailPieces;

// The main window: the composing area (phrase lists 1 to 3 and the eight text blocks), the
// addressing area (recipient, sender, copies, subject), the preview and the command buttons. The
// window lays them out, keeps the lists, the blocks, the preview and its stored form, and holds the
// menu table; the features (account, attachments, address book, send, help, spelling) are classes
// of their own rooms, which the window owns and its handlers call.
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
    // The placeholders the last rebuild of the preview left empty, where they stood.
    const std::vector<EmptyPlaceholder>& EmptyPreviewPlaceholders() const { return placeholders_.Empty(); }
    // The name "Uložit text emailu" writes to: the last name accepted in the save dialog.
    const QString& SaveFileName() const { return saveFileName_; }
    // The window's placement, stored properties and the four SMTP values, kept in the INI file.
    TFormStorage& FormStorage() const { return *FormStorage1; }
    // The remembered selected index of lists 1 to 5, used by their delete buttons.
    int SelectedIndex(int list) const { return lists_.at(static_cast<size_t>(list - 1)).selectedIndex; }
    void SetSelectedIndex(int list, int index) {
        lists_.at(static_cast<size_t>(list - 1)).selectedIndex = index;
    }
    // The skin that draws the windows; inactive when the plain look stays.
    const TsSkinManager& SkinManager() const { return *sSkinManager1; }

    // The features.
    MainWindowAccount& Account() const { return *account_; }
    MainWindowAttach& Attachments() const { return *attachments_; }
    MainWindowContacts& Contacts() const { return *contacts_; }
    MainWindowHelp& Help() const { return *help_; }
    MainWindowMerge& Merge() const { return *merge_; }
    MainWindowSend& Send() const { return *send_; }

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

    // Building the window: the widgets on their panels, then the features, the menus and the storage.
    struct TPanels {
        QWidget* composing;   // "sPanel1": the lists 1 to 3 and the blocks
        QWidget* addressing;  // "sPanel2"
        QWidget* preview;     // "sPanel3"
    };
    TPanels CreatePanels();
    void CreateBlocks(QWidget& panel);
    void CreatePhraseLists(QWidget& composing, QWidget& addressing);
    void CreateAddressArea(QWidget& panel);
    void CreatePreview(QWidget& panel);
    void CreateBottomRow();
    void CreateHelpPanel();
    void CreateMenus();
    void CreateFormStorage();
    void ConnectSignals();
    using THandler = void (TForm1::*)();
    // Runs `handler` on every click or choice, its errors reported through the default error handler.
    void OnClick(QPushButton* button, THandler handler);
    void OnClick(QAction* item, THandler handler);

    // Event handlers; each reports its own errors through the default error handler. Those of a
    // feature pass the event on to it.
    void FormCreate();
    void FormShow();
    bool FormClose();
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
    void OdeslanaPosta1Click();
    void Hromadneodeslani1Click();
    void Adres1Click();
    void sBitBtn1Click();
    void Vchoznastaven1Click();
    void Webovstrnkaprogramu1Click();
    void Updateprogramu1Click();
    void WriteBackups() const;
    TEmailPieces ReadPieces() const;
    // What a mail merge sends: the composition with its placeholders not filled.
    MergeMessage Composition() const;

    TDesktop& desktop_;
    const TProgramFolders folders_;

    std::array<TBlock, 8> blocks_;
    std::array<PhraseList, 5> lists_;
    QCheckBox* sCheckBox12 = nullptr;  // "Kopie"
    QLineEdit* sEdit1 = nullptr;       // "Odeslat komu"
    QLineEdit* sEdit3 = nullptr;       // the copies
    QPlainTextEdit* Memo1 = nullptr;   // the preview
    std::unique_ptr<TMemoWriter> previewWriter_;
    PreviewPlaceholders placeholders_;
    TsSkinManager* sSkinManager1 = nullptr;  // child of the window
    QMenu* toolsMenu_ = nullptr;             // "Nástroje"

    // True: the next press of "Vše / Nic" ticks every gate.
    bool checkAllNext_ = false;
    bool shownOnce_ = false;
    QString saveFileName_;
    TFormStorage* FormStorage1 = nullptr;  // child of the window

    // The features. The send command is destroyed first: its worker has ended before the account's
    // sign-in, a child of the window, goes.
    std::unique_ptr<MainWindowAccount> account_;
    std::unique_ptr<MainWindowAttach> attachments_;
    std::unique_ptr<MainWindowContacts> contacts_;
    std::unique_ptr<MainWindowHelp> help_;
    std::unique_ptr<MainWindowSpelling> spelling_;
    std::unique_ptr<MainWindowSend> send_;
    // The mail merge; its window and any run it holds end before the send command and the account.
    std::unique_ptr<MainWindowMerge> merge_;
};

}  // namespace quillory
