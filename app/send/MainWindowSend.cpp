#include "app/send/MainWindowSend.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QUrl>

#include "app/AppInfo.h"
#include "app/ErrorHandler.h"
#include "app/ErrorTexts.h"
#include "app/Win1250Text.h"
#include "app/account/MicrosoftTokens.h"
#include "app/account/StoredSmtpAccount.h"
#include "app/desktop/Desktop.h"
#include "app/send/AttachedFiles.h"
#include "app/send/DisplayedLines.h"
#include "app/send/SendProgress.h"
#include "app/send/SendWorker.h"
#include "mail/AddressCheck.h"
#include "mail/IdMessage.h"
#include "mail/MailFilling.h"
#include "mail/MessageId.h"
#include "net/smtp/SmtpAccount.h"
#include "storage/forms/FormStorage.h"

namespace quillory {

namespace {

// Shows a failure of the send (after "Chyba: ") or an error it does not report itself; for a
// delivered message whose copy could not be kept, the one warning that says so.
void ShowOutcome(QWidget& window, TDesktop& desktop, const TSendOutcome& outcome) {
    if (outcome.kind == TSendOutcome::TKind::Delivered && !outcome.copyWarning.isEmpty())
        desktop.ShowMessage(&window, TDesktop::TMessageKind::Warning, kApplicationTitle, outcome.copyWarning);
    if (outcome.kind == TSendOutcome::TKind::Failed && !outcome.userError.isEmpty()) {
        desktop.ShowMessage(&window, TDesktop::TMessageKind::Plain, kApplicationTitle,
                            "Chyba: " + outcome.userError);
    } else if (outcome.kind == TSendOutcome::TKind::Failed && !outcome.error.empty()) {
        desktop.ShowMessage(&window, TDesktop::TMessageKind::Plain, kApplicationTitle,
                            "Chyba: " + FromWin1250(outcome.error));
    }
    if (!outcome.unhandledError.empty()) {
        desktop.ShowMessage(&window, TDesktop::TMessageKind::Error, kApplicationTitle,
                            DefaultErrorText(outcome.unhandledError));
    }
}

}  // namespace

MainWindowSend::MainWindowSend(QWidget& window, TDesktop& desktop, TFormStorage& storage,
                               TAttachedFiles& attached, std::filesystem::path sentArchive,
                               const Fields& fields, Hooks hooks)
    : window_(window),
      desktop_(desktop),
      storage_(storage),
      attached_(attached),
      sentArchive_(std::move(sentArchive)),
      fields_(fields),
      hooks_(std::move(hooks)),
      message_(std::make_unique<TIdMessage>()),
      worker_(std::make_unique<TSendWorker>()) {}

MainWindowSend::~MainWindowSend() = default;

void MainWindowSend::Send() {
    const TSmtpAccount account = ReadSmtpAccount(storage_);
    if (account.server.empty()) {
        desktop_.ShowMessage(&window_, TDesktop::TMessageKind::Information, "Information",
                             "Není vyplněn server odchozí pošty (SMTP)");
        return;
    }
    if (!CheckEmailAddress(ToProgramText(fields_.recipient->text()))) {
        desktop_.ShowMessage(&window_, TDesktop::TMessageKind::Information, "Information",
                             "Emailová adresa příjemce není vyplněna správně");
        return;
    }

    // Nothing happens while an earlier send still runs.
    if (worker_->Running()) return;
    if (!hooks_.confirmPlaceholders(ToProgramText(fields_.subject->currentText()))) return;
    if (!FillMessage()) return;
    worker_->SetAccessTokens(account.oauth.method == TLoginMethod::Microsoft ? hooks_.microsoft().ForWorker()
                                                                             : TAccessTokenSource());
    try {
        worker_->Start(account, *message_, sentArchive_);
    } catch (const Exception&) {
        desktop_.ShowMessage(&window_, TDesktop::TMessageKind::Plain, kApplicationTitle,
                             "Chyba: " + SendErrorText());
        return;
    }
    // The worker's signals are queued: the progress window hears every one of this send.
    auto* progress = new TSendProgress(&window_);
    connect(worker_.get(), &TSendWorker::statusChanged, progress, &TSendProgress::SetStatus);
    connect(worker_.get(), &TSendWorker::progressChanged, progress, &TSendProgress::SetProgress);
    connect(worker_.get(), &TSendWorker::stepChanged, progress, &TSendProgress::SetStep);
    connect(progress, &TSendProgress::cancelRequested, worker_.get(), &TSendWorker::Cancel);
    connect(
        worker_.get(), &TSendWorker::finished, this,
        [this, progress](const TSendOutcome& outcome) {
            progress->hide();
            progress->deleteLater();
            KeepFoundSentFolder(storage_, outcome.foundFolder);
            ShowOutcome(window_, desktop_, outcome);
            if (outcome.kind == TSendOutcome::TKind::Delivered) emit delivered();
        },
        Qt::SingleShotConnection);
    progress->show();
}

bool MainWindowSend::FillMessage() {
    // Every attached file is checked before anything is sent; the writer checks again while it
    // reads them.
    std::vector<TMessageAttachment> files;
    for (const TAttachedFile& file : attached_.FilesToSend()) {
        if (const auto problem = CheckAttachedFile(file)) {
            desktop_.ShowMessage(&window_, TDesktop::TMessageKind::Information, "Information", *problem);
            return false;
        }
        files.push_back(
            {QFile::encodeName(file.path).toStdString(), file.size, ContentTypeOf(file.path).toStdString()});
    }
    TIdMessage& message = *message_;
    const TDisplayedLines body = DisplayedLines(*fields_.preview);
    SetBody(message, body.lines, files, body.utf8 ? "utf-8" : "windows-1250");
    const std::string sender = ToProgramText(fields_.sender->currentText());
    message.From().SetText(sender);
    message.ReplyTo().SetAddressesText(sender);
    message.Recipients().SetAddressesText(ToProgramText(fields_.recipient->text()));
    message.Subject = hooks_.fillSubject(ToProgramText(fields_.subject->currentText()));
    message.CCList().Clear();
    if (fields_.copiesTicked->isChecked())
        AddCopyRecipients(message.CCList(), ToProgramText(fields_.copies->text()));
    // Every message gets an id of its own: the copy in the Sent folder carries the same one.
    message.ExtraHeaders().SetHeaderValue("Message-ID", NewMessageId(message.From().Address()));
    return true;
}

void MainWindowSend::OpenSentArchive() {
    const QString folder = QString::fromStdString(sentArchive_.string());
    // The folder is made here when no message has been archived yet, so the file manager opens it.
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    desktop_.OpenUrl(QUrl::fromLocalFile(folder).toString());
}

}  // namespace quillory
