// The send command: the preview goes out as an e-mail through the SMTP server of the settings.
// The send runs beside the user-interface thread behind a modal progress window, so the window
// repaints and the user can cancel; the results are shown when it has ended.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "app/AppInfo.h"
#include "app/Desktop.h"
#include "app/ErrorHandler.h"
#include "app/MainWindow.h"
#include "app/Win1250Text.h"
#include "app/send/AddressCheck.h"
#include "app/send/DisplayedLines.h"
#include "app/send/MailFilling.h"
#include "app/send/SendProgress.h"
#include "app/send/SendWorker.h"
#include "app/send/ServerAddress.h"
#include "mail/IdMessage.h"
#include "net/IdSMTP.h"
#include "storage/Variant.h"
#include "storage/forms/FormStorage.h"

namespace quillory {

namespace {

constexpr int kImplicitTLSPort = 465;

// Starts the send beside the user-interface thread behind a modal progress window of `window`;
// the outcome is shown when it has ended. Nothing happens while an earlier send still runs.
void StartSend(QWidget& window, TDesktop& desktop, TSendWorker& sender, const TIdSMTP& smtp,
               const TIdMessage& message) {
    if (sender.Running()) return;

    auto* progress = new TSendProgress(&window);
    QObject::connect(&sender, &TSendWorker::statusChanged, progress, &TSendProgress::SetStatus);
    QObject::connect(progress, &TSendProgress::cancelRequested, &sender, &TSendWorker::Cancel);
    QObject::connect(
        &sender, &TSendWorker::finished, &window,
        [&window, &desktop, progress](const TSendOutcome& outcome) {
            progress->hide();
            progress->deleteLater();
            if (outcome.kind == TSendOutcome::TKind::Failed && !outcome.error.empty()) {
                desktop.ShowMessage(&window, TDesktop::TMessageKind::Plain, kApplicationTitle,
                                    "Chyba: " + FromWin1250(outcome.error));
            }
            if (!outcome.unhandledError.empty()) {
                desktop.ShowMessage(&window, TDesktop::TMessageKind::Error, kApplicationTitle,
                                    DefaultErrorText(outcome.unhandledError));
            }
        },
        Qt::SingleShotConnection);
    progress->show();
    sender.Start(smtp, message);
}

}  // namespace

void TForm1::sBitBtn6Click() {
    const TFormStorage& storage = *FormStorage1;
    if (VarToStr(storage.ReadStoredValue("smtpserver")).empty()) {
        desktop_.ShowMessage(this, TDesktop::TMessageKind::Information, "Information",
                             "Není vyplněn server odchozí pošty (SMTP)");
        return;
    }
    if (!CheckEmailAddress(ToWin1250(sEdit1->text()))) {
        desktop_.ShowMessage(this, TDesktop::TMessageKind::Information, "Information",
                             "Emailová adresa příjemce není vyplněna správně");
        return;
    }

    TIdMessage& message = *IdMessage1;
    SetPlainTextBody(message, DisplayedLines(*Memo1));
    const std::string sender = ToWin1250(lists_[4].combo->currentText());
    message.From().SetText(sender);
    message.ReplyTo().SetAddressesText(sender);
    message.Recipients().SetAddressesText(ToWin1250(sEdit1->text()));
    message.Subject = ToWin1250(lists_[3].combo->currentText());
    message.CCList().Clear();
    if (sCheckBox12->isChecked()) AddCopyRecipients(message.CCList(), ToWin1250(sEdit3->text()));

    TIdSMTP& smtp = *IdSMTP1;
    // With authentication off no login is attempted, even when the server offers one.
    const bool authenticate = VarToBool(storage.ReadStoredValue("smtpovereni"));
    smtp.SetAuthenticationType(authenticate ? TAuthenticationType::atLogin : TAuthenticationType::atNone);
    smtp.Username = authenticate ? VarToStr(storage.ReadStoredValue("smtplogin")) : std::string();
    smtp.Password = authenticate ? VarToStr(storage.ReadStoredValue("smtpheslo")) : std::string();

    try {
        const TServerAddress server = ParseServerAddress(VarToStr(storage.ReadStoredValue("smtpserver")));
        smtp.Host = server.host;
        smtp.Port = server.port;
        // The submission port 465 speaks TLS from the first byte; on any other port the
        // connection is secured with STARTTLS whenever the server offers it.
        smtp.Security =
            server.port == kImplicitTLSPort ? TSmtpSecurity::ImplicitTLS : TSmtpSecurity::StartTLSWhenOffered;
    } catch (const Exception& error) {
        desktop_.ShowMessage(this, TDesktop::TMessageKind::Plain, kApplicationTitle,
                             "Chyba: " + FromWin1250(error.Message()));
        return;
    }
    StartSend(*this, desktop_, *sender_, smtp, message);
}

}  // namespace quillory
