#include "app/account/SmtpSettingsDialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

#include "app/Win1250Text.h"
#include "app/account/DialogLook.h"
#include "app/account/MicrosoftTokens.h"
#include "app/account/PasswordAtRest.h"
#include "app/account/ProviderSection.h"
#include "app/account/SentCopySection.h"
#include "app/account/StoredSmtpAccount.h"
#include "storage/forms/FormStorage.h"

namespace quillory {

TForm2::TForm2(TFormStorage& storage, const TPasswordAtRest& password, QWidget& mainWindow,
               MicrosoftTokens& microsoft, QVector<ProviderPreset> presets)
    : QDialog(&mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                               Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      storage_(storage),
      password_(password),
      mainWindow_(mainWindow) {
    setObjectName("Form2");
    setWindowTitle("Nastavení odchozí pošty");
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);
    auto* sPanel1 = new QFrame(this);
    sPanel1->setObjectName("sPanel1");

    MakeLabel(sPanel1, "sLabel1", "Odchozí pošta (SMTP)", {12, 16});
    sEdit1 = MakeEdit(sPanel1, "sEdit1", {8, 32, 341, 24});
    QFont serverFont = sEdit1->font();
    serverFont.setPixelSize(13);
    sEdit1->setFont(serverFont);
    sCheckBox1 = new QCheckBox("Server požaduje ověření", sPanel1);
    sCheckBox1->setObjectName("sCheckBox1");
    sCheckBox1->setGeometry(8, 80, 168, 19);
    QFont bold = sCheckBox1->font();
    bold.setBold(true);
    sCheckBox1->setFont(bold);
    // The bold caption needs a few pixels more in the fonts a Linux desktop offers than the width
    // the dialog was laid out for; the box grows into the empty room at its right.
    sCheckBox1->resize(std::max(sCheckBox1->width(), sCheckBox1->sizeHint().width()), sCheckBox1->height());
    MakeLabel(sPanel1, "sLabel2", "Název účtu", {12, 108});
    sEdit2 = MakeEdit(sPanel1, "sEdit2", {8, 124, 337, 24});
    MakeLabel(sPanel1, "sLabel3", "Heslo", {16, 156});
    sLabel4 = new QLabel(sPanel1);
    sLabel4->setObjectName("sLabel4");
    sLabel4->setGeometry(56, 156, 289, 14);
    sEdit3 = MakeEdit(sPanel1, "sEdit3", {8, 172, 337, 24});
    sEdit3->setEchoMode(QLineEdit::Password);
    // The section on the copy of sent messages goes between the account and the buttons.
    sentCopy = new SentCopySection(sPanel1);
    sBitBtn1 = MakeButton(sPanel1, "sBitBtn1", "Ok", {196, 0, 69, 25});
    sBitBtn2 = MakeButton(sPanel1, "sBitBtn2", "Zrušit", {272, 0, 69, 25});
    // The provider's choice, its hint and the Microsoft sign-in above the fields, which move down
    // by its height; the copy section as tall as its note needs, the buttons below it.
    provider =
        new ProviderSection(this, {sEdit1, sCheckBox1, sEdit2, sEdit3, sentCopy->server, sentCopy->toServer},
                            microsoft, std::move(presets));
    const auto placeSections = [this, sPanel1] {
        const int buttonsTop = 204 + sentCopy->PlaceAt(204, 357) + 8;
        sBitBtn1->move(196, buttonsTop);
        sBitBtn2->move(272, buttonsTop);
        const int top = provider->PlaceAtTop(357);
        sPanel1->setGeometry(0, top, 357, buttonsTop + 33);
        setFixedSize(357, top + buttonsTop + 33);
    };
    placeSections();
    connect(provider, &ProviderSection::heightChanged, this, placeSections);
    connect(sentCopy, &SentCopySection::heightChanged, this, placeSections);
    connect(provider, &ProviderSection::smtpServerFilled, sentCopy, &SentCopySection::OutgoingServerChanged);

    connect(sCheckBox1, &QCheckBox::toggled, this, &TForm2::sCheckBox1Click);
    connect(sEdit1, &QLineEdit::textEdited, sentCopy, &SentCopySection::OutgoingServerChanged);
    connect(sentCopy, &SentCopySection::fetchRequested, this, [this, &microsoft] {
        const TSmtpAccount account = ShownAccount();
        sentCopy->FetchFolders(account, account.oauth.method == TLoginMethod::Microsoft
                                            ? microsoft.ForWorker()
                                            : TAccessTokenSource());
    });
    connect(sBitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(sBitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

QLabel* TForm2::MakeLabel(QWidget* parent, const char* name, const QString& caption, QPoint at) {
    QLabel* label = MakeDialogCaption(caption, parent);
    label->setObjectName(name);
    label->move(at);
    label->adjustSize();
    return label;
}

QLineEdit* TForm2::MakeEdit(QWidget* parent, const char* name, const QRect& geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    ColourDialogField(*edit);
    return edit;
}

// Neither button is the default one, so Enter in a field does not close the dialog.
QPushButton* TForm2::MakeButton(QWidget* parent, const char* name, const QString& caption,
                                const QRect& geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Opens 330 right of and 160 below the main window's outer corner, with the stored values; the
// account fields are loaded only when authentication is on.
void TForm2::FormShow() {
    move(mainWindow_.pos() + QPoint(330, 160));
    // Reading the account asks the keyring for the password, if no use has yet, and so settles
    // where it is kept.
    const TSmtpAccount account = ReadSmtpAccount(storage_);
    sLabel4->setText(password_.PlaceText());
    sEdit1->setText(FromWin1250(account.server));
    sCheckBox1->setChecked(account.authenticate);
    sEdit2->setEnabled(account.authenticate);
    sEdit3->setEnabled(account.authenticate);
    if (account.authenticate) {
        sEdit2->setText(FromWin1250(account.login));
        sEdit3->setText(FromWin1250(account.password));
    }
    sentCopy->Load(account.sentCopy);
    provider->Load(account);
}

void TForm2::sCheckBox1Click() {
    sEdit2->setEnabled(sCheckBox1->isChecked());
    sEdit3->setEnabled(sCheckBox1->isChecked());
}

void TForm2::StoreFields() {
    TSmtpAccount account = ReadSmtpAccount(storage_);
    account.server = ToWin1250(sEdit1->text());
    account.authenticate = sCheckBox1->isChecked();
    if (account.authenticate) {
        account.login = ToWin1250(sEdit2->text());
        account.password = ToWin1250(sEdit3->text());
    }
    account.sentCopy = sentCopy->Settings();
    provider->Store(account);
    if (account.oauth.method == TLoginMethod::Microsoft) provider->KeepRegistration();
    WriteSmtpAccount(storage_, account);
}

TSmtpAccount TForm2::ShownAccount() const {
    TSmtpAccount account;
    account.server = ToWin1250(sEdit1->text());
    account.authenticate = sCheckBox1->isChecked();
    account.login = ToWin1250(sEdit2->text());
    account.password = ToWin1250(sEdit3->text());
    account.sentCopy = sentCopy->Settings();
    provider->Store(account);
    return account;
}

}  // namespace quillory
