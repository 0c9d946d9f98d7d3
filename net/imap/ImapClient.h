#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mail/IdException.h"
#include "net/imap/ImapCommand.h"
#include "net/imap/ImapFolderName.h"
#include "net/imap/ImapResponse.h"
#include "net/imap/ImapResponseReader.h"
#include "net/transport/IdTCPClient.h"

namespace quillory {

// How an IMAP session is protected: TLS from the first byte (port 993), or STARTTLS (RFC 9051
// §6.2.1), which is then required before any login unless the server is this machine.
enum class TImapSecurity { ImplicitTLS, StartTLS };

// A tagged NO or BAD (RFC 9051 §7.1), or a BYE that ended the session: the step it answered, the
// status, the server's text and its response code (without the brackets).
class EImapCommandFailed : public EIdException {
public:
    EImapCommandFailed(std::string step, std::string status, std::string text, std::string code = {})
        : EIdException(step + ": " + status + (text.empty() ? std::string() : " " + text)),
          step_(std::move(step)),
          status_(std::move(status)),
          text_(std::move(text)),
          code_(std::move(code)) {}
    // "greeting", "CAPABILITY", "STARTTLS", "LOGIN", "AUTHENTICATE", "LIST", "APPEND", "LOGOUT".
    const std::string& Step() const { return step_; }
    // "NO" or "BAD"; "BYE" when the server ended the session (a BYE greeting, or a BYE and a close
    // in place of the answer).
    const std::string& Status() const { return status_; }
    // The human-readable text, a NUL of it shown as "?".
    const std::string& Text() const { return text_; }
    // "AUTHENTICATIONFAILED", "TRYCREATE", ... (RFC 5530); empty when the server gave none.
    const std::string& Code() const { return code_; }

private:
    std::string step_;
    std::string status_;
    std::string text_;
    std::string code_;
};

// The server offers no STARTTLS and is not this machine: the login is not sent. (A server that
// refuses the STARTTLS it offered fails with EImapCommandFailed of the step "STARTTLS".)
class EImapLoginInClear : public EIdException {
public:
    EImapLoginInClear()
        : EIdException(
              "The IMAP server offers no encrypted connection (STARTTLS), so the login was not sent: the "
              "name and password would cross the network readable by anyone") {}
};

// With StartTLS, a server that is not this machine greeted with PREAUTH (logged in without a
// login) over the connection still in clear: it is closed before anything is stored, as the
// message would cross the network readable by anyone (RFC 9051 §11.1).
class EImapPreauthInClear : public EIdException {
public:
    EImapPreauthInClear()
        : EIdException(
              "The IMAP server let the session in without a login over a connection that is not encrypted "
              "(PREAUTH), so it was closed: the message would cross the network readable by anyone") {}
};

// The server answered AUTHENTICATE XOAUTH2 with NO: it refused the access token (expired early,
// revoked, or without the right to the mailbox).
class EImapTokenRefused : public EImapCommandFailed {
public:
    using EImapCommandFailed::EImapCommandFailed;
};

// The server refuses LOGIN (LOGINDISABLED) and offers no AUTHENTICATE PLAIN.
class EImapNoLoginMethod : public EIdException {
public:
    EImapNoLoginMethod()
        : EIdException("The IMAP server accepts neither LOGIN nor AUTHENTICATE PLAIN, so no login was sent") {
    }
};

// The account logs in with an access token, and the connection is not encrypted and goes to
// another machine: the token is not sent.
class EImapTokenInClear : public EIdException {
public:
    EImapTokenInClear()
        : EIdException(
              "The IMAP server offers no encrypted connection (STARTTLS), so the sign-in token was not sent: "
              "it would cross the network readable by anyone") {}
};

// The account logs in with an access token and the server does not offer AUTHENTICATE XOAUTH2.
class EImapNoTokenLogin : public EIdException {
public:
    EImapNoTokenLogin()
        : EIdException("The IMAP server does not offer the sign-in with a token (AUTHENTICATE XOAUTH2)") {}
};

// No folder flagged \Sent and none of the usual names exists.
class EImapNoSentFolder : public EIdException {
public:
    EImapNoSentFolder() : EIdException("The mailbox has no Sent folder") {}
};

// The message source delivered fewer bytes than its size announced: the connection is ended, as
// the literal cannot be finished.
class EImapMessageEndedEarly : public EIdException {
public:
    EImapMessageEndedEarly(std::uint64_t delivered, std::uint64_t size)
        : EIdException("The message to store ended after " + std::to_string(delivered) + " of its " +
                       std::to_string(size) + " bytes") {}
};

// One folder of a LIST reply.
struct TImapFolder {
    // The name as it travels on the wire: modified UTF-7 (RFC 3501 §5.1.3), "Odeslan&AOk-".
    std::string wireName;
    // The same name decoded to UTF-8 for the user: "Odeslané".
    std::string displayName;
    // The attributes as sent, e.g. "\\HasNoChildren", "\\Sent", "\\Noselect".
    std::vector<std::string> attributes;
    bool IsSent() const;
    bool Selectable() const;  // not \Noselect and not \NonExistent
};

// The bytes of a message to store with APPEND: its size, and a reader called until it has
// delivered that many bytes (each call fills at most `capacity` bytes of `buffer` and returns the
// count; 0 before the end raises EImapMessageEndedEarly). Memory stays bounded by the client's
// buffer, whatever the size.
struct TImapMessageSource {
    std::uint64_t size = 0;
    std::function<std::size_t(char* buffer, std::size_t capacity)> read;
};

// A small IMAP4rev1 / IMAP4rev2 client (RFC 3501, RFC 9051) on the same transport as the SMTP
// client: the socket layer, TLS with its certificate checks, SOCKS, ReadTimeout, a limit on each
// whole response and Interrupt() for cancel. It speaks what storing a copy of a sent message
// needs: the greeting, CAPABILITY, STARTTLS, LOGIN, AUTHENTICATE PLAIN or XOAUTH2, LIST with SPECIAL-USE
// (RFC 6154), APPEND with \Seen (a synchronizing literal, or LITERAL+ when offered), LOGOUT.
//
// Every command goes through two primitives: one sends a tagged command (and the literals in it,
// each after the server's continuation unless LITERAL+ spares the wait), the other reads
// responses until the command's tagged status. Everything read for one command is bounded by
// MaxReplyLines lines and MaxReplySize bytes, each literal by MaxLiteralSize, each wait for the
// server's answer by ReplyTimeLimit (and each read by ReadTimeout); past any of them the command
// ends with an error. A tagged NO or BAD raises EImapCommandFailed naming the step.
//
//   ImapClient imap;
//   imap.Host = "imap.example.cz";
//   imap.Port = 993;
//   imap.Security = TImapSecurity::ImplicitTLS;
//   imap.OpenConnection(10000);
//   imap.Login("user", "secret");
//   const std::string folder = imap.FindSentFolder();
//   imap.Append(folder, source);
//   imap.Logout();
class ImapClient : public TIdTCPClient {
public:
    static constexpr int DefaultReadTimeout = 60000;
    static constexpr int DefaultResponseTimeLimit = 5 * 60000;
    // The most bytes, and lines, all the responses to one command may have together (a LIST of
    // many folders is the largest the client asks for), and the largest literal accepted from the
    // server (a folder name, a capability list: never a message).
    static constexpr std::size_t MaxResponseBytes = 1024 * 1024;
    static constexpr std::size_t MaxResponseLines = 100000;
    static constexpr std::size_t MaxLiteralBytes = 1024 * 1024;
    // The message's bytes go out through a buffer of this size.
    static constexpr std::size_t AppendChunkBytes = 64 * 1024;

    ImapClient();
    ~ImapClient() override;

    // Connects within `timeout` ms, TLS at once with ImplicitTLS; reads the greeting (a PREAUTH
    // greeting counts as logged in, BYE fails with the step "greeting"), asks CAPABILITY when the
    // greeting carried none, and with StartTLS runs STARTTLS when offered (then asks CAPABILITY
    // again, RFC 9051 §6.2.1). After a failure past the TCP connect the connection is closed
    // before the error passes out unchanged.
    void OpenConnection(int timeout = IdTimeoutDefault) override;
    // LOGIN with quoted strings, or a literal for a name or password that a quoted string cannot
    // carry; AUTHENTICATE PLAIN (RFC 4616) when the server announces LOGINDISABLED and AUTH=PLAIN.
    // Raises EImapLoginInClear, sending nothing, over an unencrypted connection to another machine;
    // EIdInvalidCommandText, sending nothing, for a name or password holding CR, LF or NUL. Does
    // nothing after a PREAUTH greeting. Asks CAPABILITY again unless the answer carried them.
    void Login(const std::string& user, const std::string& password);
    // AUTHENTICATE XOAUTH2 with the account's address and an OAuth 2.0 access token: the initial
    // response at once with SASL-IR (RFC 4959), else after the server's continuation; the error
    // challenge of a refused token is answered with an empty line, and the server's NO then raises
    // EImapTokenRefused (BAD: EImapCommandFailed), of the step "AUTHENTICATE". Raises, sending nothing:
    // EImapTokenInClear over an unencrypted connection to another machine, EImapNoTokenLogin when the server
    // does not announce AUTH=XOAUTH2, EXOAuth2InvalidCredentials for an address or token the mechanism cannot
    // carry. Does nothing after a PREAUTH greeting; asks CAPABILITY again like Login.
    void AuthenticateXOAuth2(const std::string& user, const std::string& accessToken);
    // LIST "" "*" RETURN (SPECIAL-USE) when the server announces SPECIAL-USE (RFC 6154 §5.1),
    // else LIST "" "*".
    std::vector<TImapFolder> ListFolders();
    // The wire name of the Sent folder: the one flagged \Sent, else the first that exists of
    // "Sent", "Odeslané", "Sent Items", "Sent Messages", "INBOX.Sent" (compared with the decoded
    // names; folders that cannot be selected do not count). EImapNoSentFolder otherwise.
    std::string FindSentFolder();
    static std::string FindSentFolder(const std::vector<TImapFolder>& folders);
    // APPEND to `wireFolder` with (\Seen) and the message as a literal: synchronizing (waits for
    // the continuation) unless the server announced LITERAL+ (RFC 7888; LITERAL- for a message of
    // at most 4096 bytes). The upload is one write span (OnWorkBegin with the size, OnWork with
    // the bytes sent). A failure while the message is written ends the connection at once: the
    // literal cannot be finished.
    void Append(const std::string& wireFolder, const TImapMessageSource& message);
    // LOGOUT, reading the reply within the limits (a BYE and a close in place of the tagged OK
    // count as done); the connection is closed either way, and an error passes out after it.
    void Logout();
    // Closes without a word to the server (when LOGOUT is not wanted, or after an error).
    void CloseConnection() override;

    // The capabilities of the last CAPABILITY response or response code, upper case.
    const std::vector<std::string>& Capabilities() const { return capabilities_; }
    bool HasCapability(const std::string& name) const;
    bool LoggedIn() const { return loggedIn_; }

    TImapSecurity Security = TImapSecurity::ImplicitTLS;
    std::size_t MaxLiteralSize = MaxLiteralBytes;

private:
    // What the responses to one command said besides its tagged OK.
    struct TExchange {
        std::vector<TImapResponse> untagged;
        TImapStatus status;
    };

    void Greet();
    void StartTLS();
    void AskCapabilities();
    void AuthenticatePlain(const std::string& user, const std::string& password);
    // AUTHENTICATE `mechanism` with a client-first `answer` (BASE64): in the command with SASL-IR,
    // else after the continuation. With `answerChallenge`, one more challenge of the server is
    // answered with an empty line (XOAUTH2's error challenge); otherwise it is unexpected.
    void Authenticate(const std::string& mechanism, const std::string& answer, bool answerChallenge);
    void LoggedInNow();
    // Starts counting one command's responses against the limits.
    void StartExchange();

    // The primitives: every byte to and from the server goes through these.
    // Writes the tagged command: its words, each literal announced ("{n}", or "{n+}" with
    // LITERAL+) and written once the server's continuation asks for it; a streamed literal ends
    // the command, its announcement written and (when synchronizing) answered, its bytes the
    // caller's to write. Returns the tag.
    std::string SendTaggedCommand(const ImapCommand& command, const std::string& step);
    // Reads responses until the tagged status of `tag`: OK returns; NO or BAD raise
    // EImapCommandFailed of `step`. A continuation request on the way is handed to
    // `onContinuation` when given, and is unexpected otherwise.
    TExchange ReadUntilTagged(const std::string& tag, const std::string& step,
                              const std::function<void()>& onContinuation = {});
    // Reads responses until the server's continuation request for the command `tag`.
    void ReadContinuation(const std::string& tag, const std::string& step);
    // Writes bytes the server asked for with a continuation (a literal's, a SASL answer's line).
    void SendContinuationData(const char* bytes, std::size_t count);

    // One response within the exchange's bounds; a close after the server's BYE raises
    // EImapCommandFailed (step, "BYE", its text).
    TImapResponse ReadResponse(const std::string& step);
    // Takes note of what an untagged response or a tagged status says in passing: capabilities, BYE.
    void Note(const TImapResponse& response);
    [[noreturn]] void RaiseUnexpected(const TImapResponse& response, const std::string& step);
    bool LiteralPlus(std::uint64_t size) const;

    ImapResponseReader reader_{*this};
    std::vector<TImapResponse> untagged_;
    std::vector<std::string> capabilities_;
    std::optional<TImapStatus> bye_;
    unsigned tagCount_ = 0;
    // Whether the responses since the last command named the capabilities.
    bool capabilitiesNoted_ = false;
    bool loggedIn_ = false;
};

}  // namespace quillory
