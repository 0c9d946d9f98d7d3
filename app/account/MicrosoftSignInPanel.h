#pragma once

#include <QString>
#include <QWidget>

#include "app/account/MicrosoftSignIn.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillory {

class MicrosoftRegistrationFields;
class MicrosoftTokens;

// The Microsoft sign-in panel of the outgoing-mail settings: in a build without a registration of
// its own the registration typed in, who is signed in (or how the last sign-in ended), "Přihlásit
// se účtem Microsoft", "Odhlásit", and "Zrušit" while the browser is open. Whoever signs in becomes
// the login.
class MicrosoftSignInPanel : public QWidget {
    Q_OBJECT
public:
    // `login` is the dialog's account field; `sentCopy`, when not null, is the sent copy's box:
    // IMAP's scope is asked for when it is ticked.
    MicrosoftSignInPanel(QWidget* parent, MicrosoftTokens& tokens, QLineEdit& login, QCheckBox* sentCopy);

    // Whether Microsoft is the chosen provider: the panel shows only then, and a sign-in still
    // waiting for the browser ends when another provider is chosen.
    void SetChosen(bool chosen);
    // Shows who is signed in (nothing when Microsoft is not chosen: the panel does not ask the
    // keyring then).
    void ShowSignedIn();
    // Shows the kept registration and forgets how the last sign-in ended, as the dialog opens.
    void Load();
    // Forgets how the last sign-in ended.
    void ForgetLastMessage() { lastMessage_.clear(); }
    // Keeps the registration typed in (with the dialog's OK, and before a sign-in); false, with the
    // reason shown, when the INI file cannot be written.
    bool KeepRegistration();
    // Ends a sign-in still waiting for the browser.
    void Cancel();

    MicrosoftSignIn& SignIn() const { return *signIn_; }

    // The registration typed in; only in a build without one of its own, else null.
    MicrosoftRegistrationFields* registration = nullptr;
    QLabel* signInStatus = nullptr;  // who is signed in, or how the last sign-in ended
    QPushButton* signInButton = nullptr;
    QPushButton* signOutButton = nullptr;
    QPushButton* cancelButton = nullptr;

signals:
    // What the panel shows changed, and with it the height it needs.
    void heightChanged();

private:
    void StartSignIn();
    void SignInFinished(const MicrosoftSignIn::Result& result);

    MicrosoftTokens& tokens_;
    QLineEdit& login_;
    QCheckBox* sentCopy_ = nullptr;
    MicrosoftSignIn* signIn_ = nullptr;
    bool chosen_ = false;
    QString lastMessage_;
};

}  // namespace quillory
