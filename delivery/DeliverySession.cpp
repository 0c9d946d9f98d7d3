#include "delivery/DeliverySession.h"

#include "core/FirstError.h"
#include "delivery/SentCopy.h"
#include "delivery/SentCopyAccount.h"
#include "delivery/SentCopyMailbox.h"
#include "delivery/SignedInSend.h"
#include "delivery/TokenRenewal.h"
#include "mail/IdMessage.h"
#include "net/imap/ImapClient.h"
#include "net/smtp/IdSMTP.h"
#include "net/transport/IdSocketExceptions.h"

namespace quillory {

namespace {

// RFC 5321 §3.8: the server is closing the connection; the next message needs a new one.
constexpr int kClosing = 421;

}  // namespace

DeliverySession::DeliverySession(const TSmtpAccount& account, std::filesystem::path archiveFolder,
                                 TAccessTokenSource tokens)
    : account_(account),
      archiveFolder_(std::move(archiveFolder)),
      tokens_(std::move(tokens)),
      smtp_(std::make_unique<TIdSMTP>()) {
    smtp_->Apply(account_);
    if (account_.sentCopy.toServer) imap_ = std::make_unique<ImapClient>();
}

DeliverySession::~DeliverySession() {
    DropSmtp();
    if (mailbox_) {
        TFirstError ignored;  // nothing is left to tell once the session is given up
        ignored.Run([this] {
            if (imap_->IsConnected()) imap_->CloseConnection();
        });
    }
}

void DeliverySession::Cancel() {
    smtp_->Interrupt();
    if (imap_) imap_->Interrupt();
}

bool DeliverySession::Cancelled() const { return smtp_->Interrupted(); }

void DeliverySession::DropSmtp() noexcept {
    TFirstError ignored;  // the connection is given up: its goodbye does not matter
    ignored.Run([this] { smtp_->CloseConnection(); });
}

TDeliveryResult DeliverySession::Send(TIdMessage& message, std::time_t sentAt) {
    TDeliveryResult result;
    smtp_->OnBeforeFinalDot =
        BeforeFinalDot ? [this, &message] { BeforeFinalDot(message); } : std::function<void()>();
    Deliver(message, sentAt, result);
    // Neither the message nor its copy outlive the call.
    smtp_->OnBeforeFinalDot = nullptr;
    smtp_->OnMessageText = nullptr;
    return result;
}

void DeliverySession::Deliver(TIdMessage& message, std::time_t sentAt, TDeliveryResult& result) {
    // One more try on a new connection, for a connection that was found gone before the message
    // could have been taken.
    for (bool retried = false;; retried = true) {
        std::unique_ptr<SentCopy> copy =
            std::make_unique<SentCopy>(account_, archiveFolder_, message.Subject, sentAt);
        smtp_->OnMessageText = copy->Wanted() ? [c = copy.get()](std::string_view bytes) { c->Append(bytes); }
                                              : std::function<void(std::string_view)>();
        bool reused = false;
        bool delivered = false;
        try {
            if (Cancelled()) throw EIdOperationCancelled();
            if (reconnect_) DropSmtp();
            reconnect_ = false;
            reused = smtp_->Connected();
            if (!reused) OpenSignedIn(*smtp_, account_.connectTimeoutMs, tokens_);
            SendMailRenewingToken(*smtp_, message, account_.connectTimeoutMs, tokens_);
            delivered = true;
        } catch (const EIdProtocolReplyError& refused) {
            const bool closing = refused.ReplyCode() == kClosing;
            reconnect_ = closing || !smtp_->Connected();
            if (closing && reused && !retried && !smtp_->FinalDotWritten()) continue;
            result.error = std::current_exception();
            const bool login = dynamic_cast<const EIdSMTPLoginRefused*>(&refused) != nullptr;
            result.status =
                closing || login ? TDeliveryResult::TStatus::NotSent : TDeliveryResult::TStatus::Refused;
            result.replyCode = refused.ReplyCode();
            result.reply = refused.Message();
        } catch (...) {
            reconnect_ = !smtp_->Connected();
            const bool broken = reconnect_ && !Cancelled();
            if (broken && reused && !retried && !smtp_->FinalDotWritten()) continue;
            result.error = std::current_exception();
            result.status = TDeliveryResult::TStatus::NotSent;
            result.mayHaveArrived = broken && smtp_->FinalDotWritten();
        }
        if (delivered) {
            result.status = TDeliveryResult::TStatus::Delivered;
            FileCopy(*copy, result);
        }
        return;
    }
}

void DeliverySession::FileCopy(SentCopy& copy, TDeliveryResult& result) {
    result.archiveError = copy.Archive();
    if (!imap_ || mailboxFailed_) return;
    if (OnCopyToServer) OnCopyToServer();
    try {
        if (!mailbox_) {
            ApplySentCopyAccount(*imap_, account_);
            mailbox_ =
                std::make_unique<SentCopyMailbox>(*imap_, SentCopyLogin(account_), account_.connectTimeoutMs,
                                                  tokens_, account_.sentCopy.folder);
        }
        const bool wasOpen = mailbox_->IsOpen();
        try {
            mailbox_->Open();
        } catch (...) {
            // A server that cannot be reached or refuses the login is told once for the session.
            if (!wasOpen) mailboxFailed_ = true;
            throw;
        }
        copy.StoreOnServer(*mailbox_);
        result.serverCopyStored = true;
        result.folder = mailbox_->Folder();
    } catch (...) {
        if (!mailbox_) mailboxFailed_ = true;
        result.serverCopyError = std::current_exception();
    }
}

void DeliverySession::Close() {
    if (mailbox_) {
        TFirstError ignored;  // every copy is stored or its failure told by now
        ignored.Run([this] { mailbox_->Close(); });
    }
    if (smtp_->Connected()) smtp_->CloseConnection();
}

}  // namespace quillory
