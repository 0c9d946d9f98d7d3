// The send command: the preview goes out as an e-mail through the SMTP server of the settings.
// The send runs beside the user-interface thread behind a modal progress window, so the window
// repaints and the user can cancel; the results are shown when it has ended.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QUrl>

#include "app/AppInfo.h"
#include "app/ErrorHandler.h"
#include "app/MainWindow.h"
#include "app/Win1250Text.h"
#include "app/account/MicrosoftTokens.h"
#include "app/account/StoredSmtpAccount.h"
#include "app/desktop/Desktop.h"
#include "app/send/AddressCheck.h"
#include "app/send/AttachedFiles.h"
#include "app/send/DisplayedLines.h"
#include "app/send/MailFilling.h"
#include "app/send/SendProgress.h"
#include "app/send/SendWorker.h"
#include "mail/IdMessage.h"
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

void TForm1::sBitBtn6Click() {
    const TSmtpAccount account = ReadSmtpAccount(*FormStorage1);
    if (account.server.empty()) {
        desktop_.ShowMessage(this, TDesktop::TMessageKind::Information, "Information",
                             "Není vyplněn server odchozí pošty (SMTP)");
        return;
    }
    if (!CheckEmailAddress(ToProgramText(sEdit1->text()))) {
        desktop_.ShowMessage(this, TDesktop::TMessageKind::Information, "Information",
                             "Emailová adresa příjemce není vyplněna správně");
        return;
    }

    // Nothing happens while an earlier send still runs.
    if (sender_->Running()) return;
    if (!ConfirmEmptyPlaceholders()) return;
    if (!FillMessage()) return;
    sender_->SetAccessTokens(account.oauth.method == TLoginMethod::Microsoft ? microsoft_->ForWorker()
                                                                             : TAccessTokenSource());
    try {
        sender_->Start(account, *IdMessage1, SentArchiveFolder());
    } catch (const Exception& error) {
        desktop_.ShowMessage(this, TDesktop::TMessageKind::Plain, kApplicationTitle,
                             "Chyba: " + FromWin1250(error.Message()));
        return;
    }
    // The worker's signals are queued: the progress window hears every one of this send.
    auto* progress = new TSendProgress(this);
    connect(sender_.get(), &TSendWorker::statusChanged, progress, &TSendProgress::SetStatus);
    connect(sender_.get(), &TSendWorker::progressChanged, progress, &TSendProgress::SetProgress);
    connect(sender_.get(), &TSendWorker::stepChanged, progress, &TSendProgress::SetStep);
    connect(progress, &TSendProgress::cancelRequested, sender_.get(), &TSendWorker::Cancel);
    connect(
        sender_.get(), &TSendWorker::finished, this,
        [this, progress, recipients = MessageRecipients()](const TSendOutcome& outcome) {
            progress->hide();
            progress->deleteLater();
            KeepFoundSentFolder(*FormStorage1, outcome.foundFolder);
            ShowOutcome(*this, desktop_, outcome);
            if (outcome.kind == TSendOutcome::TKind::Delivered) LearnRecipients(recipients);
        },
        Qt::SingleShotConnection);
    progress->show();
}

bool TForm1::FillMessage() {
    // Every attached file is checked before anything is sent; the writer checks again while it
    // reads them.
    std::vector<TMessageAttachment> files;
    for (const TAttachedFile& file : attachedFiles_->FilesToSend()) {
        if (const auto problem = CheckAttachedFile(file)) {
            desktop_.ShowMessage(this, TDesktop::TMessageKind::Information, "Information", *problem);
            return false;
        }
        files.push_back(
            {QFile::encodeName(file.path).toStdString(), file.size, ContentTypeOf(file.path).toStdString()});
    }
    TIdMessage& message = *IdMessage1;
    const TDisplayedLines body = DisplayedLines(*Memo1);
    SetBody(message, body.lines, files, body.utf8 ? "utf-8" : "windows-1250");
    const std::string sender = ToProgramText(lists_[4].combo->currentText());
    message.From().SetText(sender);
    message.ReplyTo().SetAddressesText(sender);
    message.Recipients().SetAddressesText(ToProgramText(sEdit1->text()));
    message.Subject = FilledSubject().text;
    message.CCList().Clear();
    if (sCheckBox12->isChecked()) AddCopyRecipients(message.CCList(), ToProgramText(sEdit3->text()));
    // Every message gets an id of its own: the copy in the Sent folder carries the same one.
    message.ExtraHeaders().SetHeaderValue("Message-ID", NewMessageId(message.From().Address()));
    return true;
}

std::filesystem::path TForm1::SentArchiveFolder() const { return folders_.Data() / "Odeslané"; }

void TForm1::OdeslanaPosta1Click() {
    const QString folder = QString::fromStdString(SentArchiveFolder().string());
    // The folder is made here when no message has been archived yet, so the file manager opens it.
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    desktop_.OpenUrl(QUrl::fromLocalFile(folder).toString());
}

}  // namespace quillory
