#include "app/account/ProviderSection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/account/DialogLook.h"
#include "app/account/MicrosoftRegistrationFields.h"
#include "app/account/MicrosoftTokens.h"
#include "net/smtp/SmtpAccount.h"
#include "storage/IniFile.h"

namespace quillory {

namespace {

QPushButton* MakeButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeText(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}

}  // namespace

ProviderSection::ProviderSection(QWidget* parent, const Fields& fields, MicrosoftTokens& tokens,
                                 QVector<ProviderPreset> presets)
    : QWidget(parent), fields_(fields), tokens_(tokens), presets_(std::move(presets)) {
    setObjectName("ProviderSection");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 0);
    column->setSpacing(4);

    auto* row = new QHBoxLayout;
    row->addWidget(MakeDialogCaption("Poskytovatel", this));
    provider = new QComboBox(this);
    provider->setObjectName("ProviderChoice");
    for (const ProviderPreset& preset : presets_) provider->addItem(preset.name, preset.id);
    provider->addItem("Jiný", QString());
    row->addWidget(provider, 1);
    column->addLayout(row);

    hint = MakeText("ProviderHint", this);
    hint->setTextFormat(Qt::RichText);
    hint->setOpenExternalLinks(true);
    hint->setTextInteractionFlags(Qt::TextBrowserInteraction);
    column->addWidget(hint);
    offer = MakeButton({}, "ProviderOffer", this);
    column->addWidget(offer);

    microsoftPanel = new QWidget(this);
    microsoftPanel->setObjectName("MicrosoftPanel");
    auto* panel = new QVBoxLayout(microsoftPanel);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->setSpacing(4);
    if (MicrosoftSettings::BuiltInClientId().isEmpty()) {
        registration = new MicrosoftRegistrationFields(microsoftPanel);
        panel->addWidget(registration);
    }
    signInStatus = MakeText("MicrosoftStatus", microsoftPanel);
    panel->addWidget(signInStatus);
    auto* buttons = new QHBoxLayout;
    signInButton = MakeButton("Přihlásit se účtem Microsoft", "MicrosoftSignIn", microsoftPanel);
    signOutButton = MakeButton("Odhlásit", "MicrosoftSignOut", microsoftPanel);
    cancelButton = MakeButton("Zrušit", "MicrosoftCancel", microsoftPanel);
    buttons->addWidget(signInButton);
    buttons->addWidget(signOutButton);
    buttons->addWidget(cancelButton);
    buttons->addStretch(1);
    panel->addLayout(buttons);
    column->addWidget(microsoftPanel);

    signIn_ = new MicrosoftSignIn(tokens_.Http(), this);
    connect(provider, &QComboBox::activated, this, [this](int index) { Choose(index, true); });
    connect(offer, &QPushButton::clicked, this, [this] {
        if (offered_ < 0) return;
        provider->setCurrentIndex(offered_);
        Choose(offered_, true);
    });
    connect(fields_.login, &QLineEdit::textEdited, this, &ProviderSection::LoginEdited);
    // After the dialog's own handler, which enables the login fields with the box.
    connect(fields_.authenticate, &QCheckBox::toggled, this, &ProviderSection::UpdateFields);
    connect(signInButton, &QPushButton::clicked, this, &ProviderSection::StartSignIn);
    connect(cancelButton, &QPushButton::clicked, signIn_, &MicrosoftSignIn::Cancel);
    connect(signOutButton, &QPushButton::clicked, this, [this] {
        lastSignInMessage_.clear();
        tokens_.SignOut();
    });
    if (registration)
        connect(registration, &MicrosoftRegistrationFields::edited, this, [this] {
            if (KeepRegistration()) ShowSignedIn();
        });
    connect(signIn_, &MicrosoftSignIn::finished, this, &ProviderSection::SignInFinished);
    connect(&tokens_, &MicrosoftTokens::signInChanged, this, &ProviderSection::ShowSignedIn);
    if (fields_.sentCopy)
        connect(fields_.sentCopy, &QCheckBox::toggled, this, &ProviderSection::ShowSignedIn);
    Clear();
}

const ProviderPreset* ProviderSection::Chosen() const {
    const int index = provider->currentIndex();
    return index >= 0 && index < presets_.size() ? &presets_[index] : nullptr;
}

TLoginMethod ProviderSection::Method() const {
    const ProviderPreset* chosen = Chosen();
    return chosen ? chosen->login : TLoginMethod::Password;
}

void ProviderSection::Load(const TSmtpAccount& account) {
    int index = provider->findData(QString::fromStdString(account.oauth.provider));
    // An account set up for Microsoft before the provider was kept shows as Microsoft.
    if (account.oauth.method == TLoginMethod::Microsoft) {
        const auto microsoft = std::find_if(
            presets_.begin(), presets_.end(),
            [](const ProviderPreset& preset) { return preset.login == TLoginMethod::Microsoft; });
        if (index < 0 || presets_.value(index).login != TLoginMethod::Microsoft)
            index = microsoft == presets_.end() ? -1 : int(microsoft - presets_.begin());
    }
    provider->setCurrentIndex(index < 0 ? provider->count() - 1 : index);
    if (registration) registration->Load(tokens_.Registration());
    lastSignInMessage_.clear();
    Choose(provider->currentIndex(), false);
}

void ProviderSection::Store(TSmtpAccount& account) const {
    const ProviderPreset* chosen = Chosen();
    account.oauth.provider = chosen ? chosen->id.toStdString() : std::string();
    account.oauth.method = Method();
    account.oauth.address = tokens_.Address().toUtf8().toStdString();
    if (account.oauth.method == TLoginMethod::Microsoft) account.authenticate = true;
}

void ProviderSection::Clear() {
    provider->setCurrentIndex(provider->count() - 1);
    lastSignInMessage_.clear();
    Choose(provider->currentIndex(), false);
}

void ProviderSection::Choose(int index, bool fill) {
    const ProviderPreset* chosen = index >= 0 && index < presets_.size() ? &presets_[index] : nullptr;
    if (chosen && fill) Fill(*chosen);
    hint->setText(chosen ? chosen->hint : QString());
    hint->setVisible(chosen && !chosen->hint.isEmpty());
    microsoftPanel->setVisible(chosen && chosen->login == TLoginMethod::Microsoft);
    if (!chosen || chosen->login != TLoginMethod::Microsoft) signIn_->Cancel();
    LoginEdited(fields_.login->text());
    ShowSignedIn();
    UpdateFields();
}

void ProviderSection::Fill(const ProviderPreset& preset) {
    fields_.smtpServer->setText(preset.smtpServer);
    if (fields_.imapServer && !preset.imapServer.isEmpty()) fields_.imapServer->setText(preset.imapServer);
    fields_.authenticate->setChecked(true);
    emit smtpServerFilled(preset.smtpServer);
}

void ProviderSection::LoginEdited(const QString& text) {
    const auto match = PresetForAddress(presets_, text);
    offered_ = -1;
    if (match && (!Chosen() || Chosen()->id != match->id)) {
        offered_ = provider->findData(match->id);
        offer->setText(QStringLiteral("Použít nastavení: %1").arg(match->name));
    }
    offer->setVisible(offered_ >= 0);
    emit heightChanged();
}

// With Microsoft the account logs in with its token: the password field has nothing to do.
void ProviderSection::UpdateFields() {
    if (Method() == TLoginMethod::Microsoft) {
        fields_.password->setEnabled(false);
        fields_.login->setEnabled(true);
        fields_.login->setPlaceholderText("adresa účtu Microsoft");
    } else {
        fields_.password->setEnabled(fields_.authenticate->isChecked());
        fields_.login->setEnabled(fields_.authenticate->isChecked());
        fields_.login->setPlaceholderText({});
    }
}

bool ProviderSection::KeepRegistration() {
    if (!registration) return true;
    try {
        tokens_.KeepRegistration(registration->Registration());
        return true;
    } catch (const EIniFileException& error) {
        lastSignInMessage_ = QStringLiteral("ID aplikace se nepodařilo uložit: %1").arg(error.what());
        ShowSignedIn();
        return false;
    }
}

void ProviderSection::StartSignIn() {
    if (signIn_->Running()) return;
    lastSignInMessage_.clear();
    if (!KeepRegistration()) return;
    const QString login = fields_.login->text().trimmed();
    const bool imap = fields_.sentCopy && fields_.sentCopy->isChecked();
    signIn_->Start(tokens_.Settings(), MicrosoftScopes(imap), login.contains('@') ? login : QString());
    ShowSignedIn();
}

void ProviderSection::SignInFinished(const MicrosoftSignIn::Result& result) {
    if (result.outcome == MicrosoftSignIn::Outcome::SignedIn) {
        lastSignInMessage_.clear();
        const QString login = fields_.login->text().trimmed();
        tokens_.Adopt(result.tokens, login.contains('@') ? login : QString());
        // Whoever signed in is the login from now on.
        if (!tokens_.Address().isEmpty()) fields_.login->setText(tokens_.Address());
    } else {
        lastSignInMessage_ = result.message;
    }
    ShowSignedIn();
}

// Only for a Microsoft account: whether one is signed in is a read of the refresh token, which may
// ask the keyring, and a password account has no business with it.
void ProviderSection::ShowSignedIn() {
    if (Method() != TLoginMethod::Microsoft) {
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
        if (fields_.sentCopy && fields_.sentCopy->isChecked() && !tokens_.GrantsImap())
            status += QStringLiteral(
                "\nPro kopii odeslané pošty na serveru se přihlaste znovu: toto přihlášení nemá "
                "oprávnění k IMAP.");
    } else {
        status = QStringLiteral("Účet Microsoft není přihlášen.");
    }
    if (!lastSignInMessage_.isEmpty()) status = lastSignInMessage_ + "\n\n" + status;
    signInStatus->setText(status);
    const bool signedIn = tokens_.SignedIn();
    signInButton->setVisible(!waiting);
    signInButton->setEnabled(!problem);
    signOutButton->setVisible(!waiting && signedIn);
    cancelButton->setVisible(waiting);
    emit heightChanged();
}

int ProviderSection::PlaceAtTop(int width) {
    // The panel's texts may have changed since the section last asked it for its height: its size
    // is asked anew, not taken from the section layout's memory.
    microsoftPanel->layout()->invalidate();
    microsoftPanel->updateGeometry();
    layout()->invalidate();
    const int height = hasHeightForWidth() ? heightForWidth(width) : sizeHint().height();
    setGeometry(0, 0, width, height);
    // Laid out now, also in a dialog not shown yet, so every caption has its room from the start.
    layout()->activate();
    if (microsoftPanel->isHidden()) {
        const QMargins margins = layout()->contentsMargins();
        const int panelWidth = width - margins.left() - margins.right();
        microsoftPanel->setGeometry(margins.left(), height, panelWidth,
                                    microsoftPanel->layout()->totalHeightForWidth(panelWidth));
        microsoftPanel->layout()->activate();
        // A hidden widget gets its size without a resize event: the fields' own layout is laid
        // out here too.
        if (registration) registration->layout()->activate();
    }
    return height;
}

void ProviderSection::hideEvent(QHideEvent* event) {
    signIn_->Cancel();
    QWidget::hideEvent(event);
}

}  // namespace quillory
