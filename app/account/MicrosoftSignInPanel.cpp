#include "app/account/MicrosoftSignInPanel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/account/DialogLook.h"
#include "app/account/MicrosoftRegistrationFields.h"
#include "app/account/MicrosoftTokens.h"
#include "storage/IniFile.h"

namespace quillory {

MicrosoftSignInPanel::MicrosoftSignInPanel(QWidget* parent, MicrosoftTokens& tokens, QLineEdit& login,
                                           QCheckBox* sentCopy)
    : QWidget(parent), tokens_(tokens), login_(login), sentCopy_(sentCopy) {
    setObjectName("MicrosoftPanel");
    auto* panel = new QVBoxLayout(this);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->setSpacing(4);
    if (MicrosoftSettings::BuiltInClientId().isEmpty()) {
        registration = new MicrosoftRegistrationFields(this);
        panel->addWidget(registration);
    }
    signInStatus = MakeDialogText("MicrosoftStatus", this);
    panel->addWidget(signInStatus);
    auto* buttons = new QHBoxLayout;
    signInButton = MakeDialogButton("Přihlásit se účtem Microsoft", "MicrosoftSignIn", this);
    signOutButton = MakeDialogButton("Odhlásit", "MicrosoftSignOut", this);
    cancelButton = MakeDialogButton("Zrušit", "MicrosoftCancel", this);
    buttons->addWidget(signInButton);
    buttons->addWidget(signOutButton);
    buttons->addWidget(cancelButton);
    buttons->addStretch(1);
    panel->addLayout(buttons);

    signIn_ = new MicrosoftSignIn(tokens_.Http(), this);
    connect(signInButton, &QPushButton::clicked, this, &MicrosoftSignInPanel::StartSignIn);
    connect(cancelButton, &QPushButton::clicked, signIn_, &MicrosoftSignIn::Cancel);
    connect(signOutButton, &QPushButton::clicked, this, [this] {
        lastMessage_.clear();
        tokens_.SignOut();
    });
    if (registration)
        connect(registration, &MicrosoftRegistrationFields::edited, this, [this] {
            if (KeepRegistration()) ShowSignedIn();
        });
    connect(signIn_, &MicrosoftSignIn::finished, this, &MicrosoftSignInPanel::SignInFinished);
}

void MicrosoftSignInPanel::Load() {
    if (registration) registration->Load(tokens_.Registration());
    lastMessage_.clear();
}

bool MicrosoftSignInPanel::KeepRegistration() {
    if (!registration) return true;
    try {
        tokens_.KeepRegistration(registration->Registration());
        return true;
    } catch (const EIniFileException& error) {
        lastMessage_ = QStringLiteral("ID aplikace se nepodařilo uložit: %1").arg(error.what());
        ShowSignedIn();
        return false;
    }
}

void MicrosoftSignInPanel::SetChosen(bool chosen) {
    chosen_ = chosen;
    setVisible(chosen);
    if (!chosen) signIn_->Cancel();
}

void MicrosoftSignInPanel::Cancel() { signIn_->Cancel(); }

void MicrosoftSignInPanel::StartSignIn() {
    if (signIn_->Running()) return;
    lastMessage_.clear();
    if (!KeepRegistration()) return;
    const QString login = login_.text().trimmed();
    const bool imap = sentCopy_ && sentCopy_->isChecked();
    signIn_->Start(tokens_.Settings(), MicrosoftScopes(imap), login.contains('@') ? login : QString());
    ShowSignedIn();
}

void MicrosoftSignInPanel::SignInFinished(const MicrosoftSignIn::Result& result) {
    if (result.outcome == MicrosoftSignIn::Outcome::SignedIn) {
        lastMessage_.clear();
        const QString login = login_.text().trimmed();
        tokens_.Adopt(result.tokens, login.contains('@') ? login : QString());
        // Whoever signed in is the login from now on.
        if (!tokens_.Address().isEmpty()) login_.setText(tokens_.Address());
    } else {
        lastMessage_ = result.message;
    }
    ShowSignedIn();
}

// Only for a Microsoft account: whether one is signed in is a read of the refresh token, which may
// ask the keyring, and a password account has no business with it.
void MicrosoftSignInPanel::ShowSignedIn() {
    if (!chosen_) {
        signInStatus->clear();
        emit heightChanged();
        return;
    }
    const bool waiting = signIn_->Running();
    const auto problem = tokens_.Settings().Problem();
    QString status;
    if (waiting) {
        status = QStringLiteral("Dokončete přihlášení v prohlížeči, který se otevřel…");
    } else if (problem) {
        status = *problem;
    } else if (tokens_.SignedIn()) {
        const QString address = tokens_.Address();
        status = address.isEmpty() ? QStringLiteral("Účet Microsoft je přihlášen.")
                                   : QStringLiteral("Přihlášen účet Microsoft: %1").arg(address);
        // The sign-in asks for IMAP only when the copy is on at that moment.
        if (sentCopy_ && sentCopy_->isChecked() && !tokens_.GrantsImap())
            status += QStringLiteral(
                "\nPro kopii odeslané pošty na serveru se přihlaste znovu: toto přihlášení nemá "
                "oprávnění k IMAP.");
    } else {
        status = QStringLiteral("Účet Microsoft není přihlášen.");
    }
    if (!lastMessage_.isEmpty()) status = lastMessage_ + "\n\n" + status;
    signInStatus->setText(status);
    const bool signedIn = tokens_.SignedIn();
    signInButton->setVisible(!waiting);
    signInButton->setEnabled(!problem);
    signOutButton->setVisible(!waiting && signedIn);
    cancelButton->setVisible(waiting);
    emit heightChanged();
}

}  // namespace quillory
