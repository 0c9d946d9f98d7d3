// The IMAP client against a real Dovecot started by the test (tests/support/dovecot_server.py):
// the login with passwords that need quoting or a literal, the Sent folder found by its \Sent flag
// or by name, a message stored byte for byte and flagged \Seen, STARTTLS and TLS from the first
// byte, and the server's own words when it refuses.
#include <gtest/gtest.h>

#include <cstdlib>

#include "DovecotServer.h"
#include "ImapTestSupport.h"
#include "net/imap/ImapClient.h"

namespace quillory {
namespace {

using Folders = std::vector<TImapFolder>;

// Czech text in UTF-8 and in Windows-1250, a line starting with a dot, a long line: what the
// program's messages hold, none of which may change on the way.
const std::string Message =
    "From: Obchod <shop@example.cz>\r\n"
    "To: buyer@example.cz\r\n"
    "Subject: =?UTF-8?Q?Cen=C3=ADk?=\r\n"
    "Message-ID: <20240101120000.1@example.cz>\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: text/plain; charset=windows-1250\r\n"
    "Content-Transfer-Encoding: 8bit\r\n"
    "\r\n"
    "Dobr\xFD den, P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2\r\n"
    ".\r\n"
    "P\xC5\x99\xC3\xADli\xC5\xA1 \xC5\xBElu\xC5\xA5ou\xC4\x8Dk\xC3\xBD\r\n" +
    std::string(900, 'x') + "\r\n";

class ImapDovecotTest : public ::testing::Test {
protected:
    ImapDovecotTest() {
        imap_.Host = "127.0.0.1";
        imap_.Security = TImapSecurity::StartTLS;
        imap_.ReadTimeout = 10000;
    }

    // Connects to `port` of this machine by `host` and logs in.
    void Connect(int port, const std::string& password = "tajné heslo") {
        imap_.Port = port;
        imap_.OpenConnection(5000);
        imap_.Login("novak", password);
    }

    ImapClient imap_;
};

TEST_F(ImapDovecotTest, StoresTheMessageByteForByteInTheFolderFlaggedSentAndSeen) {
    // A folder named "Sent" without the flag comes first by name: only the \Sent flag picks "Odeslané".
    test::DovecotServer::TOptions options;
    options.extraFolders = {"Sent"};
    test::DovecotServer dovecot("novak", "tajné heslo", options);
    ASSERT_TRUE(dovecot.Started()) << dovecot.StartError();
    Connect(dovecot.ImapPort());

    const Folders folders = imap_.ListFolders();
    const auto sent =
        std::find_if(folders.begin(), folders.end(), [](const TImapFolder& f) { return f.IsSent(); });
    ASSERT_NE(sent, folders.end());
    EXPECT_EQ(sent->wireName, "Odeslan&AOk-");
    EXPECT_EQ(sent->displayName, "Odeslané");
    EXPECT_EQ(imap_.FindSentFolder(), "Odeslan&AOk-");

    long long announced = -1, last = -1;
    imap_.OnWorkBegin = [&](TIdComponent&, TWorkMode mode, long long size) {
        if (mode == TWorkMode::wmWrite) announced = size;
    };
    imap_.OnWork = [&](TIdComponent&, TWorkMode mode, long long position) {
        if (mode == TWorkMode::wmWrite) last = position;
    };
    // Odd pieces from the source, so the message crosses the client's buffer at odd places.
    imap_.Append("Odeslan&AOk-", test::MessageSource(Message, 777));
    imap_.Logout();
    EXPECT_FALSE(imap_.IsConnected());
    EXPECT_EQ(announced, static_cast<long long>(Message.size()));
    EXPECT_EQ(last, static_cast<long long>(Message.size()));

    const auto stored = dovecot.Messages("Odeslané");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].bytes, Message);
    EXPECT_EQ(stored[0].flags, "S");
    EXPECT_TRUE(dovecot.Messages("Sent").empty());
    EXPECT_TRUE(dovecot.Messages("INBOX").empty());
}

TEST_F(ImapDovecotTest, LogsInWithPasswordsThatNeedQuotingOrALiteral) {
    struct Case {
        const char* name;
        std::string user;
        std::string password;
    };
    const Case cases[] = {
        {"8-bit: a literal", "novak", "tajné heslo"},
        {"quote and backslash: an escaped quoted string", "svoboda", "a\"b\\c d"},
        {"Windows-1250 bytes, not UTF-8: a literal", "dvorak", "\xE8\x9A\x9D"},
        {"braces and a percent sign", "cerny", "{5}%*()"},
    };
    test::DovecotServer::TOptions options;
    for (const Case& c : cases)
        if (c.user != "novak") options.extraUsers.emplace_back(c.user, c.password);
    test::DovecotServer dovecot("novak", "tajné heslo", options);
    ASSERT_TRUE(dovecot.Started()) << dovecot.StartError();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImapClient imap;
        imap.Host = "127.0.0.1";
        imap.Port = dovecot.ImapPort();
        imap.Security = TImapSecurity::StartTLS;
        EXPECT_EQ(test::StoreAsTheProgramDoes(imap, c.user, c.password, Message), "");
        EXPECT_TRUE(dovecot.LogHas("Login: user=<" + c.user + ">, method=PLAIN"));
        ASSERT_EQ(dovecot.Messages("Odeslané", c.user).size(), 1u);
    }
}

TEST_F(ImapDovecotTest, AWrongPasswordIsRefusedWithTheServersWordsAndNothingStored) {
    test::DovecotServer dovecot("novak", "tajné heslo");
    ASSERT_TRUE(dovecot.Started()) << dovecot.StartError();
    imap_.Port = dovecot.ImapPort();
    imap_.OpenConnection(5000);
    try {
        imap_.Login("novak", "wrong");
        FAIL() << "the login passed";
    } catch (const EImapCommandFailed& error) {
        EXPECT_EQ(error.Step(), "LOGIN");
        EXPECT_EQ(error.Status(), "NO");
        EXPECT_EQ(error.Code(), "AUTHENTICATIONFAILED");
        EXPECT_EQ(error.Text(), "Authentication failed.");
        EXPECT_EQ(error.Message(), "LOGIN: NO Authentication failed.");
    }
    EXPECT_FALSE(imap_.LoggedIn());
    imap_.CloseConnection();
    imap_.Port = dovecot.ImapPort();
    EXPECT_EQ(test::StoreAsTheProgramDoes(imap_, "novak", "wrong", Message),
              "LOGIN: NO Authentication failed.");
    EXPECT_TRUE(dovecot.Messages("Odeslané").empty());
}

TEST_F(ImapDovecotTest, FindsTheSentFolderByNameWithoutTheFlagAndReportsNone) {
    {
        test::DovecotServer::TOptions options;
        options.specialUse = false;
        options.extraFolders = {"Sent Items", "Koncepty"};
        test::DovecotServer dovecot("novak", "tajné heslo", options);
        ASSERT_TRUE(dovecot.Started()) << dovecot.StartError();
        Connect(dovecot.ImapPort());
        // "Odeslané" comes before "Sent Items" in the order of the usual names.
        EXPECT_EQ(imap_.FindSentFolder(), "Odeslan&AOk-");
        imap_.Logout();
    }
    {
        test::DovecotServer::TOptions options;
        options.sentFolder = false;
        options.extraFolders = {"Koncepty", "Odeslané zprávy"};
        test::DovecotServer dovecot("novak", "tajné heslo", options);
        ASSERT_TRUE(dovecot.Started()) << dovecot.StartError();
        imap_.Port = dovecot.ImapPort();
        EXPECT_EQ(test::StoreAsTheProgramDoes(imap_, "novak", "tajné heslo", Message),
                  "The mailbox has no Sent folder");
        EXPECT_TRUE(dovecot.Messages("INBOX").empty());
    }
}

TEST_F(ImapDovecotTest, StartTLSAndTLSFromTheFirstByteCarryTheLoginAndTheMessage) {
    test::DovecotServer::TOptions options;
    options.tls = true;
    test::DovecotServer dovecot("novak", "tajné heslo", options);
    ASSERT_TRUE(dovecot.Started()) << dovecot.StartError();
    // Only the test's authority is trusted.
    ::setenv("SSL_CERT_FILE", dovecot.CertificateAuthority().c_str(), 1);
    struct Case {
        const char* name;
        std::string host;
        int port;
        TImapSecurity security;
    };
    const Case cases[] = {
        {"STARTTLS by name", "localhost", dovecot.ImapPort(), TImapSecurity::StartTLS},
        {"TLS from the first byte by address", "127.0.0.1", dovecot.ImapsPort(), TImapSecurity::ImplicitTLS},
    };
    std::size_t stored = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImapClient imap;
        imap.Host = c.host;
        imap.Port = c.port;
        imap.Security = c.security;
        imap.OpenConnection(5000);
        EXPECT_TRUE(imap.Encrypted());
        // Inside TLS the server offers no STARTTLS any more: the capabilities are those said inside.
        EXPECT_FALSE(imap.HasCapability("STARTTLS"));
        imap.Login("novak", "tajné heslo");
        imap.Append(imap.FindSentFolder(), test::MessageSource(Message));
        imap.Logout();
        EXPECT_EQ(dovecot.Messages("Odeslané").size(), ++stored);
    }
    // Dovecot notes a login over TLS with "TLS" behind the addresses; both came that way.
    const std::string log = dovecot.Log();
    std::size_t overTLS = 0;
    for (std::size_t at = log.find("Login: user=<novak>"); at != std::string::npos;
         at = log.find("Login: user=<novak>", at + 1)) {
        const std::string line = log.substr(at, log.find('\n', at) - at);
        EXPECT_NE(line.find(", TLS"), std::string::npos) << line;
        ++overTLS;
    }
    EXPECT_EQ(overTLS, 2u);
    ::unsetenv("SSL_CERT_FILE");
}

}  // namespace
}  // namespace quillory
