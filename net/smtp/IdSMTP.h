#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "mail/IdGlobal.h"
#include "mail/IdMessage.h"
#include "net/transport/IdIOHandlerTLS.h"
#include "net/transport/IdTCPClient.h"

namespace quillory {

struct TSmtpAccount;

// atLogin: the name and password (AUTH LOGIN, or PLAIN); atXOAuth2: the name and an OAuth 2.0
// access token (AUTH XOAUTH2, net/XOAuth2.h).
enum class TAuthenticationType { atNone, atLogin, atXOAuth2 };

// How the session is protected: not at all; TLS from the first byte (the submission port 465);
// or STARTTLS (RFC 3207) whenever the server offers it, before any login.
enum class TSmtpSecurity { Plain, ImplicitTLS, StartTLSWhenOffered };

// A login was due over a connection that is not encrypted, to a server that is not this machine.
class EIdSMTPLoginInClear : public EIdException {
public:
    EIdSMTPLoginInClear()
        : EIdException(
              "The server offers no encrypted connection (STARTTLS), so the login was not sent: the name "
              "and password would cross the network readable by anyone") {}
};

// An XOAUTH2 login was due over a connection that is not encrypted, to a server that is not this
// machine: the access token would let anyone who reads it send as the user.
class EIdSMTPTokenInClear : public EIdException {
public:
    EIdSMTPTokenInClear()
        : EIdException(
              "The server offers no encrypted connection (STARTTLS), so the access token was not sent: it "
              "would cross the network readable by anyone") {}
};

// The account signs in with XOAUTH2 and the server does not offer it.
class EIdSMTPMechanismNotOffered : public EIdException {
public:
    explicit EIdSMTPMechanismNotOffered(const std::string& mechanism)
        : EIdException("The server does not offer the " + mechanism + " login") {}
};

// The server refused the login: the reply's text as every refused reply has it, with the mechanism
// that was tried and the server it was tried with, so the user can be told what to do.
class EIdSMTPLoginRefused : public EIdProtocolReplyError {
public:
    EIdSMTPLoginRefused(const EIdProtocolReplyError& reply, std::string mechanism, std::string host)
        : EIdProtocolReplyError(reply), mechanism_(std::move(mechanism)), host_(std::move(host)) {}
    // "LOGIN", "PLAIN" or "XOAUTH2".
    const std::string& Mechanism() const { return mechanism_; }
    const std::string& Host() const { return host_; }

private:
    std::string mechanism_;
    std::string host_;
};

// The message is larger than the server said it accepts (RFC 1870): refused before MAIL FROM.
class EIdSMTPMessageTooLarge : public EIdException {
public:
    EIdSMTPMessageTooLarge(std::int64_t size, std::int64_t limit)
        : EIdException("The message is " + std::to_string(size) + " bytes, the server accepts at most " +
                       std::to_string(limit) + " bytes"),
          size_(size),
          limit_(limit) {}
    std::int64_t Size() const { return size_; }
    std::int64_t Limit() const { return limit_; }

private:
    std::int64_t size_;
    std::int64_t limit_;
};

// The SMTP client (RFC 5321): greeting, EHLO or HELO, TLS as Security says, a login when asked
// for and offered (AUTH LOGIN, or AUTH PLAIN when the server offers PLAIN and not LOGIN; AUTH
// XOAUTH2 with an access token, which the server must offer), one mail transaction per message,
// QUIT. Credentials and tokens never go over a connection that is not encrypted unless the server
// is this machine (localhost, 127.0.0.1, ::1). Every command goes through
// SendCommand, so a reply with a code the step does not allow ends the operation with EIdProtocolReplyError
// carrying the server's text.
//
//   TIdSMTP smtp;
//   smtp.Host = "mail.example.com";
//   smtp.Port = 587;
//   smtp.Security = TSmtpSecurity::StartTLSWhenOffered;
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
    // A server gets five minutes for each whole reply, what RFC 5321 §4.5.3.2 gives it for the
    // greeting, MAIL and RCPT (a silent server fails sooner, at ReadTimeout).
    static constexpr int DefaultReplyTimeLimit = 5 * 60000;

    TIdSMTP();
    ~TIdSMTP() override;

    // Takes the account's settings (net/SmtpAccount.cpp): Host and Port from its server text,
    // Security from the port (465: ImplicitTLS, else StartTLSWhenOffered), the login (atLogin with
    // its name and password, or atNone with both empty), ReadTimeout and ReplyTimeLimit. Raises
    // EServerAddressError for a server text that does not parse, changing nothing.
    void Apply(const TSmtpAccount& account);

    // Connects within `timeout` ms (with ImplicitTLS the TLS handshake follows at once), reads the
    // greeting and introduces itself; with StartTLSWhenOffered and STARTTLS in the EHLO reply it
    // runs STARTTLS, discards anything received before the handshake finished and sends EHLO
    // again. After a failure past the TCP connect the connection is closed (QUIT written while
    // still up) before the error passes out unchanged.
    void OpenConnection(int timeout = IdTimeoutDefault) override;
    void Connect(int timeout = IdTimeoutDefault) { OpenConnection(timeout); }
    // One mail transaction: RSET (on a new connection and after a transaction that did not end
    // with the server's 250), login when needed, MAIL FROM, RCPT TO for every To, Cc and Bcc
    // address, DATA, the message text, ".". When the server offers PIPELINING (RFC 2920), MAIL,
    // RCPT and DATA (with RSET before them once logged in) go out in one write and their replies
    // are read together; the first refused one is raised, as the lock-step dialogue raises it, and
    // a DATA the server took all the same is ended by dropping the connection, so that nothing is
    // delivered to part of the recipients. An envelope address holding CR, LF or NUL is refused
    // with EIdInvalidCommandText before anything is sent. Sets the message's X-Mailer header
    // from MailAgent (removed when MailAgent is empty).
    // When the server announced SIZE (RFC 1870), MAIL FROM carries the message's size, and a
    // message larger than the announced limit is refused with EIdSMTPMessageTooLarge before
    // anything is sent. The message text is one write span (OnWorkBegin with the message's size,
    // OnWork with the bytes sent so far). A failure while the text is written ends the connection
    // at once: nothing may follow the part of the text already sent, which the server then drops.
    void SendMail(TIdMessage& message);
    // Writes QUIT when connected (no reply is read), then closes in every case; an error of the
    // QUIT write passes out after the close.
    void CloseConnection() override;
    void Disconnect() { CloseConnection(); }
    bool Connected() { return IsConnected(); }

    // Runs the login of AuthenticationType; whether an exchange ran. Raises EIdSMTPLoginInClear
    // (EIdSMTPTokenInClear for XOAUTH2) before anything is sent when the connection is not
    // encrypted and Host is not this machine, EIdSMTPMechanismNotOffered when XOAUTH2 is due and
    // not offered, and EIdSMTPLoginRefused when the server refuses the login at any step.
    // XOAUTH2 sends Username and AccessToken as the initial response (RFC 4954 §4; alone after
    // the 334 when the command would pass 12,288 bytes) and answers the server's error challenge
    // with an empty line, then reports the server's final reply.
    bool RunLogin();
    bool MechanismOffered(TAuthenticationType type) const;
    void ExpandList(const std::string& name);
    std::string VerifyMailbox(const std::string& name);

    TAuthenticationType AuthenticationType() const { return authenticationType_; }
    // atLogin and atXOAuth2 also turn UseEhlo on.
    void SetAuthenticationType(TAuthenticationType type);
    bool UseEhlo() const { return useEhlo_; }
    // false also sets AuthenticationType to atNone.
    void SetUseEhlo(bool use);
    bool LoggedIn() const { return loggedIn_; }
    // The mechanism names of the last EHLO reply, upper case, each once.
    const TIdStrings& OfferedMechanisms() const { return offeredMechanisms_; }
    // Whether the last EHLO reply announced SIZE, and the largest message it accepts (0: no fixed
    // limit, as RFC 1870 §4 has "SIZE 0" and "SIZE" alone).
    bool SizeOffered() const { return sizeOffered_; }
    // Whether the last EHLO reply announced PIPELINING (RFC 2920).
    bool PipeliningOffered() const { return pipeliningOffered_; }
    // Whether the final "." of the last transaction was written: from then on the server may have
    // taken the message, whatever happens to its reply.
    bool FinalDotWritten() const { return finalDotWritten_; }
    std::int64_t SizeLimit() const { return sizeLimit_; }

    TSmtpSecurity Security = TSmtpSecurity::Plain;
    // The OAuth 2.0 access token of an XOAUTH2 login (with Username as the address); kept in
    // memory only, like Password.
    std::string AccessToken;
    std::string HeloName;
    std::string MailAgent;
    // Receives the message text of SendMail as the server keeps it: the bytes written after DATA
    // with their line ends made CR LF, without the dots of the stuffing and without the final "."
    // (the copy for the Sent folder). Called on the sending thread while the text goes out; it must
    // not throw.
    std::function<void(std::string_view bytes)> OnMessageText;
    // Called on the sending thread once the whole message text is out, just before the final "."
    // is written: the last moment the transaction can still be given up without the server
    // keeping the message. An error it raises ends the connection, the message not sent.
    std::function<void()> OnBeforeFinalDot;
    // false: the lock-step dialogue even where the server offers PIPELINING.
    bool UsePipelining = true;

private:
    void Greet();
    void Introduce(const std::string& name);
    void CollectMechanisms();
    void CollectSizeLimit(const std::string& parameter);
    bool LoginNeeded() const;
    bool Offers(const char* mechanism) const;
    void StartTLS();
    void LogInWithPassword();
    void LogInWithToken();
    void SendEnvelope(const std::string& mailFrom, const std::vector<std::string>& recipients);
    void SendEnvelopePipelined(bool reset, const std::string& mailFrom,
                               const std::vector<std::string>& recipients);
    void SendMessageText(TIdMessage& message, std::int64_t size);
    // Takes the TLS layer off again (UnwrapTLS) and forgets that the session was encrypted.

    TAuthenticationType authenticationType_ = TAuthenticationType::atNone;
    bool useEhlo_ = true;
    bool loggedIn_ = false;
    bool startTLSOffered_ = false;
    bool sizeOffered_ = false;
    bool pipeliningOffered_ = false;
    // RSET is due before the next transaction: on a new connection and after one that failed.
    bool resetNeeded_ = true;
    bool finalDotWritten_ = false;
    std::int64_t sizeLimit_ = 0;
    TIdStrings offeredMechanisms_;
};

}  // namespace quillory
