#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quillory::test {

// A real Dovecot IMAP server for one test (tests/support/dovecot_server.py): its configuration,
// Maildir and runtime files in a temporary folder of its own, on free loopback ports, stopped and
// removed with this object. Standard C++ only, for the GoogleTest and Qt Test suites and the
// benchmarks alike.
//
//   test::DovecotServer dovecot("novak", "heslo");
//   ASSERT_TRUE(dovecot.Started()) << dovecot.StartError();
//   ... connect to 127.0.0.1:dovecot.ImapPort(), store a message ...
//   const auto stored = dovecot.Messages("Odeslané");   // bytes and flags ("S" for \Seen)
class DovecotServer {
public:
    struct TOptions {
        // STARTTLS on ImapPort and TLS from the first byte on ImapsPort, with certificates made for
        // localhost, 127.0.0.1 and ::1 by an authority of the test's (CertificateAuthority()).
        bool tls = false;
        // A folder "Odeslané" ...
        bool sentFolder = true;
        // ... flagged \Sent (RFC 6154).
        bool specialUse = true;
        // Further folders, without flags (UTF-8 names).
        std::vector<std::string> extraFolders;
        // Further users and their passwords, each with a mailbox of their own.
        std::vector<std::pair<std::string, std::string>> extraUsers;
        // When set, the users may also log in with AUTHENTICATE XOAUTH2: Dovecot asks this
        // introspection endpoint (RFC 7662, POST) whether a token is active and whose it is.
        std::string oauth2IntrospectionUrl;
    };

    // One message file of a Maildir folder.
    struct TMessage {
        std::string fileName;
        // The Maildir flags behind ":2,", e.g. "S" for \Seen, "" for none.
        std::string flags;
        std::string bytes;
    };

    // Starts the server; it may take a second. `password`: any bytes but ":" and NUL.
    DovecotServer(const std::string& user, const std::string& password, TOptions options);
    DovecotServer(const std::string& user, const std::string& password);
    ~DovecotServer();
    DovecotServer(const DovecotServer&) = delete;
    DovecotServer& operator=(const DovecotServer&) = delete;

    bool Started() const { return imapPort_ != 0; }
    // Why it did not start.
    const std::string& StartError() const { return startError_; }
    // Plain with STARTTLS (when `tls`), like port 143.
    int ImapPort() const { return imapPort_; }
    // TLS from the first byte, like port 993; 0 without `tls`.
    int ImapsPort() const { return imapsPort_; }
    const std::string& Folder() const { return folder_; }
    // The authority's certificate for SSL_CERT_FILE; with `tls` only.
    std::string CertificateAuthority() const;

    // The Maildir folder of a mailbox folder: "INBOX" or a name in UTF-8 ("Odeslané"), of the
    // first user's mailbox or of `user`'s.
    std::string MaildirOf(const std::string& folderName, const std::string& user = {}) const;
    // The messages the folder holds (new/ and cur/), in the order of their file names; none for a
    // folder that does not exist.
    std::vector<TMessage> Messages(const std::string& folderName, const std::string& user = {}) const;
    // Whether Dovecot's log has, or gets within `timeoutMs`, a line holding `text` (a login's
    // "method=PLAIN", say, and whether it came over TLS).
    bool LogHas(const std::string& text, int timeoutMs = 10000);
    // Dovecot's log so far.
    std::string Log() const;

private:
    std::string ReadLine(int timeoutMs);

    std::string user_;
    std::string folder_;
    std::string startError_;
    int imapPort_ = 0;
    int imapsPort_ = 0;
    int pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string pending_;
};

}  // namespace quillory::test
