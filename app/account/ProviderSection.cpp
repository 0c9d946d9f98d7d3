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
#include "app/account/MicrosoftSignInPanel.h"
#include "app/account/MicrosoftTokens.h"
#include "net/smtp/SmtpAccount.h"

namespace quillory {

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

    hint = MakeDialogText("ProviderHint", this);
    hint->setTextFormat(Qt::RichText);
    hint->setOpenExternalLinks(true);
    hint->setTextInteractionFlags(Qt::TextBrowserInteraction);
    column->addWidget(hint);
    offer = MakeDialogButton({}, "ProviderOffer", this);
    column->addWidget(offer);

    microsoftPanel = new MicrosoftSignInPanel(this, tokens_, *fields_.login, fields_.sentCopy);
    column->addWidget(microsoftPanel);

    connect(provider, &QComboBox::activated, this, [this](int index) { Choose(index, true); });
    connect(offer, &QPushButton::clicked, this, [this] {
        if (offered_ < 0) return;
        provider->setCurrentIndex(offered_);
        Choose(offered_, true);
    });
    connect(fields_.login, &QLineEdit::textEdited, this, &ProviderSection::LoginEdited);
    // After the dialog's own handler, which enables the login fields with the box.
    connect(fields_.authenticate, &QCheckBox::toggled, this, &ProviderSection::UpdateFields);
    connect(microsoftPanel, &MicrosoftSignInPanel::heightChanged, this, &ProviderSection::heightChanged);
    connect(&tokens_, &MicrosoftTokens::signInChanged, microsoftPanel, &MicrosoftSignInPanel::ShowSignedIn);
    if (fields_.sentCopy)
        connect(fields_.sentCopy, &QCheckBox::toggled, microsoftPanel, &MicrosoftSignInPanel::ShowSignedIn);
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
    microsoftPanel->Load();
    Choose(provider->currentIndex(), false);
}

void ProviderSection::Store(TSmtpAccount& account) const {
    const ProviderPreset* chosen = Chosen();
    account.oauth.provider = chosen ? chosen->id.toStdString() : std::string();
    account.oauth.method = Method();
    account.oauth.address = tokens_.Address().toUtf8().toStdString();
    if (account.oauth.method == TLoginMethod::Microsoft) account.authenticate = true;
}

bool ProviderSection::KeepRegistration() { return microsoftPanel->KeepRegistration(); }

void ProviderSection::Clear() {
    provider->setCurrentIndex(provider->count() - 1);
    microsoftPanel->ForgetLastMessage();
    Choose(provider->currentIndex(), false);
}

void ProviderSection::Choose(int index, bool fill) {
    const ProviderPreset* chosen = index >= 0 && index < presets_.size() ? &presets_[index] : nullptr;
    if (chosen && fill) Fill(*chosen);
    hint->setText(chosen ? chosen->hint : QString());
    hint->setVisible(chosen && !chosen->hint.isEmpty());
    microsoftPanel->SetChosen(chosen && chosen->login == TLoginMethod::Microsoft);
    LoginEdited(fields_.login->text());
    microsoftPanel->ShowSignedIn();
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
        if (microsoftPanel->registration) microsoftPanel->registration->layout()->activate();
    }
    return height;
}

void ProviderSection::hideEvent(QHideEvent* event) {
    microsoftPanel->Cancel();
    QWidget::hideEvent(event);
}

}  // namespace quillory
