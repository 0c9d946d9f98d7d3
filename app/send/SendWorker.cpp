#include "app/send/SendWorker.h"

#include <QFile>
#include <QLocale>

#include <exception>

#include "app/Win1250Text.h"
#include "app/account/AccountErrorText.h"
#include "app/send/AttachedFiles.h"
#include "app/send/SentCopy.h"
#include "core/Exception.h"
#include "mail/IdException.h"
#include "mail/IdMessage.h"
#include "net/imap/ImapClient.h"
#include "net/smtp/IdSMTP.h"
#include "net/smtp/SmtpAccount.h"

namespace quillory {

namespace {

QString FormatBytes(std::int64_t bytes) {
    return QLocale(QLocale::Czech, QLocale::CzechRepublic).toString(static_cast<qint64>(bytes));
}

QString Quoted(const std::string& fileName) {
    return QStringLiteral("„%1“").arg(QFile::decodeName(QByteArray::fromStdString(fileName)));
}

// The Czech text of an error the program can tell more about; empty for the others.
QString UserErrorText() {
    try {
        throw;
    } catch (const EIdSMTPMessageTooLarge& error) {
        return QStringLiteral(
                   "Zpráva je pro server příliš velká: má %1 (%2 bajtů), server přijme nejvýše %3 (%4 "
                   "bajtů). Zmenšete nebo odeberte přílohy.")
            .arg(FormatSize(error.Size()), FormatBytes(error.Size()), FormatSize(error.Limit()),
                 FormatBytes(error.Limit()));
    } catch (const EIdAttachmentError& error) {
        const QString name = Quoted(error.FileName());
        switch (error.Kind()) {
        case EIdAttachmentError::TKind::Vanished:
            return QStringLiteral("Přiložený soubor %1 během odesílání zmizel. Zpráva nebyla odeslána.")
                .arg(name);
        case EIdAttachmentError::TKind::Unreadable:
            return QStringLiteral("Přiložený soubor %1 nelze přečíst. Zpráva nebyla odeslána.").arg(name);
        case EIdAttachmentError::TKind::SizeChanged:
            break;
        }
        return QStringLiteral(
                   "Přiložený soubor %1 se během odesílání změnil (při přiložení %2 bajtů, při "
                   "odesílání %3 bajtů). Zpráva nebyla odeslána.")
            .arg(name, FormatBytes(error.ExpectedSize()), FormatBytes(error.FoundSize()));
    } catch (...) {
        return AccountErrorText();
    }
}

// The text of the exception being handled; true when it is one of the program's own errors.
bool CurrentError(std::string& message) {
    try {
        throw;
    } catch (const Exception& error) {
        message = error.Message();
        return true;
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
        message = "Unknown error";
    }
    return false;
}

}  // namespace

TSendWorker::TSendWorker(QObject* parent) : QObject(parent) {}

TSendWorker::~TSendWorker() {
    Cancel();
    if (thread_.joinable()) thread_.join();
}

void TSendWorker::Start(const TSmtpAccount& account, const TIdMessage& message,
                        const std::filesystem::path& archiveFolder) {
    if (running_) return;
    if (thread_.joinable()) thread_.join();
    auto client = std::make_unique<TIdSMTP>();
    client->Apply(account);
    IdSMTP1 = std::move(client);
    copy_ = std::make_unique<SentCopy>(account, archiveFolder, message.Subject, std::time(nullptr));
    if (copy_->Wanted())
        IdSMTP1->OnMessageText = [copy = copy_.get()](std::string_view bytes) { copy->Append(bytes); };
    imap_.reset();
    if (account.sentCopy.toServer) {
        imap_ = std::make_unique<ImapClient>();
        ReportFrom(*imap_);
    }
    ReportFrom(*IdSMTP1);
    running_ = true;
    thread_ = std::thread(&TSendWorker::Run, this, message, account.connectTimeoutMs);
}

void TSendWorker::ReportFrom(TIdComponent& client) {
    client.OnStatus = [this](TIdComponent&, TIdStatus, const std::string& text) {
        const QString status = QString::fromStdString(text);
        QMetaObject::invokeMethod(
            this, [this, status] { emit statusChanged(status); }, Qt::QueuedConnection);
    };
    // Progress of the message text (or its copy): the span of its write, as bytes sent of its size.
    client.OnWorkBegin = [this](TIdComponent&, TWorkMode mode, long long expected) {
        if (mode != TWorkMode::wmWrite) return;
        workTotal_ = expected;
        ReportProgress(0);
    };
    client.OnWork = [this](TIdComponent&, TWorkMode mode, long long position) {
        if (mode == TWorkMode::wmWrite) ReportProgress(position);
    };
}

void TSendWorker::ReportProgress(long long sent) {
    const qint64 total = workTotal_;
    QMetaObject::invokeMethod(
        this, [this, sent, total] { emit progressChanged(sent, total); }, Qt::QueuedConnection);
}

void TSendWorker::Cancel() {
    if (IdSMTP1) IdSMTP1->Interrupt();
    if (imap_) imap_->Interrupt();
}

void TSendWorker::Run(TIdMessage message, int connectTimeoutMs) {
    TIdSMTP& smtp = *IdSMTP1;
    TSendOutcome outcome;
    bool delivered = false;
    try {
        ConnectAndSend(smtp, message, connectTimeoutMs, tokens_);
        delivered = true;
    } catch (...) {
        std::string text;
        outcome.kind = TSendOutcome::TKind::Failed;
        (CurrentError(text) ? outcome.error : outcome.unhandledError) = text;
        outcome.userError = UserErrorText();
    }
    try {
        if (smtp.Connected()) smtp.CloseConnection();
    } catch (...) {
        std::string text;
        // The server took the message with its 250: a goodbye that fails after that (a server
        // that resets the connection at once) leaves the message delivered, and telling the user
        // otherwise would have the message sent twice.
        const bool ours = CurrentError(text);
        if (!(delivered && ours) && outcome.unhandledError.empty()) outcome.unhandledError = text;
    }
    if (smtp.Interrupted() && !delivered) outcome = {TSendOutcome::TKind::Cancelled, {}, {}, {}, {}, {}};
    if (delivered) KeepCopy(outcome);
    QMetaObject::invokeMethod(
        this, [this, outcome] { Finish(outcome); }, Qt::QueuedConnection);
}

void TSendWorker::KeepCopy(TSendOutcome& outcome) {
    QStringList problems;
    if (const auto archiveError = copy_->Archive())
        problems << QStringLiteral("Do archivu odeslané pošty ji nelze uložit: %1.")
                        .arg(QString::fromStdString(*archiveError));
    if (imap_) {
        QMetaObject::invokeMethod(
            this, [this] { emit stepChanged(TSendStep::CopyToServer); }, Qt::QueuedConnection);
        TAccessToken token;
        if (tokens_) {
            token = [this](bool renew) { return tokens_(renew, [this] { return imap_->Interrupted(); }); };
        }
        try {
            copy_->StoreOnServer(*imap_, token);
            outcome.foundFolder = copy_->Folder();
        } catch (...) {
            std::string text;
            CurrentError(text);
            QString reason = SentCopyErrorText();
            if (reason.isEmpty()) reason = FromWin1250(text).trimmed();
            if (imap_->Interrupted()) reason = QStringLiteral("ukládání bylo zrušeno");
            problems << QStringLiteral("Kopii do složky Odeslané na serveru nelze uložit: %1.").arg(reason);
        }
        try {
            if (imap_->IsConnected()) imap_->CloseConnection();
        } catch (...) {
            // The copy is stored or its failure told: a close that fails after that changes nothing.
        }
    }
    if (!problems.isEmpty())
        outcome.copyWarning =
            QStringLiteral("Zpráva byla odeslána, ale její kopii se nepodařilo uložit.\n\n") +
            problems.join('\n');
}

void TSendWorker::Finish(const TSendOutcome& outcome) {
    // The thread posted this as its last step: it has ended or is about to.
    if (thread_.joinable()) thread_.join();
    IdSMTP1.reset();
    imap_.reset();
    copy_.reset();
    running_ = false;
    emit finished(outcome);
}

}  // namespace quillory
