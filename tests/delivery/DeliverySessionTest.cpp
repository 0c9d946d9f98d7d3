// The delivery session against real peers: an aiosmtpd that records every connection, login and
// message, and the tests' Dovecot for the copies in the Sent folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DovecotServer.h"
#include "NetTestSupport.h"
#include "delivery/DeliverySession.h"
#include "mail/IdException.h"
#include "mail/IdMessage.h"
#include "net/transport/IdRFCReply.h"

namespace quillory {
namespace {

using Lines = std::vector<std::string>;

// The events of a recording server up to its end, with each message line cut to its first words.
Lines Events(test::ChildProcess& server) {
    server.Finish();
    Lines events;
    for (std::string line = server.ReadLine(10000); !line.empty(); line = server.ReadLine(10000)) {
        if (line.rfind("message ", 0) == 0) line = line.substr(0, line.find(' ', line.find(' ', 8) + 1));
        events.push_back(line);
    }
    return events;
}

int StartedPort(test::ChildProcess& server) {
    const std::string ready = server.ReadLine(20000);
    return ready.rfind("ready ", 0) == 0 ? std::stoi(ready.substr(6)) : 0;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

class DeliverySessionTest : public ::testing::Test {
protected:
    DeliverySessionTest() {
        archive_ = std::filesystem::temp_directory_path() /
                   ("quillory-delivery-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                    "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(archive_);
        std::filesystem::create_directories(archive_);
        for (int i = 1; i <= 3; ++i) {
            TIdMessage& message = messages_.emplace_back();
            message.From().SetText("Obchod <novak@example.cz>");
            message.Recipients().SetAddressesText("buyer" + std::to_string(i) + "@example.cz");
            message.Subject = "Offer " + std::to_string(i);
            message.Body() = {"Good day,", "offer number " + std::to_string(i) + ".", "Regards"};
        }
        account_.readTimeoutMs = 10000;
        account_.replyTimeLimitMs = 20000;
        account_.sentCopy.localArchive = true;
    }
    ~DeliverySessionTest() override { std::filesystem::remove_all(archive_); }

    // Takes the port of a started recording server, and the login novak / heslo.
    void StartSmtp(test::ChildProcess& server) {
        const int port = StartedPort(server);
        ASSERT_NE(port, 0);
        account_.server = "127.0.0.1:" + std::to_string(port);
        account_.authenticate = true;
        account_.login = "novak";
        account_.password = "heslo";
    }

    // An aiosmtpd taking the login novak / heslo, with `options` of smtp_session_faults.py.
    static Lines AiosmtpdArguments(const Lines& options) {
        Lines argv = {"/usr/bin/python3",
                      test::SupportScript("net_aiosmtpd_server.py"),
                      "novak",
                      "heslo",
                      "--connections",
                      "--logins"};
        argv.insert(argv.end(), options.begin(), options.end());
        return argv;
    }

    void StoreCopiesIn(const test::DovecotServer& dovecot, const std::string& password) {
        account_.sentCopy.toServer = true;
        account_.sentCopy.server = "127.0.0.1:" + std::to_string(dovecot.ImapPort());
        account_.sentCopy.ownLogin = true;
        account_.sentCopy.login = "novak";
        account_.sentCopy.password = password;
    }

    std::vector<TDeliveryResult> SendAll(DeliverySession& session) {
        std::vector<TDeliveryResult> results;
        for (TIdMessage& message : messages_) results.push_back(session.Send(message));
        session.Close();
        return results;
    }

    std::size_t Archived() const {
        std::size_t count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(archive_))
            count += entry.path().extension() == ".eml" ? 1 : 0;
        return count;
    }

    std::filesystem::path archive_;
    std::vector<TIdMessage> messages_;
    TSmtpAccount account_;
};

TEST_F(DeliverySessionTest, ThreeMessagesMakeOneLoginThreeTransactionsAndThreeCopiesOverOneImapLogin) {
    test::DovecotServer dovecot("novak", "heslo");
    ASSERT_TRUE(dovecot.Started()) << dovecot.StartError();
    test::ChildProcess smtp(AiosmtpdArguments({}));
    StartSmtp(smtp);
    StoreCopiesIn(dovecot, "heslo");

    DeliverySession session(account_, archive_);
    for (const TDeliveryResult& result : SendAll(session)) {
        EXPECT_TRUE(result.Delivered());
        EXPECT_TRUE(result.serverCopyStored);
        EXPECT_FALSE(result.archiveError);
        EXPECT_EQ(result.folder, "Odeslan&AOk-");
    }
    EXPECT_EQ(Events(smtp), (Lines{"connected", "login LOGIN novak", "message LOGIN novak",
                                   "message LOGIN novak", "message LOGIN novak"}));
    const auto stored = dovecot.Messages("Odeslané");
    ASSERT_EQ(stored.size(), 3u);
    for (std::size_t i = 0; i < stored.size(); ++i) {
        EXPECT_NE(stored[i].bytes.find("Subject: Offer " + std::to_string(i + 1)), std::string::npos);
        EXPECT_EQ(stored[i].flags, "S");
    }
    ASSERT_TRUE(dovecot.LogHas("Logged out"));
    EXPECT_EQ(Count(dovecot.Log(), "Login: user=<novak>"), 1u) << dovecot.Log();
    EXPECT_EQ(Archived(), 3u);
}

TEST_F(DeliverySessionTest, After421TheNextMessageGoesOverANewConnectionAndEachIsDeliveredOnce) {
    test::ChildProcess smtp(AiosmtpdArguments({"--close-after", "2"}));
    StartSmtp(smtp);

    DeliverySession session(account_, archive_);
    for (const TDeliveryResult& result : SendAll(session)) EXPECT_TRUE(result.Delivered());
    EXPECT_EQ(Events(smtp),
              (Lines{"connected", "login LOGIN novak", "message LOGIN novak", "message LOGIN novak",
                     "connected", "login LOGIN novak", "message LOGIN novak"}));
    EXPECT_EQ(Archived(), 3u);
}

TEST_F(DeliverySessionTest, ATokenRefusedAtTheSecondMessageIsRenewedOnce) {
    // "first-token" is good for one login: the connection that follows the 421 is refused it.
    test::ChildProcess smtp({"/usr/bin/python3", test::SupportScript("smtp_xoauth2_server.py"), "--once",
                             "first-token", "--token", "fresh-token", "--close-after", "1", "--connections"});
    StartSmtp(smtp);
    account_.authenticate = false;
    account_.oauth.method = TLoginMethod::Microsoft;
    account_.oauth.address = "novak@example.cz";
    std::string current = "first-token";
    int renewals = 0;
    const TAccessTokenSource tokens = [&](bool renew, const std::function<bool()>&) {
        if (renew) {
            ++renewals;
            current = "fresh-token";
        }
        return current;
    };

    DeliverySession session(account_, archive_, tokens);
    for (const TDeliveryResult& result : SendAll(session)) EXPECT_TRUE(result.Delivered());
    EXPECT_EQ(renewals, 1);
    EXPECT_EQ(Events(smtp),
              (Lines{"connected", "message XOAUTH2 novak@example.cz", "connected", "refused novak@example.cz",
                     "connected", "message XOAUTH2 novak@example.cz", "message XOAUTH2 novak@example.cz"}));
}

TEST_F(DeliverySessionTest, AWrongImapPasswordDeliversAllThreeAndWarnsOnce) {
    test::DovecotServer dovecot("novak", "heslo");
    ASSERT_TRUE(dovecot.Started()) << dovecot.StartError();
    test::ChildProcess smtp(AiosmtpdArguments({}));
    StartSmtp(smtp);
    StoreCopiesIn(dovecot, "wrong");

    DeliverySession session(account_, archive_);
    int warnings = 0;
    for (const TDeliveryResult& result : SendAll(session)) {
        EXPECT_TRUE(result.Delivered());
        EXPECT_FALSE(result.serverCopyStored);
        warnings += result.serverCopyError ? 1 : 0;
    }
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(Events(smtp).size(), 5u);
    EXPECT_TRUE(dovecot.Messages("Odeslané").empty());
    EXPECT_EQ(Archived(), 3u);
}

// A refusal leaves the session able to go on: the refused message is told with the server's reply,
// the next one follows a RSET on the same connection.
TEST_F(DeliverySessionTest, ARefusedMessageIsToldWithTheReplyAndTheNextOneDeliveredAfterRset) {
    test::ScriptedServer server({"220 mail.example", "250 mail.example", "250 reset", "250 sender",
                                 "550 5.1.1 No such user", "250 reset", "250 sender", "250 rcpt", "354 go",
                                 "250 queued"});
    account_.server = "127.0.0.1:" + std::to_string(server.Port());
    account_.sentCopy.localArchive = false;
    DeliverySession session(account_, archive_);
    session.Smtp().HeloName = "client.example";
    const TDeliveryResult refused = session.Send(messages_[0]);
    const TDeliveryResult delivered = session.Send(messages_[1]);
    session.Close();
    EXPECT_EQ(refused.status, TDeliveryResult::TStatus::Refused);
    EXPECT_EQ(refused.replyCode, 550);
    EXPECT_EQ(refused.reply, "5.1.1 No such user\r\n");
    EXPECT_TRUE(delivered.Delivered());
    const Lines transcript = server.Transcript();
    ASSERT_GE(transcript.size(), 8u);
    EXPECT_EQ(
        Lines(transcript.begin(), transcript.begin() + 8),
        (Lines{"EHLO client.example", "RSET", "MAIL FROM:<novak@example.cz>", "RCPT TO:<buyer1@example.cz>",
               "RSET", "MAIL FROM:<novak@example.cz>", "RCPT TO:<buyer2@example.cz>", "DATA"}));
    EXPECT_EQ(transcript.back(), "QUIT");
}

// The two moments a caller that keeps a journal relies on. A hook that raises before the final "."
// leaves the server nothing to keep: the connection ends without the ".". A connection that breaks
// after the "." went out, before the server's answer, may have delivered the message: it is told so
// and not sent again.
TEST_F(DeliverySessionTest, NothingIsKeptWhenTheHookBeforeTheDotRaisesAndNothingResentAfterTheDot) {
    struct Row {
        const char* name;
        bool hookRaises;
        bool mayHaveArrived;
    };
    for (const Row row : {Row{"hook raises", true, false}, Row{"broken after the dot", false, true}}) {
        SCOPED_TRACE(row.name);
        bool dotReceived = false;
        int dataSections = 0;
        test::HostileServer server([&](test::HostileServer::Session& session) {
            session.Send("220 mail.example\r\n");
            if (!session.Answer({"250 mail.example", "250 reset", "250 sender", "250 rcpt", "354 go"}))
                return;
            std::size_t bytes = 0;
            dotReceived = session.ReadData(bytes);
            dataSections += dotReceived ? 1 : 0;
            // No answer to the ".": the connection ends here.
        });
        account_.server = "127.0.0.1:" + std::to_string(server.Port());
        account_.readTimeoutMs = 5000;
        DeliverySession session(account_, archive_);
        int hookCalls = 0;
        session.BeforeFinalDot = [&](const TIdMessage& message) {
            ++hookCalls;
            EXPECT_EQ(message.Subject, "Offer 1");
            if (row.hookRaises) throw EIdException("journal not written");
        };
        const TDeliveryResult result = session.Send(messages_[0]);
        session.Close();
        server.Join();
        EXPECT_EQ(hookCalls, 1);
        EXPECT_EQ(result.status, TDeliveryResult::TStatus::NotSent);
        EXPECT_EQ(result.mayHaveArrived, row.mayHaveArrived);
        EXPECT_EQ(dotReceived, !row.hookRaises);
        EXPECT_LE(dataSections, 1);
        EXPECT_EQ(Archived(), 0u);
    }
}

}  // namespace
}  // namespace quillory
