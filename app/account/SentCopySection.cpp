#include "app/account/SentCopySection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/Win1250Text.h"
#include "app/account/DialogLook.h"
#include "app/account/ImapFolderFetch.h"
#include "delivery/SentCopyAccount.h"
#include "net/imap/ImapClient.h"
#include "net/smtp/SmtpAccount.h"

namespace quillory {

namespace {

QString Display(const QString& wireName) {
    return QString::fromStdString(DecodeImapFolderName(wireName.toStdString()));
}

}  // namespace

SentCopySection::SentCopySection(QWidget* parent) : QWidget(parent) {
    setObjectName("SentCopySection");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(3);
    grid->addWidget(MakeDialogCaption("Kopie odeslané pošty", this), 0, 0, 1, 3);

    toServer = new QCheckBox("Ukládat kopii do složky Odeslané na serveru", this);
    toServer->setObjectName("SentCopyToServer");
    grid->addWidget(toServer, 1, 0, 1, 3);
    note = new QLabel(this);
    note->setObjectName("SentCopyNote");
    note->setWordWrap(true);
    note->hide();
    grid->addWidget(note, 2, 0, 1, 3);

    grid->addWidget(MakeDialogCaption("Příchozí pošta (IMAP)", this), 3, 0, 1, 3);
    server = new QLineEdit(this);
    server->setObjectName("SentCopyServer");
    server->setPlaceholderText("imap.example.cz:993");
    ColourDialogField(*server);
    grid->addWidget(server, 4, 0, 1, 3);

    ownLogin = new QCheckBox("Jiné přihlášení než k odchozí poště", this);
    ownLogin->setObjectName("SentCopyOwnLogin");
    grid->addWidget(ownLogin, 5, 0, 1, 3);
    grid->addWidget(MakeDialogCaption("Název účtu", this), 6, 0);
    login = new QLineEdit(this);
    login->setObjectName("SentCopyLogin");
    ColourDialogField(*login);
    grid->addWidget(login, 6, 1, 1, 2);
    grid->addWidget(MakeDialogCaption("Heslo", this), 7, 0);
    password = new QLineEdit(this);
    password->setObjectName("SentCopyPassword");
    password->setEchoMode(QLineEdit::Password);
    ColourDialogField(*password);
    grid->addWidget(password, 7, 1, 1, 2);

    grid->addWidget(MakeDialogCaption("Složka", this), 8, 0);
    folder = new QComboBox(this);
    folder->setObjectName("SentCopyFolder");
    folder->addItem("(najde se při prvním odeslání)", QString());
    grid->addWidget(folder, 8, 1);
    fetch = new QPushButton("Načíst složky", this);
    fetch->setObjectName("SentCopyFetch");
    fetch->setAutoDefault(false);
    grid->addWidget(fetch, 8, 2);

    localArchive = new QCheckBox("Ukládat kopii také do archivu v datové složce (Odeslané)", this);
    localArchive->setObjectName("SentCopyLocalArchive");
    grid->addWidget(localArchive, 9, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    fetcher_ = new ImapFolderFetch(this);
    connect(toServer, &QCheckBox::toggled, this, &SentCopySection::UpdateEnabled);
    connect(ownLogin, &QCheckBox::toggled, this, &SentCopySection::UpdateEnabled);
    connect(fetch, &QPushButton::clicked, this, &SentCopySection::fetchRequested);
    connect(fetcher_, &ImapFolderFetch::finished, this,
            [this](const std::vector<TImapFolder>& folders, const QString& sent, const QString& error) {
                fetch->setEnabled(toServer->isChecked());
                if (!error.isEmpty()) {
                    ShowNote("Složky nelze načíst: " + error);
                    return;
                }
                const QString chosen = folder->currentData().toString();
                for (const TImapFolder& found : folders) {
                    if (found.Selectable()) SelectFolder(QString::fromStdString(found.wireName));
                }
                SelectFolder(!chosen.isEmpty() ? chosen : sent);
                ShowNote(sent.isEmpty()
                             ? QStringLiteral("Server nemá složku označenou jako Odeslané; vyberte ji.")
                             : QStringLiteral("Složka Odeslané na serveru: %1").arg(Display(sent)));
            });
    UpdateEnabled();
}

SentCopySection::~SentCopySection() = default;

void SentCopySection::UpdateEnabled() {
    const bool on = toServer->isChecked();
    for (QWidget* field :
         {static_cast<QWidget*>(server), static_cast<QWidget*>(ownLogin), static_cast<QWidget*>(folder)})
        field->setEnabled(on);
    fetch->setEnabled(on && !fetcher_->Running());
    login->setEnabled(on && ownLogin->isChecked());
    password->setEnabled(on && ownLogin->isChecked());
}

void SentCopySection::ShowNote(const QString& text) {
    note->setText(text);
    note->show();
    emit heightChanged();
}

void SentCopySection::HideNote() {
    if (note->isHidden()) return;
    note->hide();
    emit heightChanged();
}

int SentCopySection::PlaceAt(int top, int width) {
    layout()->invalidate();
    const int height =
        layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width) : sizeHint().height();
    setGeometry(0, top, width, height);
    // Laid out now, also in a dialog not shown yet, so every field has its place from the start.
    layout()->activate();
    return height;
}

void SentCopySection::SelectFolder(const QString& wireName) {
    if (wireName.isEmpty()) {
        folder->setCurrentIndex(0);
        return;
    }
    int index = folder->findData(wireName);
    if (index < 0) {
        folder->addItem(Display(wireName), wireName);
        index = folder->count() - 1;
    }
    folder->setCurrentIndex(index);
}

void SentCopySection::Load(const TSentCopySettings& settings) {
    toServer->setChecked(settings.toServer);
    server->setText(FromWin1250(settings.server));
    ownLogin->setChecked(settings.ownLogin);
    login->setText(FromWin1250(settings.login));
    password->setText(FromWin1250(settings.password));
    while (folder->count() > 1) folder->removeItem(1);
    SelectFolder(QString::fromStdString(settings.folder));
    localArchive->setChecked(settings.localArchive);
    HideNote();
    UpdateEnabled();
}

TSentCopySettings SentCopySection::Settings() const {
    TSentCopySettings settings;
    settings.toServer = toServer->isChecked();
    settings.server = ToWin1250(server->text().trimmed());
    settings.ownLogin = ownLogin->isChecked();
    settings.login = ToWin1250(login->text());
    if (settings.ownLogin) settings.password = ToWin1250(password->text());
    settings.folder = folder->currentData().toString().toStdString();
    settings.localArchive = localArchive->isChecked();
    return settings;
}

void SentCopySection::Clear() {
    TSentCopySettings empty;
    empty.localArchive = true;
    Load(empty);
}

void SentCopySection::OutgoingServerChanged(const QString& text) {
    const bool files = ProviderFilesSentCopy(ToWin1250(text));
    if (files == providerFiles_) return;
    providerFiles_ = files;
    if (files) {
        toServer->setChecked(false);
        ShowNote(
            "Tento poskytovatel ukládá odeslanou poštu do složky Odeslané sám; další kopie by tam byla "
            "dvakrát.");
    } else {
        HideNote();
    }
}

void SentCopySection::FetchFolders(const TSmtpAccount& account, TAccessTokenSource tokens) {
    if (fetcher_->Running()) return;
    fetch->setEnabled(false);
    ShowNote("Načítají se složky…");
    fetcher_->Start(account, std::move(tokens));
}

}  // namespace quillory
