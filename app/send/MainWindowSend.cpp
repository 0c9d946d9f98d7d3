// The send command: the preview goes out as an e-mail through the SMTP server of the settings.
// The send runs beside the user-interface thread behind a modal progress window, so the window
// repaints and the user can cancel; the results are shown when it has ended.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/AppInfo.h"
#include "app/ErrorHandler.h"
#include "app/MainWindow.h"
#include "app/Win1250Text.h"
#include "app/account/StoredSmtpAccount.h"
#include "app/desktop/Desktop.h"
#include "app/send/AddressCheck.h"
#include "app/send/AttachedFiles.h"
#include "app/send/DisplayedLines.h"
#include "app/send/MailFilling.h"
#include "app/send/SendProgress.h"
#include "app/send/SendWorker.h"
#include "mail/IdMessage.h"
#include "net/SmtpAccount.h"

namespace quillory {

namespace {

// Shows a failure of the send (after "Chyba: ") or an error it does not report itself.
void ShowOutcome(QWidget& window, TDesktop& desktop, const TSendOutcome& outcome) {
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
    if (!CheckEmailAddress(ToWin1250(sEdit1->text()))) {
        desktop_.ShowMessage(this, TDesktop::TMessageKind::Information, "Information",
                             "Emailová adresa příjemce není vyplněna správně");
        return;
    }

    // Nothing happens while an earlier send still runs.
    if (sender_->Running()) return;
    if (!ConfirmEmptyPlaceholders()) return;
    if (!FillMessage()) return;
    try {
        sender_->Start(account, *IdMessage1);
    } catch (const Exception& error) {
        desktop_.ShowMessage(this, TDesktop::TMessageKind::Plain, kApplicationTitle,
                             "Chyba: " + FromWin1250(error.Message()));
        return;
    }
    // The worker's signals are queued: the progress window hears every one of this send.
    auto* progress = new TSendProgress(this);
    connect(sender_.get(), &TSendWorker::statusChanged, progress, &TSendProgress::SetStatus);
    connect(sender_.get(), &TSendWorker::progressChanged, progress, &TSendProgress::SetProgress);
    connect(progress, &TSendProgress::cancelRequested, sender_.get(), &TSendWorker::Cancel);
    connect(
        sender_.get(), &TSendWorker::finished, this,
        [this, progress, recipients = MessageRecipients()](const TSendOutcome& outcome) {
            progress->hide();
            progress->deleteLater();
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
    SetBody(message, DisplayedLines(*Memo1), files);
    const std::string sender = ToWin1250(lists_[4].combo->currentText());
    message.From().SetText(sender);
    message.ReplyTo().SetAddressesText(sender);
    message.Recipients().SetAddressesText(ToWin1250(sEdit1->text()));
    message.Subject = FilledSubject().text;
    message.CCList().Clear();
    if (sCheckBox12->isChecked()) AddCopyRecipients(message.CCList(), ToWin1250(sEdit3->text()));
    return true;
}

}  // namespace quillory
