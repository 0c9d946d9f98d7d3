#include <gtest/gtest.h>

#include <chrono>

#include "NetTestSupport.h"
#include "net/smtp/IdSMTPDataWriter.h"
#include "net/transport/IdRFCReply.h"
#include "net/transport/IdSocketExceptions.h"
#include "net/transport/IdTCPClient.h"

namespace quillory {
namespace {

// A client connected to a peer that the test drives by hand.
class ConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        client_.Host = "127.0.0.1";
        client_.Port = peer_.Port();
        client_.OpenConnection(1000);
        peer_.Accept();
    }

    test::LoopbackPeer peer_;
    TIdTCPClient client_;
};

TEST_F(ConnectionTest, LinesEndAtLfWithACrBeforeItDropped) {
    peer_.Send("250 OK\r\n250 bare\na\r\r\nlast");
    EXPECT_EQ(client_.ReadLine(), "250 OK");
    EXPECT_EQ(client_.ReadLine(), "250 bare");
    EXPECT_EQ(client_.ReadLine(), "a\r");
    peer_.Close();
    // The peer closed in the middle of a line: one empty result, then the close.
    EXPECT_EQ(client_.ReadLine(), "");
    EXPECT_TRUE(client_.LineTimedOut());
    EXPECT_THROW(client_.ReadLine(), EIdConnClosedGracefully);
    EXPECT_FALSE(client_.IsConnected());
}

TEST_F(ConnectionTest, CloseWithNothingBufferedRaisesAtOnce) {
    peer_.Close();
    try {
        client_.ReadLine();
        FAIL() << "read a line from a closed connection";
    } catch (const EIdConnClosedGracefully& error) {
        EXPECT_EQ(error.Message(), "Connection Closed Gracefully.");
    }
}

TEST_F(ConnectionTest, LineLengthLimitCountsTheCrBeforeLf) {
    const std::string longest(16384, 'x');
    peer_.Send(std::string(16383, 'y') + "\r\n" + longest + "\n" + longest + "\r\n");
    EXPECT_EQ(client_.ReadLine().size(), 16383u);
    EXPECT_EQ(client_.ReadLine(), longest);
    try {
        client_.ReadLine();
        FAIL() << "accepted an over-long line";
    } catch (const EIdReadLnMaxLineLengthExceeded& error) {
        EXPECT_EQ(error.Message(), "Max line length exceeded.");
    }
    client_.MaxLineAction = TIdMaxLineAction::maSplit;  // the bytes stayed in the buffer
    EXPECT_EQ(client_.ReadLine(), longest);
    EXPECT_TRUE(client_.LineSplit());
    EXPECT_EQ(client_.ReadLine(), "");
}

TEST_F(ConnectionTest, UnendedInputPastTheLimitIsRefusedWithoutWaitingForLf) {
    client_.MaxLineLength = 100;
    peer_.Send(std::string(101, 'z'));
    EXPECT_THROW(client_.ReadLine(), EIdReadLnMaxLineLengthExceeded);
}

TEST_F(ConnectionTest, SilentPeerEndsTheReadAtReadTimeout) {
    client_.ReadTimeout = 100;
    const auto start = std::chrono::steady_clock::now();
    try {
        client_.ReadLine();
        FAIL() << "read a line from a silent peer";
    } catch (const EIdReadTimeout& error) {
        EXPECT_EQ(error.Message(), "Read Timeout");
    }
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(95));
}

TEST_F(ConnectionTest, WritesAreCollectedIntoOneSendUntilARead) {
    int sends = 0;
    client_.OnWork = [&](TIdComponent&, TWorkMode mode, long long) { sends += mode == TWorkMode::wmWrite; };
    client_.StartWork(TWorkMode::wmWrite, 0);
    std::string expected = "\r\n";  // WriteText("") sends nothing, WriteLine("") CR LF alone
    client_.WriteText("");
    client_.WriteLine("");
    for (int i = 0; i < 1000; ++i) {
        client_.WriteLine("line " + std::to_string(i));
        expected += "line " + std::to_string(i) + "\r\n";
    }
    client_.WriteText("tail");
    expected += "tail";
    EXPECT_EQ(sends, 0);
    peer_.Send("250 OK\r\n");
    EXPECT_EQ(client_.ReadLine(), "250 OK");
    client_.FinishWork(TWorkMode::wmWrite);
    EXPECT_EQ(sends, 1);
    EXPECT_EQ(peer_.Receive(expected.size(), 2000), expected);
}

TEST_F(ConnectionTest, ALargeWriteGoesOutInBufferSizedSends) {
    const std::string block(100000, 'b');
    for (int i = 0; i < 30; ++i) client_.WriteText(block);  // 3 MB, passing the threshold
    client_.FlushWriteBuffer();
    EXPECT_EQ(peer_.Receive(3000000, 2000).size(), 3000000u);
}

// Rows of received reply bytes: the code, the text lines, or the message of the rejection.
struct ReplyRow {
    const char* name;
    std::string wire;
    TIdTCPConnection::TAllowedCodes allowed;
    int code;
    std::string textCode;
    TIdStrings text;
    std::string error;  // empty: accepted
};

class ReplyTest : public ConnectionTest, public ::testing::WithParamInterface<ReplyRow> {};

TEST_P(ReplyTest, ReadsOneReply) {
    const ReplyRow& row = GetParam();
    peer_.Send(row.wire);
    try {
        EXPECT_EQ(client_.ReadReply(row.allowed), row.code);
        EXPECT_TRUE(row.error.empty()) << "accepted a reply that should be rejected";
    } catch (const EIdProtocolReplyError& error) {
        EXPECT_EQ(error.Message(), row.error);
        EXPECT_EQ(error.ReplyCode(), row.code);
    }
    EXPECT_EQ(client_.LastReply().NumericCode(), row.code);
    EXPECT_EQ(client_.LastReply().TextCode(), row.textCode);
    EXPECT_EQ(client_.LastReply().Text(), row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ReplyTest,
    ::testing::Values(
        ReplyRow{"one_line", "250 OK\r\n", {250}, 250, "250", {"OK"}, ""},
        ReplyRow{"multi_line",
                 "250-first\r\n250-second\r\n250 last\r\n",
                 {250},
                 250,
                 "250",
                 {"first", "second", "last"},
                 ""},
        ReplyRow{
            "other_code_does_not_end_it", "250-x\r\n251-y\r\n250\r\n", {}, 250, "250", {"x", "y", ""}, ""},
        // RFC 5321 §4.2.1: the first line with a blank after its code ends the reply, with that
        // line's code, so a server cannot hold the reader by changing the code on the last line.
        ReplyRow{"last_line_ends_it_with_its_code",
                 "250-a\r\n550 b\r\n",
                 {250},
                 550,
                 "550",
                 {"a", "b"},
                 "a\r\nb\r\n"},
        ReplyRow{
            "empty_lines_and_blanks_skipped", "\r\n\r\n   220 ready \r\n", {220}, 220, "220", {"ready"}, ""},
        ReplyRow{"every_code_allowed", "500 what\r\n", {}, 500, "500", {"what"}, ""},
        ReplyRow{"rejected_with_its_text", "500 what\r\n", {250}, 500, "500", {"what"}, "what\r\n"},
        ReplyRow{"rejected_code_alone", "354\r\n", {250}, 354, "354", {""}, "\r\n"},
        ReplyRow{"malformed_code_is_zero", "abc hello\r\n", {250}, 0, "abc", {"hello"}, "hello\r\n"}),
    [](const ::testing::TestParamInfo<ReplyRow>& info) { return std::string(info.param.name); });

TEST_F(ConnectionTest, SendCommandWritesOneLineAndReadsTheReply) {
    peer_.Send("500 unknown\r\n");
    EXPECT_EQ(client_.SendCommand("NOOP", -1), 500);
    EXPECT_EQ(peer_.Receive(6, 1000), "NOOP\r\n");
}

TEST_F(ConnectionTest, CommandsHoldingLineBreaksOrNulNeverReachTheWire) {
    for (const std::string& command : {std::string("RCPT TO:<a@b>\r\nDATA"), std::string("HELO x\ny"),
                                       std::string("MAIL FROM:<a\rb>"), std::string("NOOP\0x", 6)}) {
        try {
            client_.SendCommand(command, -1);
            FAIL() << "sent a command with a line break or NUL";
        } catch (const EIdInvalidCommandText& error) {
            EXPECT_EQ(error.Message(), "Invalid character (CR, LF or NUL) in command.");
        }
    }
    client_.FlushWriteBuffer();
    EXPECT_EQ(peer_.Receive(1, 100), "");
}

}  // namespace
}  // namespace quillory

namespace quillory {
namespace {

// Every line of the DATA section ends in CR LF and every line that begins with "." is dot-stuffed,
// the caller's lines and those a stray CR or LF begins alike, so no text can put a lone "." on a
// line and end the section early.
TEST_F(ConnectionTest, DataWriterEndsEveryLineWithCrLfAndStuffsEveryLine) {
    TIdSMTPDataWriter data(client_);
    data.WriteLine("plain");
    data.WriteLine(".");
    data.WriteLine("a\r\n.\r\nQUIT");
    data.WriteLine("b\n.x\r.y");
    data.WriteLine("ends with cr\r");
    data.WriteText("text\r\n.a line of the caller\r\nbare\n.z\rpartial");
    data.WriteLine(".continued, not at a line start");
    data.Finish();
    client_.FlushWriteBuffer();
    const std::string expected =
        "plain\r\n..\r\na\r\n..\r\nQUIT\r\nb\r\n..x\r\n..y\r\nends with cr\r\n"
        "text\r\n..a line of the caller\r\nbare\r\n..z\r\npartial.continued, not at a line start\r\n";
    EXPECT_EQ(peer_.Receive(expected.size(), 2000), expected);
}

}  // namespace
}  // namespace quillory
