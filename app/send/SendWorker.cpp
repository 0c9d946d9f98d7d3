#include "app/send/SendWorker.h"

#include <QFile>
#include <QLocale>

#include <exception>

#include "app/Win1250Text.h"
#include "app/account/AccountErrorText.h"
#include "app/send/AttachedFiles.h"
#include "core/Exception.h"
#include "delivery/DeliverySession.h"
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
    session_ = std::make_unique<DeliverySession>(account, archiveFolder, tokens_);
    IdSMTP1 = &session_->Smtp();
    sentAt_ = std::time(nullptr);
    session_->OnCopyToServer = [this] {
        QMetaObject::invokeMethod(
            this, [this] { emit stepChanged(TSendStep::CopyToServer); }, Qt::QueuedConnection);
    };
    if (ImapClient* imap = session_->Imap()) ReportFrom(*imap);
    ReportFrom(*IdSMTP1);
    running_ = true;
    thread_ = std::thread(&TSendWorker::Run, this, message);
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
    if (session_) session_->Cancel();
}

void TSendWorker::Run(TIdMessage message) {
    TSendOutcome outcome;
    const TDeliveryResult result = session_->Send(message, sentAt_);
    const bool delivered = result.Delivered();
    if (!delivered) {
        try {
            std::rethrow_exception(result.error);
        } catch (...) {
            std::string text;
            outcome.kind = TSendOutcome::TKind::Failed;
            (CurrentError(text) ? outcome.error : outcome.unhandledError) = text;
            outcome.userError = UserErrorText();
        }
    }
    try {
        session_->Close();
    } catch (...) {
        std::string text;
        // The server took the message with its 250: a goodbye that fails after that (a server
        // that resets the connection at once) leaves the message delivered, and telling the user
        // otherwise would have the message sent twice.
        const bool ours = CurrentError(text);
        if (!(delivered && ours) && outcome.unhandledError.empty()) outcome.unhandledError = text;
    }
    if (session_->Cancelled() && !delivered) outcome = {TSendOutcome::TKind::Cancelled, {}, {}, {}, {}, {}};
    if (delivered) TellCopy(result, outcome);
    QMetaObject::invokeMethod(
        this, [this, outcome] { Finish(outcome); }, Qt::QueuedConnection);
}

void TSendWorker::TellCopy(const TDeliveryResult& result, TSendOutcome& outcome) {
    QStringList problems;
    if (result.archiveError)
        problems << QStringLiteral("Do archivu odeslané pošty ji nelze uložit: %1.")
                        .arg(QString::fromStdString(*result.archiveError));
    outcome.foundFolder = result.folder;
    if (result.serverCopyError) {
        QString reason;
        try {
            std::rethrow_exception(result.serverCopyError);
        } catch (...) {
            std::string text;
            CurrentError(text);
            reason = SentCopyErrorText();
            if (reason.isEmpty()) reason = FromWin1250(text).trimmed();
        }
        if (session_->Imap()->Interrupted()) reason = QStringLiteral("ukládání bylo zrušeno");
        problems << QStringLiteral("Kopii do složky Odeslané na serveru nelze uložit: %1.").arg(reason);
    }
    if (!problems.isEmpty())
        outcome.copyWarning =
            QStringLiteral("Zpráva byla odeslána, ale její kopii se nepodařilo uložit.\n\n") +
            problems.join('\n');
}

void TSendWorker::Finish(const TSendOutcome& outcome) {
    // The thread posted this as its last step: it has ended or is about to.
    if (thread_.joinable()) thread_.join();
    IdSMTP1 = nullptr;
    session_.reset();
    running_ = false;
    emit finished(outcome);
}

}  // namespace quillory
