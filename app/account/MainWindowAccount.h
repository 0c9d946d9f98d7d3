#pragma once

#include <array>
#include <memory>

#include "storage/ProgramFolders.h"

class QWidget;

namespace quillory {

class MicrosoftTokens;
class TDesktop;
class TForm2;
class TFormStorage;
class TPasswordAtRest;

// The mail account of the main window: the stored password, the IMAP password and the Microsoft
// refresh token kept at rest (in the desktop's keyring when it has one), the Microsoft sign-in's
// tokens and the outgoing-mail settings dialog. The tokens and the dialog are made at their first
// use: the window comes up sooner without them.
class MainWindowAccount {
public:
    // The secrets at rest hook into `storage` now, before its first restore.
    MainWindowAccount(QWidget& window, TDesktop& desktop, TFormStorage& storage,
                      const TProgramFolders& folders);
    ~MainWindowAccount();

    // "Nastavní odchozí pošty": the dialog; what it shows is stored when the user confirms.
    void EditSettings();
    // The reset to defaults: the account emptied, the IMAP password forgotten and the Microsoft
    // account signed out; a dialog already made is emptied too.
    void Reset();

    // The outgoing-mail settings dialog ("Form2").
    TForm2& Form2();
    // The Microsoft sign-in's tokens, for the settings and the sends; a child of the window, so a
    // send still running (the window's send command ends first) never outlives it.
    MicrosoftTokens& Microsoft();

private:
    QWidget& window_;
    TFormStorage& storage_;
    const TProgramFolders& folders_;
    // The SMTP password, the IMAP password and the refresh token.
    std::array<std::unique_ptr<TPasswordAtRest>, 3> atRest_;
    MicrosoftTokens* microsoft_ = nullptr;
    std::unique_ptr<TForm2> form2_;
};

}  // namespace quillory
