#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "NetTestSupport.h"
#include "SendAsTheProgram.h"
#include "core/Exception.h"
#include "mail/IdException.h"
#include "mail/IdMessage.h"
#include "mail/IdMessageClient.h"
#include "net/smtp/IdSMTP.h"

namespace quillory {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* Greeting = "220 mail.example ESMTP";
constexpr const char* EhloWithLogin = "250-mail.example\r\n250-AUTH LOGIN PLAIN\r\n250 SIZE 1000";

class SmtpSessionTest : public ::testing::Test {
protected:
    SmtpSessionTest() {
        message_.From().SetText("Obchod <shop@example.cz>");
        message_.Recipients().SetAddressesText("buyer@example.cz");
        message_.Subject = "Offer";
        message_.Body() = {"Good day,", ".", "Regards"};
        smtp_.HeloName = "client.example";
        smtp_.SetAuthenticationType(TAuthenticationType::atLogin);
        smtp_.Username = "user";
        smtp_.Password = "secret";
    }

    std::string SendTo(test::ScriptedServer& server) {
        smtp_.Host = "127.0.0.1";
        smtp_.Port = server.Port();
        return test::SendAsTheProgramDoes(smtp_, message_);
    }

    // MAIL FROM as sent to a server that announces SIZE (EhloWithLogin does, RFC 1870).
    std::string MailFromWithSize() {
        return "MAIL FROM:<shop@example.cz> SIZE=" + std::to_string(TIdMessageClient::MessageSize(message_));
    }

    // The lines the client sent outside the DATA sections (from an accepted DATA up to ".").
    static Lines Commands(const Lines& transcript) {
        Lines commands = transcript;
        auto data = commands.begin();
        while ((data = std::find(data, commands.end(), "DATA")) != commands.end()) {
            const auto dot = std::find(data, commands.end(), ".");
            if (dot == commands.end()) break;
            data = commands.erase(data + 1, dot);
        }
        return commands;
    }

    TIdMessage message_;
    TIdSMTP smtp_;
};

TEST_F(SmtpSessionTest, OneSendLogsInDeliversEveryRecipientAndQuits) {
    message_.Recipients().SetAddressesText("a@example.cz, b@example.cz");
    message_.CCList().Add().SetAddress("c@example.cz");
    message_.BccList().Add().SetAddress("d@example.cz");
    test::ScriptedServer server({Greeting, EhloWithLogin, "250 reset", "334 VXNlcm5hbWU6", "334 UGFzc3dvcmQ6",
                                 "235 ok", "250 sender", "250 r1", "251 r2", "250 r3", "250 r4", "354 go",
                                 "250 queued"});
    EXPECT_EQ(SendTo(server), "");
    const Lines transcript = server.Transcript();
    EXPECT_EQ(Commands(transcript),
              (Lines{"EHLO client.example", "RSET", "AUTH LOGIN", "dXNlcg==", "c2VjcmV0", MailFromWithSize(),
                     "RCPT TO:<a@example.cz>", "RCPT TO:<b@example.cz>", "RCPT TO:<c@example.cz>",
                     "RCPT TO:<d@example.cz>", "DATA", ".", "QUIT"}));
    // The body follows the empty line that ends the header block, its "." line dot-stuffed.
    const auto data = std::find(transcript.begin(), transcript.end(), "DATA");
    const auto body = std::find(data, transcript.end(), "");
    ASSERT_NE(body, transcript.end());
    EXPECT_EQ(Lines(body + 1, body + 5), (Lines{"Good day,", "..", "Regards", "."}));
    EXPECT_NE(std::find(data, body, "Subject: Offer"), body);
}

TEST_F(SmtpSessionTest, NoLoginWhenAuthenticationIsOffEvenIfOffered) {
    smtp_.SetAuthenticationType(TAuthenticationType::atNone);
    test::ScriptedServer server(
        {Greeting, EhloWithLogin, "250 reset", "250 sender", "250 r", "354 go", "250 ok"});
    EXPECT_EQ(SendTo(server), "");
    EXPECT_EQ(Commands(server.Transcript()), (Lines{"EHLO client.example", "RSET", MailFromWithSize(),
                                                    "RCPT TO:<buyer@example.cz>", "DATA", ".", "QUIT"}));
}

TEST_F(SmtpSessionTest, RefusedEhloFallsBackToHeloWithoutLogin) {
    test::ScriptedServer server(
        {Greeting, "502 no", "250 hello", "250 reset", "250 sender", "250 r", "354 go", "250 ok"});
    EXPECT_EQ(SendTo(server), "");
    EXPECT_TRUE(smtp_.OfferedMechanisms().empty());
    EXPECT_EQ(Commands(server.Transcript()),
              (Lines{"EHLO client.example", "HELO client.example", "RSET", "MAIL FROM:<shop@example.cz>",
                     "RCPT TO:<buyer@example.cz>", "DATA", ".", "QUIT"}));
}

TEST_F(SmtpSessionTest, MechanismsAreCollectedFromAuthLinesOnly) {
    test::ScriptedServer server(
        {Greeting,
         "250-name\r\n250-AUTH LOGIN PLAIN\r\n250-auth=login cram-md5\r\n250-AUTHENTICATE X\r\n250 SIZE 1"});
    smtp_.Host = "127.0.0.1";
    smtp_.Port = server.Port();
    smtp_.Connect(1000);
    EXPECT_EQ(smtp_.OfferedMechanisms(), (Lines{"LOGIN", "PLAIN", "CRAM-MD5"}));
    smtp_.Disconnect();
}

TEST_F(SmtpSessionTest, AnEnvelopeAddressWithALineBreakIsRefusedBeforeAnyCommand) {
    message_.CCList().Add().SetAddress("b@example.cz>\r\nRCPT TO:<victim@example.org");
    test::ScriptedServer server({Greeting, EhloWithLogin});
    EXPECT_EQ(SendTo(server), "Invalid character (CR, LF or NUL) in e-mail address.");
    EXPECT_EQ(server.Transcript(), (Lines{"EHLO client.example", "QUIT"}));
}

// One row of the failure table: the server's script, the message the user reads, and the
// commands the client sent (QUIT only when the connection was still up).
struct FailureRow {
    const char* name;
    Lines replies;
    std::string error;
    Lines commands;
};

class SmtpFailureTest : public SmtpSessionTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(SmtpFailureTest, EndsWithTheExactMessageAndQuitOnlyWhenStillConnected) {
    const FailureRow& row = GetParam();
    smtp_.ReadTimeout = 200;  // for the silent server
    test::ScriptedServer server(row.replies);
    EXPECT_EQ(SendTo(server), row.error);
    // A server that announces SIZE is told the message's size with MAIL FROM (RFC 1870).
    Lines expected = row.commands;
    const bool sizeAnnounced =
        std::any_of(row.replies.begin(), row.replies.end(),
                    [](const std::string& reply) { return reply.find("SIZE") != std::string::npos; });
    if (sizeAnnounced)
        std::replace(expected.begin(), expected.end(), std::string("MAIL FROM:<shop@example.cz>"),
                     MailFromWithSize());
    EXPECT_EQ(Commands(server.Transcript()), expected);
    EXPECT_FALSE(smtp_.Connected());
}

const Lines Login = {"AUTH LOGIN", "dXNlcg==", "c2VjcmV0"};
const Lines Envelope = {"MAIL FROM:<shop@example.cz>", "RCPT TO:<buyer@example.cz>"};
const char* const Closed = "Connection Closed Gracefully.";

Lines Concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

INSTANTIATE_TEST_SUITE_P(
    FailureTable, SmtpFailureTest,
    ::testing::Values(
        FailureRow{"greeting_refused", {"421 busy, try later"}, "busy, try later\r\n", {"QUIT"}},
        FailureRow{"helo_refused",
                   {Greeting, "500 no", "550 go away"},
                   "go away\r\n",
                   {"EHLO client.example", "HELO client.example", "QUIT"}},
        FailureRow{"silent_server", {"<silent>"}, "Read Timeout", {"QUIT"}},
        FailureRow{"silent_after_data",
                   {Greeting, EhloWithLogin, "250 r", "334 a", "334 b", "235 ok", "250 s", "250 r", "354 go",
                    "<silent>"},
                   "Read Timeout",
                   Concat({{"EHLO client.example", "RSET"}, Login, Envelope, {"DATA", ".", "QUIT"}})},
        FailureRow{"login_name_refused",
                   {Greeting, EhloWithLogin, "250 r", "334 a", "501 bad name"},
                   "bad name\r\n",
                   {"EHLO client.example", "RSET", "AUTH LOGIN", "dXNlcg==", "QUIT"}},
        FailureRow{"password_refused",
                   {Greeting, EhloWithLogin, "250 r", "334 a", "334 b", "535 5.7.8 no"},
                   "5.7.8 no\r\n",
                   Concat({{"EHLO client.example", "RSET"}, Login, {"QUIT"}})},
        FailureRow{
            "recipient_unknown",
            {Greeting, EhloWithLogin, "250 r", "334 a", "334 b", "235 ok", "250 s", "550 5.1.1 No such user"},
            "5.1.1 No such user\r\n",
            Concat({{"EHLO client.example", "RSET"}, Login, Envelope, {"QUIT"}})},
        FailureRow{
            "data_refused",
            {Greeting, EhloWithLogin, "250 r", "334 a", "334 b", "235 ok", "250 s", "250 r", "554 no data"},
            "no data\r\n",
            Concat({{"EHLO client.example", "RSET"}, Login, Envelope, {"DATA", "QUIT"}})},
        FailureRow{"message_refused",
                   {Greeting, EhloWithLogin, "250 r", "334 a", "334 b", "235 ok", "250 s", "250 r", "354 go",
                    "552-too big\r\n552 sorry"},
                   "too big\r\nsorry\r\n",
                   Concat({{"EHLO client.example", "RSET"}, Login, Envelope, {"DATA", ".", "QUIT"}})},
        FailureRow{"reply_line_too_long",
                   {Greeting, "250-" + std::string(17000, 'x')},
                   "Max line length exceeded.",
                   {"EHLO client.example", "QUIT"}},
        FailureRow{"close_at_greeting", {"<close>"}, Closed, {}},
        FailureRow{"close_after_ehlo", {Greeting, "<close>"}, Closed, {"EHLO client.example"}},
        FailureRow{"close_after_rset",
                   {Greeting, EhloWithLogin, "<close>"},
                   Closed,
                   {"EHLO client.example", "RSET"}},
        FailureRow{"close_after_auth",
                   {Greeting, EhloWithLogin, "250 r", "<close>"},
                   Closed,
                   {"EHLO client.example", "RSET", "AUTH LOGIN"}},
        FailureRow{"close_after_password",
                   {Greeting, EhloWithLogin, "250 r", "334 a", "334 b", "<close>"},
                   Closed,
                   Concat({{"EHLO client.example", "RSET"}, Login})},
        FailureRow{"close_after_mail",
                   {Greeting, EhloWithLogin, "250 r", "334 a", "334 b", "235 ok", "<close>"},
                   Closed,
                   Concat({{"EHLO client.example", "RSET"}, Login, {Envelope[0]}})},
        FailureRow{"close_after_rcpt",
                   {Greeting, EhloWithLogin, "250 r", "334 a", "334 b", "235 ok", "250 s", "<close>"},
                   Closed,
                   Concat({{"EHLO client.example", "RSET"}, Login, Envelope})},
        FailureRow{
            "close_after_data",
            {Greeting, EhloWithLogin, "250 r", "334 a", "334 b", "235 ok", "250 s", "250 r", "<close>"},
            Closed,
            Concat({{"EHLO client.example", "RSET"}, Login, Envelope, {"DATA"}})},
        FailureRow{"close_after_message",
                   {Greeting, EhloWithLogin, "250 r", "334 a", "334 b", "235 ok", "250 s", "250 r", "354 go",
                    "<close>"},
                   Closed,
                   Concat({{"EHLO client.example", "RSET"}, Login, Envelope, {"DATA", "."}})}),
    [](const ::testing::TestParamInfo<FailureRow>& info) { return std::string(info.param.name); });

TEST_F(SmtpSessionTest, UnreachableServersGiveTheNumberedMessages) {
    test::RefusingPort refusing;
    smtp_.Host = "127.0.0.1";
    smtp_.Port = refusing.Port();
    EXPECT_EQ(test::SendAsTheProgramDoes(smtp_, message_), "Socket Error # 10061\r\nConnection refused.");
    smtp_.Host = "no-such-host.invalid";
    EXPECT_EQ(test::SendAsTheProgramDoes(smtp_, message_), "Socket Error # 11001\r\nHost not found.");
}

// A status handler that raises while the session closes: the goodbye is sent, the socket closes,
// the other notifications still come, and the first handler error is the one raised.
TEST_F(SmtpSessionTest, StatusHandlersThatRaiseDuringTheCloseAreReportedAfterTheSocketCloses) {
    std::vector<TIdStatus> seen;
    smtp_.OnStatus = [&seen](TIdComponent&, TIdStatus status, const std::string& text) {
        seen.push_back(status);
        if (status == TIdStatus::hsDisconnecting || status == TIdStatus::hsDisconnected)
            throw EIdException("handler failed at " + text);
    };
    test::ScriptedServer server({Greeting, EhloWithLogin});
    smtp_.Host = "127.0.0.1";
    smtp_.Port = server.Port();
    smtp_.Connect(1000);
    seen.clear();
    try {
        smtp_.Disconnect();
        ADD_FAILURE() << "the handler's error was lost";
    } catch (const EIdException& error) {
        EXPECT_EQ(error.Message(), "handler failed at Disconnecting.");
    }
    EXPECT_EQ(seen, (std::vector<TIdStatus>{TIdStatus::hsDisconnecting, TIdStatus::hsDisconnected}));
    EXPECT_FALSE(smtp_.Connected());
    EXPECT_EQ(server.Transcript(), (Lines{"EHLO client.example", "QUIT"}));

    // The session can be opened again afterwards.
    smtp_.OnStatus = nullptr;
    test::ScriptedServer next({Greeting, EhloWithLogin});
    smtp_.Port = next.Port();
    smtp_.Connect(1000);
    EXPECT_TRUE(smtp_.Connected());
    smtp_.Disconnect();
    EXPECT_EQ(next.Transcript(), (Lines{"EHLO client.example", "QUIT"}));
}

TEST_F(SmtpSessionTest, TheNextTransactionOnTheConnectionStartsWithRsetAndLogsInOnce) {
    test::ScriptedServer server({Greeting, EhloWithLogin, "250 r", "334 a", "334 b", "235 ok", "250 s",
                                 "550 unknown", "250 r", "250 s", "250 r", "354 go", "250 ok"});
    smtp_.Host = "127.0.0.1";
    smtp_.Port = server.Port();
    smtp_.Connect(1000);
    EXPECT_THROW(smtp_.SendMail(message_), EIdProtocolReplyError);
    smtp_.SendMail(message_);
    smtp_.Disconnect();
    const Lines envelope = {MailFromWithSize(), "RCPT TO:<buyer@example.cz>"};
    EXPECT_EQ(
        Commands(server.Transcript()),
        Concat(
            {{"EHLO client.example", "RSET"}, Login, envelope, {"RSET"}, envelope, {"DATA", ".", "QUIT"}}));
}

}  // namespace
}  // namespace quillory

namespace quillory {
namespace {

// RFC 1870 as the client reads it from the EHLO reply: whether MAIL FROM carries SIZE= and when a
// message is refused before anything of the transaction is sent.
TEST_F(SmtpSessionTest, SizeIsDeclaredWhenAnnouncedAndATooLargeMessageIsRefusedBeforeMailFrom) {
    smtp_.SetAuthenticationType(TAuthenticationType::atNone);
    const std::int64_t size = TIdMessageClient::MessageSize(message_);
    const std::string declared = "MAIL FROM:<shop@example.cz> SIZE=" + std::to_string(size);
    const struct {
        const char* ehloSizeLine;
        std::string mailFrom;  // empty: refused before MAIL FROM
    } cases[] = {
        {"250 SIZE 100000", declared},
        {"250 SIZE", declared},    // announced without a limit
        {"250 SIZE 0", declared},  // RFC 1870 §4: no fixed limit
        {"250 size x", declared},  // a limit that does not read as a number limits nothing
        {"250 8BITMIME", "MAIL FROM:<shop@example.cz>"},
        {"250 SIZE 100", ""},
    };
    for (const auto& c : cases) {
        test::ScriptedServer server({Greeting, std::string("250-mail.example\r\n") + c.ehloSizeLine,
                                     "250 reset", "250 sender", "250 r", "354 go", "250 queued"});
        const std::string error = SendTo(server);
        const Lines commands = Commands(server.Transcript());
        if (c.mailFrom.empty()) {
            EXPECT_EQ(error, "The message is " + std::to_string(size) +
                                 " bytes, the server accepts at most 100 bytes");
            EXPECT_EQ(commands, (Lines{"EHLO client.example", "QUIT"})) << c.ehloSizeLine;
        } else {
            EXPECT_EQ(error, "") << c.ehloSizeLine;
            ASSERT_GE(commands.size(), 3u) << c.ehloSizeLine;
            EXPECT_EQ(commands[2], c.mailFrom) << c.ehloSizeLine;
        }
    }
}

TEST_F(SmtpSessionTest, TheMessageTextIsOneWriteSpanOfItsSize) {
    smtp_.SetAuthenticationType(TAuthenticationType::atNone);
    long long expected = -1, last = -1;
    int begins = 0, ends = 0;
    smtp_.OnWorkBegin = [&](TIdComponent&, TWorkMode mode, long long size) {
        if (mode == TWorkMode::wmWrite) ++begins, expected = size;
    };
    smtp_.OnWork = [&](TIdComponent&, TWorkMode mode, long long position) {
        if (mode == TWorkMode::wmWrite) last = position;
    };
    smtp_.OnWorkEnd = [&](TIdComponent&, TWorkMode mode) { ends += mode == TWorkMode::wmWrite ? 1 : 0; };
    test::ScriptedServer server(
        {Greeting, "250 mail.example", "250 reset", "250 sender", "250 r", "354 go", "250 queued"});
    EXPECT_EQ(SendTo(server), "");
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(expected, TIdMessageClient::MessageSize(message_));
    // All of the text is sent before the span ends; the one "." line of the body goes out as "..".
    EXPECT_EQ(last, expected + 1);
}

}  // namespace
}  // namespace quillory

namespace quillory {
namespace {

// An attached file that is gone when the writer comes to it ends the send inside DATA: the
// connection is dropped there (what was still buffered goes nowhere), so neither the terminating
// "." nor a QUIT can follow the part of the text already sent, and the server never takes the
// message.
TEST_F(SmtpSessionTest, AFileGoneDuringTheTextEndsTheConnectionWithoutTheFinalDot) {
    smtp_.SetAuthenticationType(TAuthenticationType::atNone);
    const std::string path = ::testing::TempDir() + "net_gone.bin";
    std::ofstream(path, std::ios::binary) << "price list";
    message_.MessageParts().AddText({"Good day,"});
    message_.MessageParts().AddAttachment(path).SetExpectedSize(10);
    std::remove(path.c_str());
    test::ScriptedServer server({Greeting, "250 mail.example", "250 reset", "250 sender", "250 r", "354 go"});
    EXPECT_EQ(SendTo(server), "The attached file \"net_gone.bin\" no longer exists");
    EXPECT_FALSE(smtp_.Connected());
    const Lines transcript = server.Transcript();
    const auto data = std::find(transcript.begin(), transcript.end(), "DATA");
    ASSERT_NE(data, transcript.end());
    EXPECT_EQ(std::find(data, transcript.end(), "."), transcript.end());
    EXPECT_EQ(std::find(data, transcript.end(), "QUIT"), transcript.end());
}

}  // namespace
}  // namespace quillory
