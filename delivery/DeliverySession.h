#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>

#include "delivery/AccessTokenSource.h"
#include "delivery/DeliveryResult.h"
#include "net/smtp/SmtpAccount.h"

namespace quillory {

class ImapClient;
class SentCopy;
class SentCopyMailbox;
class TIdMessage;
class TIdSMTP;

// Sends messages one after another over one SMTP login and files the copy of each as the account
// says: the local archive, and the Sent folder over one IMAP login kept for the whole session.
//
// - The first Send connects and logs in (with the password, or with the access token `tokens`
//   give; a token the server refuses is renewed once per refusal). The later ones reuse the
//   connection; a transaction that failed is followed by RSET.
// - After a 421 or a connection that broke, the next message connects and logs in again. A
//   message whose connection turns out to be gone before its final "." was written is sent once
//   more on a new connection; one the server answered with 250 is never sent again, and neither is
//   one whose final "." was out when the connection broke (reported NotSent, mayHaveArrived).
// - A copy that cannot be stored never changes the message's status; when the Sent folder cannot
//   be opened (a wrong password, no server), the session files no further copies there, so the
//   failure is told once, with the first message it concerns.
//
// Send and Close run on one thread; Cancel may be called from any other.
//
//   DeliverySession session(account, archiveFolder);
//   for (TIdMessage& message : messages) report(session.Send(message));
//   session.Close();
class DeliverySession {
public:
    DeliverySession(const TSmtpAccount& account, std::filesystem::path archiveFolder,
                    TAccessTokenSource tokens = {});
    // Ends the connections without a goodbye when Close did not run.
    ~DeliverySession();
    DeliverySession(const DeliverySession&) = delete;
    DeliverySession& operator=(const DeliverySession&) = delete;

    // The clients, for their status texts and progress; the IMAP one only when the account stores
    // copies on the server.
    TIdSMTP& Smtp() { return *smtp_; }
    ImapClient* Imap() { return imap_.get(); }

    // One message: delivered, refused with the server's reply, or not sent; never raises for what
    // the connection or the server does. `sentAt` names the archived copy.
    TDeliveryResult Send(TIdMessage& message, std::time_t sentAt = std::time(nullptr));

    // Called just before the final "." of each message, when the whole text is out: the server
    // keeps nothing if it raises (the message is then NotSent and the connection dropped).
    std::function<void(const TIdMessage& message)> BeforeFinalDot;
    // Called when a delivered message's copy starts its upload to the Sent folder.
    std::function<void()> OnCopyToServer;

    // Ends both connections at once: a Send under way ends NotSent (or, during the copy's upload,
    // Delivered with the copy not stored), and every later one is NotSent without a connection.
    void Cancel();
    bool Cancelled() const;

    // LOGOUT and QUIT. The IMAP goodbye's error is dropped (every copy is stored or told by then);
    // the SMTP goodbye's error passes out after both connections are closed.
    void Close();

private:
    void Deliver(TIdMessage& message, std::time_t sentAt, TDeliveryResult& result);
    void FileCopy(SentCopy& copy, TDeliveryResult& result);
    void DropSmtp() noexcept;

    TSmtpAccount account_;
    std::filesystem::path archiveFolder_;
    TAccessTokenSource tokens_;
    std::unique_ptr<TIdSMTP> smtp_;
    std::unique_ptr<ImapClient> imap_;
    std::unique_ptr<SentCopyMailbox> mailbox_;
    // Why the Sent folder could not be opened: no more copies are tried there.
    bool mailboxFailed_ = false;
    // The connection must be opened anew before the next message (a 421, a broken connection).
    bool reconnect_ = false;
};

}  // namespace quillory
