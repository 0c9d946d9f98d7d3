// The account keeps its name and password as the program's text (Windows-1250, or UTF-8 behind a
// mark), as the settings store them; the mail servers must be given UTF-8 (SASL strings, RFC 4616
// and RFC 4954; IMAP LOGIN through a literal). The bytes each login writes, and logins with
// "tajné heslo" to a real Dovecot and to an aiosmtpd that decodes names and passwords strictly as
// UTF-8.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "DovecotServer.h"
#include "ImapTestSupport.h"
#include "NetTestSupport.h"
#include "SendAsTheProgram.h"
#include "core/ProgramText.h"
#include "core/Win1250.h"
#include "delivery/SentCopyAccount.h"
#include "mail/IdMessage.h"
#include "net/imap/ImapClient.h"
#include "net/smtp/SmtpAccount.h"

namespace quillory {
namespace {

using Lines = std::vector<std::string>;
using Session = test::HostileServer::Session;

const std::string Name = "novák";
const std::string Password = "tajné heslo";
const std::string Message = "Subject: Test\r\n\r\nDobr\xFD den\r\n";

// An account as the settings keep it: name and password in Windows-1250.
TSmtpAccount StoredAccount(const std::string& name = Name) {
    TSmtpAccount account;
    account.authenticate = true;
    account.login = Utf8ToWin1250(name);
    account.password = Utf8ToWin1250(Password);
    account.readTimeoutMs = 5000;
    return account;
}

TIdMessage SmallMessage() {
    TIdMessage message;
    message.From().SetText("Obchod <shop@example.cz>");
    message.Recipients().SetAddressesText("buyer@example.cz");
    message.Subject = "Offer";
    message.Body() = {"Good day"};
    return message;
}

// The settings keep text that Windows-1250 cannot hold as UTF-8 behind a mark: both forms reach the
// servers as the same UTF-8, the mark dropped.
TEST(Utf8Login, StoredTextOfEitherFormGoesOutAsUtf8) {
    for (const std::string& password : {std::string("tajné heslo"), std::string("tajné heslo ✓")}) {
        TSmtpAccount account = StoredAccount();
        account.server = "mail.example:587";
        account.password = ProgramTextFromUtf8(password);
        account.sentCopy.ownLogin = true;
        account.sentCopy.login = ProgramTextFromUtf8("jiný ✓");
        account.sentCopy.password = account.password;
        TIdSMTP smtp;
        smtp.Apply(account);
        EXPECT_EQ(smtp.Username, Name);
        EXPECT_EQ(smtp.Password, password);
        EXPECT_EQ(SentCopyLogin(account).user, "jiný ✓");
        EXPECT_EQ(SentCopyLogin(account).password, password);
    }
}

TEST(Utf8Login, SmtpLoginBytes) {
    struct Row {
        const char* name;
        std::string ehlo;
        Lines replies;
        Lines login;
    };
    // BASE64 of "novák", of "tajné heslo" and of NUL "novák" NUL "tajné heslo", all in UTF-8.
    const Row rows[] = {
        {"AUTH LOGIN",
         "250-mail.example\r\n250 AUTH LOGIN PLAIN",
         {"334 VXNlcm5hbWU6", "334 UGFzc3dvcmQ6", "235 ok"},
         {"AUTH LOGIN", "bm92w6Fr", "dGFqbsOpIGhlc2xv"}},
        {"AUTH PLAIN",
         "250-mail.example\r\n250 AUTH PLAIN",
         {"235 ok"},
         {"AUTH PLAIN AG5vdsOhawB0YWpuw6kgaGVzbG8="}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Lines replies = {"220 mail.example ESMTP", row.ehlo, "250 reset"};
        replies.insert(replies.end(), row.replies.begin(), row.replies.end());
        replies.insert(replies.end(), {"250 sender", "250 recipient", "354 go", "250 queued"});
        test::ScriptedServer server(replies);
        TSmtpAccount account = StoredAccount();
        account.server = "127.0.0.1:" + std::to_string(server.Port());
        TIdSMTP smtp;
        smtp.Apply(account);
        TIdMessage message = SmallMessage();
        EXPECT_EQ(test::SendAsTheProgramDoes(smtp, message), "");
        const Lines transcript = server.Transcript();
        const auto auth = std::find(transcript.begin(), transcript.end(), row.login.front());
        ASSERT_NE(auth, transcript.end());
        EXPECT_EQ(Lines(auth, auth + std::min<std::ptrdiff_t>(row.login.size(), transcript.end() - auth)),
                  row.login);
    }
}

// The IMAP server's side: answers every literal's announcement with a continuation, notes the
// literal's bytes in angle brackets, and accepts the login.
void AcceptLogin(Session& s, const std::string& greeting, Lines& seen) {
    s.Send(greeting + "\r\n");
    std::string line;
    while (s.ReadLine(line)) {
        seen.push_back(line);
        const auto open = line.rfind('{');
        if (line.empty() || line.back() != '}' || open == std::string::npos) break;
        std::string literal;
        if (!s.Send("+ go on\r\n") || !s.ReadExactly(std::stoul(line.substr(open + 1)), literal)) return;
        seen.push_back("<" + literal + ">");
    }
    s.Send(seen.front().substr(0, seen.front().find(' ')) + " OK [CAPABILITY IMAP4rev1] in\r\n");
    s.ClientClosedWithin(5000);
}

TEST(Utf8Login, ImapLoginBytes) {
    struct Row {
        const char* name;
        bool ownLogin;
        std::string greeting;
        Lines sent;
    };
    const Row rows[] = {
        // A quoted string carries no 8-bit byte: the name and the password go as literals.
        {"LOGIN, the sent copy's own login",
         true,
         "* OK [CAPABILITY IMAP4rev1] ready",
         {"A1 LOGIN {6}", "<novák>", " {12}", "<tajné heslo>", ""}},
        {"AUTHENTICATE PLAIN, the SMTP login",
         false,
         "* OK [CAPABILITY IMAP4rev1 LOGINDISABLED AUTH=PLAIN SASL-IR] ready",
         {"A1 AUTHENTICATE PLAIN AG5vdsOhawB0YWpuw6kgaGVzbG8="}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Lines seen;
        test::HostileServer server([&](Session& s) { AcceptLogin(s, row.greeting, seen); });
        // With a login of its own the SMTP one ("jiný") must not reach the IMAP server.
        TSmtpAccount account = StoredAccount(row.ownLogin ? "jiný" : Name);
        account.sentCopy.server = "127.0.0.1:" + std::to_string(server.Port());
        account.sentCopy.ownLogin = row.ownLogin;
        if (row.ownLogin) {
            account.sentCopy.login = Utf8ToWin1250(Name);
            account.sentCopy.password = Utf8ToWin1250(Password);
        }
        ImapClient imap;
        ApplySentCopyAccount(imap, account);
        OpenSentCopyMailbox(imap, account, {});
        imap.CloseConnection();
        server.Join();
        EXPECT_EQ(seen, row.sent);
    }
}

TEST(Utf8Login, StoredPasswordLogsInToDovecot) {
    test::DovecotServer dovecot("novak", Password);
    ASSERT_TRUE(dovecot.Started()) << dovecot.StartError();
    TSmtpAccount account = StoredAccount("novak");
    account.sentCopy.server = "127.0.0.1:" + std::to_string(dovecot.ImapPort());
    ImapClient imap;
    ApplySentCopyAccount(imap, account);
    OpenSentCopyMailbox(imap, account, {});
    imap.Append(imap.FindSentFolder(), test::MessageSource(Message));
    imap.Logout();
    EXPECT_EQ(dovecot.Messages("Odeslané").size(), 1u);
}

TEST(Utf8Login, StoredPasswordLogsInToAnSmtpServerThatChecksUtf8) {
    for (const char* mechanism : {"LOGIN", "PLAIN"}) {
        SCOPED_TRACE(mechanism);
        test::ChildProcess server({"/usr/bin/python3", test::SupportScript("net_aiosmtpd_server.py"), Name,
                                   Password, "--only", mechanism});
        const std::string ready = server.ReadLine(10000);
        ASSERT_EQ(ready.rfind("ready ", 0), 0u) << "the server did not start: " << ready;
        TSmtpAccount account = StoredAccount();
        account.server = "127.0.0.1:" + ready.substr(6);
        TIdSMTP smtp;
        smtp.Apply(account);
        TIdMessage message = SmallMessage();
        ASSERT_EQ(test::SendAsTheProgramDoes(smtp, message), "");
        std::istringstream report(server.ReadLine(10000));
        std::string word, used, login;
        report >> word >> used >> login;
        EXPECT_EQ(word, "message");
        EXPECT_EQ(used, mechanism);
        EXPECT_EQ(login, Name);
    }
}

}  // namespace
}  // namespace quillory
