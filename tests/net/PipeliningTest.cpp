// PIPELINING (RFC 2920) in the SMTP client: with a server that offers it, MAIL, RCPT and DATA go out
// in one write and their replies are read together; a refusal in the middle of the batch is
// reported as the lock-step dialogue reports it. The server reads every command of a batch before
// it answers any, so a client that waited for a reply would stall it.
#include <gtest/gtest.h>

#include "NetTestSupport.h"
#include "SendAsTheProgram.h"
#include "mail/IdMessage.h"
#include "net/smtp/IdSMTP.h"

namespace quillory {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* Greeting = "220 mail.example ESMTP\r\n";
constexpr const char* EhloWithPipelining = "250-mail.example\r\n250-PIPELINING\r\n250 8BITMIME\r\n";

class PipeliningTest : public ::testing::Test {
protected:
    PipeliningTest() {
        message_.From().SetText("Obchod <shop@example.cz>");
        message_.Recipients().SetAddressesText("a@example.cz, b@example.cz");
        message_.Subject = "Offer";
        message_.Body() = {"Good day"};
        smtp_.HeloName = "client.example";
        smtp_.Host = "127.0.0.1";
    }

    // Greets, answers EHLO, then reads `count` lines before answering any of them.
    static bool ReadBatch(test::HostileServer::Session& session, std::size_t count, Lines& lines) {
        for (std::size_t i = 0; i < count; ++i) {
            std::string line;
            if (!session.ReadLine(line)) return false;
            lines.push_back(line);
        }
        return true;
    }

    static void Introduce(test::HostileServer::Session& session, Lines& lines) {
        std::string ehlo;
        session.Send(Greeting);
        session.ReadLine(ehlo);
        lines.push_back(ehlo);
        session.Send(EhloWithPipelining);
    }

    TIdMessage message_;
    TIdSMTP smtp_;
};

TEST_F(PipeliningTest, EnvelopeGoesInOneBatchAndTheNextMessageNeedsNoReset) {
    Lines lines;
    std::size_t dataBytes = 0;
    test::HostileServer server([&](test::HostileServer::Session& session) {
        Introduce(session, lines);
        for (int message = 0; message < 2; ++message) {
            // The first transaction on a connection starts with RSET, in the batch.
            if (!ReadBatch(session, message == 0 ? 5 : 4, lines)) return;
            session.Send(message == 0 ? "250 reset\r\n250 sender\r\n250 a\r\n251 b\r\n354 go\r\n"
                                      : "250 sender\r\n250 a\r\n251 b\r\n354 go\r\n");
            if (!session.ReadData(dataBytes)) return;
            lines.push_back(".");
            session.Send("250 queued\r\n");
        }
        std::string quit;
        if (session.ReadLine(quit)) lines.push_back(quit);
    });
    smtp_.Port = server.Port();
    smtp_.Connect(1000);
    EXPECT_TRUE(smtp_.PipeliningOffered());
    smtp_.SendMail(message_);
    smtp_.SendMail(message_);
    smtp_.Disconnect();
    server.Join();
    const Lines envelope = {"MAIL FROM:<shop@example.cz>", "RCPT TO:<a@example.cz>", "RCPT TO:<b@example.cz>",
                            "DATA"};
    Lines expected = {"EHLO client.example", "RSET"};
    expected.insert(expected.end(), envelope.begin(), envelope.end());
    expected.push_back(".");
    expected.insert(expected.end(), envelope.begin(), envelope.end());
    expected.insert(expected.end(), {".", "QUIT"});
    EXPECT_EQ(lines, expected);
}

// A refusal in the batch: every reply is read, the first refusal is the error, and the transaction
// ends without a message to anyone: after a refused DATA the connection serves the next command (a
// RSET precedes the next transaction); after a DATA taken all the same, the client drops the
// connection without sending any text.
TEST_F(PipeliningTest, ARefusedRecipientInTheBatchIsTheErrorAndNothingIsDelivered) {
    struct Row {
        const char* name;
        const char* replies;
        const char* error;
        bool connectionKept;
    };
    const Row rows[] = {
        {"DATA refused",
         "250 reset\r\n250 sender\r\n550 5.1.1 No such user a\r\n250 b\r\n554 5.5.1 No valid recipients\r\n",
         "5.1.1 No such user a\r\n", true},
        {"DATA taken", "250 reset\r\n250 sender\r\n550 5.1.1 No such user a\r\n250 b\r\n354 go\r\n",
         "5.1.1 No such user a\r\n", false},
        {"MAIL refused", "250 reset\r\n553 5.7.1 Sender refused\r\n503 a\r\n503 b\r\n503 no\r\n",
         "5.7.1 Sender refused\r\n", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Lines lines;
        bool closed = false;
        test::HostileServer server([&](test::HostileServer::Session& session) {
            Introduce(session, lines);
            if (!ReadBatch(session, 5, lines)) return;
            session.Send(row.replies);
            if (row.connectionKept) {
                std::string next;
                while (session.ReadLine(next)) lines.push_back(next);
            } else {
                closed = session.ClientClosedWithin(10000);
            }
        });
        smtp_.Port = server.Port();
        smtp_.Connect(1000);
        try {
            smtp_.SendMail(message_);
            ADD_FAILURE() << "no error";
        } catch (const EIdProtocolReplyError& error) {
            EXPECT_EQ(error.Message(), row.error);
        }
        EXPECT_EQ(smtp_.Connected(), row.connectionKept);
        if (smtp_.Connected()) smtp_.Disconnect();
        server.Join();
        EXPECT_EQ(Lines(lines.begin(), lines.begin() + 6),
                  (Lines{"EHLO client.example", "RSET", "MAIL FROM:<shop@example.cz>",
                         "RCPT TO:<a@example.cz>", "RCPT TO:<b@example.cz>", "DATA"}));
        if (row.connectionKept) {
            EXPECT_EQ(Lines(lines.begin() + 6, lines.end()), Lines{"QUIT"});
        } else {
            EXPECT_TRUE(closed);
            EXPECT_EQ(lines.size(), 6u);
        }
    }
}

TEST_F(PipeliningTest, AClientToldNotToPipelineKeepsTheLockStep) {
    Lines lines;
    test::HostileServer server([&](test::HostileServer::Session& session) {
        Introduce(session, lines);
        for (const char* reply : {"250 reset", "250 sender", "250 a", "250 b", "354 go"}) {
            std::string line;
            if (!session.ReadLine(line)) return;
            lines.push_back(line);
            session.Send(std::string(reply) + "\r\n");
        }
        std::size_t bytes = 0;
        if (!session.ReadData(bytes)) return;
        session.Send("250 queued\r\n");
        std::string quit;
        if (session.ReadLine(quit)) lines.push_back(quit);
    });
    smtp_.UsePipelining = false;
    smtp_.Port = server.Port();
    EXPECT_EQ(test::SendAsTheProgramDoes(smtp_, message_), "");
    server.Join();
    EXPECT_EQ(lines, (Lines{"EHLO client.example", "RSET", "MAIL FROM:<shop@example.cz>",
                            "RCPT TO:<a@example.cz>", "RCPT TO:<b@example.cz>", "DATA", "QUIT"}));
}

}  // namespace
}  // namespace quillory
