#pragma once

#include <string>

#include "mail/IdGlobal.h"
#include "mail/IdMessage.h"
#include "net/IdTCPClient.h"

namespace quillory {

enum class TAuthenticationType { atNone, atLogin };

// The SMTP client (RFC 5321): greeting, EHLO or HELO, AUTH LOGIN when asked for and offered, one
// mail transaction per message, QUIT. Every command goes through SendCommand, so a reply with a
// code the step does not allow ends the operation with EIdProtocolReplyError carrying the
// server's text.
//
//   TIdSMTP smtp;
//   smtp.Host = "mail.example.com";
//   smtp.SetAuthenticationType(TAuthenticationType::atLogin);  // atNone: never log in
//   smtp.Username = "user";
//   smtp.Password = "secret";
//   try {
//       smtp.Connect(1000);
//       smtp.SendMail(message);
//   } catch (const Exception& error) { /* show error.Message() */ }
//   if (smtp.Connected()) smtp.Disconnect();
class TIdSMTP : public TIdTCPClient {
public:
    static constexpr int DefaultReadTimeout = 60000;

    TIdSMTP();
    ~TIdSMTP() override;

    // Connects within `timeout` ms, reads the greeting and introduces itself. After a failure past
    // the TCP connect the connection is closed (QUIT written while still up) before the error
    // passes out unchanged.
    void OpenConnection(int timeout = IdTimeoutDefault) override;
    void Connect(int timeout = IdTimeoutDefault) { OpenConnection(timeout); }
    // One mail transaction: RSET, login when needed, MAIL FROM, RCPT TO for every To, Cc and Bcc
    // address, DATA, the message text, ".". An envelope address holding CR, LF or NUL is refused
    // with EIdInvalidCommandText before anything is sent. Sets the message's X-Mailer header
    // from MailAgent (removed when MailAgent is empty).
    void SendMail(TIdMessage& message);
    // Writes QUIT when connected (no reply is read), then closes in every case; an error of the
    // QUIT write passes out after the close.
    void CloseConnection() override;
    void Disconnect() { CloseConnection(); }
    bool Connected() { return IsConnected(); }

    // Runs the login of AuthenticationType; whether an exchange ran.
    bool RunLogin();
    bool MechanismOffered(TAuthenticationType type) const;
    void ExpandList(const std::string& name);
    std::string VerifyMailbox(const std::string& name);

    TAuthenticationType AuthenticationType() const { return authenticationType_; }
    // atLogin also turns UseEhlo on.
    void SetAuthenticationType(TAuthenticationType type);
    bool UseEhlo() const { return useEhlo_; }
    // false also sets AuthenticationType to atNone.
    void SetUseEhlo(bool use);
    bool LoggedIn() const { return loggedIn_; }
    // The mechanism names of the last EHLO reply, upper case, each once.
    const TIdStrings& OfferedMechanisms() const { return offeredMechanisms_; }

    std::string HeloName;
    std::string MailAgent;

private:
    void Greet();
    void CollectMechanisms();
    bool LoginNeeded() const;

    TAuthenticationType authenticationType_ = TAuthenticationType::atNone;
    bool useEhlo_ = true;
    bool loggedIn_ = false;
    TIdStrings offeredMechanisms_;
};

}  // namespace quillory
