#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mail/IdException.h"
#include "net/IdTCPClient.h"

namespace quillory {

// How an IMAP session is protected: TLS from the first byte (port 993), or STARTTLS (RFC 9051
// §6.2.1), which is then required before any login unless the server is this machine.
enum class TImapSecurity { ImplicitTLS, StartTLS };

// A tagged NO or BAD (RFC 9051 §7.1): the step it answered, the status and the server's text.
class EImapCommandFailed : public EIdException {
public:
    EImapCommandFailed(std::string step, std::string status, std::string text)
        : EIdException(step + ": " + status + (text.empty() ? std::string() : " " + text)),
          step_(std::move(step)),
          status_(std::move(status)),
          text_(std::move(text)) {}
    // "LOGIN", "AUTHENTICATE", "LIST", "APPEND", "STARTTLS", ...
    const std::string& Step() const { return step_; }
    // "NO" or "BAD".
    const std::string& Status() const { return status_; }
    const std::string& Text() const { return text_; }

private:
    std::string step_;
    std::string status_;
    std::string text_;
};

// A response the client cannot read: a line or literal past the limits, a malformed line.
class EImapResponseError : public EIdException {
    using EIdException::EIdException;
};

// The server offers no STARTTLS, or refused it, and is not this machine: the login is not sent.
class EImapLoginInClear : public EIdException {
public:
    EImapLoginInClear()
        : EIdException(
              "The IMAP server offers no encrypted connection (STARTTLS), so the login was not sent: the "
              "name and password would cross the network readable by anyone") {}
};

// No folder flagged \Sent and none of the usual names exists.
class EImapNoSentFolder : public EIdException {
public:
    EImapNoSentFolder() : EIdException("The mailbox has no Sent folder") {}
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
// count). Memory stays bounded by the client's buffer, whatever the size.
struct TImapMessageSource {
    std::uint64_t size = 0;
    std::function<std::size_t(char* buffer, std::size_t capacity)> read;
};

// A small IMAP4rev1 / IMAP4rev2 client (RFC 3501, RFC 9051) on the same transport as the SMTP
// client: the socket layer, TLS with its certificate checks, SOCKS, ReadTimeout, a limit on each
// whole response and Interrupt() for cancel. It speaks what storing a copy of a sent message
// needs: the greeting, CAPABILITY, STARTTLS, LOGIN or AUTHENTICATE PLAIN, LIST with SPECIAL-USE
// (RFC 6154), APPEND with \Seen (a synchronizing literal, or LITERAL+ when offered), LOGOUT.
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
    // The most lines, and bytes, one untagged response may have, and the largest literal accepted
    // from the server (a folder name, a capability list: never a message).
    static constexpr std::size_t MaxResponseBytes = 1024 * 1024;
    static constexpr std::size_t MaxLiteralBytes = 1024 * 1024;

    ImapClient();
    ~ImapClient() override;

    // Connects within `timeout` ms, TLS at once with ImplicitTLS; reads the greeting (a PREAUTH
    // greeting counts as logged in, BYE fails), asks CAPABILITY when the greeting carried none,
    // and with StartTLS runs STARTTLS when offered (then asks CAPABILITY again, RFC 9051
    // §6.2.1). After a failure past the TCP connect the connection is closed before the error
    // passes out unchanged.
    void OpenConnection(int timeout = IdTimeoutDefault) override;
    // LOGIN with quoted strings, or a literal for a name or password that a quoted string cannot
    // carry; AUTHENTICATE PLAIN (RFC 4616) when the server announces LOGINDISABLED and AUTH=PLAIN.
    // Raises EImapLoginInClear, sending nothing, over an unencrypted connection to another machine.
    void Login(const std::string& user, const std::string& password);
    // LIST "" "*" RETURN (SPECIAL-USE) when the server announces SPECIAL-USE (RFC 6154 §5.1),
    // else LIST "" "*".
    std::vector<TImapFolder> ListFolders();
    // The wire name of the Sent folder: the one flagged \Sent, else the first that exists of
    // "Sent", "Odeslané", "Sent Items", "Sent Messages", "INBOX.Sent". EImapNoSentFolder otherwise.
    std::string FindSentFolder();
    static std::string FindSentFolder(const std::vector<TImapFolder>& folders);
    // APPEND to `wireFolder` with (\Seen) and the message as a literal: synchronizing (waits for
    // the continuation) unless the server announced LITERAL+ (RFC 7888). The upload is one write
    // span (OnWorkBegin with the size, OnWork with the bytes sent).
    void Append(const std::string& wireFolder, const TImapMessageSource& message);
    // LOGOUT, reading the reply within the limits; the connection is closed either way.
    void Logout();
    // Closes without a word to the server (when LOGOUT is not wanted, or after an error).
    void CloseConnection() override;

    // The capabilities of the last CAPABILITY response or response code, upper case.
    const std::vector<std::string>& Capabilities() const { return capabilities_; }
    bool HasCapability(const std::string& name) const;
    bool LoggedIn() const { return loggedIn_; }

    TImapSecurity Security = TImapSecurity::ImplicitTLS;

private:
    std::vector<std::string> capabilities_;
    bool loggedIn_ = false;
    bool encrypted_ = false;
};

// Modified UTF-7 of IMAP mailbox names (RFC 3501 §5.1.3), to and from UTF-8. Decoding a name
// that is not valid modified UTF-7 gives the name unchanged.
std::string EncodeImapFolderName(const std::string& utf8);
std::string DecodeImapFolderName(const std::string& wire);

}  // namespace quillory
