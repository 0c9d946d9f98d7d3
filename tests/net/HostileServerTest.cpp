// Servers that attack the client as anyone on the path could: each session ends within its limit,
// with the exact message the user reads after "Chyba: ", and the client's memory stays bounded
// whatever the server sends.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "NetTestSupport.h"
#include "SendAsTheProgram.h"
#include "mail/IdMessage.h"
#include "net/smtp/IdSMTP.h"

namespace quillory {
namespace {

using namespace std::string_literals;
using Session = test::HostileServer::Session;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const std::string Greeting = "220 hostile.example ESMTP\r\n";
constexpr int ClientGoneMs = 10000;
constexpr std::size_t MB = 1024 * 1024;

// Sends `pattern` over and over until the client goes or `total` bytes went out.
void Flood(Session& session, const std::string& pattern, std::size_t total) {
    std::string block;
    while (block.size() < 65536) block += pattern;
    for (std::size_t sent = 0; sent < total && session.Send(block); sent += block.size()) {}
}

struct HostileRow {
    const char* name;
    std::function<void(Session&)> script;
    std::string error;  // the text after "Chyba: "
    milliseconds within;
    std::size_t memory;  // bound on the growth of the process's peak memory
    // The client's limits: 0 keeps the defaults of a send (60 s a read, 5 minutes a reply).
    int readTimeout = 0;
    int replyTimeLimit = 0;
    int receiveBuffer = 0;  // the server's SO_RCVBUF
    int bodyLines = 3;      // of 80 characters
};

class HostileServerTest : public ::testing::TestWithParam<HostileRow> {};

TEST_P(HostileServerTest, EndsWithinItsLimitWithTheExactMessageAndBoundedMemory) {
    const HostileRow& row = GetParam();
    TIdMessage message;
    message.From().SetText("shop@example.cz");
    message.Recipients().SetAddressesText("buyer@example.cz");
    message.Body().assign(static_cast<std::size_t>(row.bodyLines), std::string(80, 'b'));
    TIdSMTP smtp;
    smtp.Host = "127.0.0.1";
    smtp.HeloName = "client.example";
    smtp.Security = TSmtpSecurity::StartTLSWhenOffered;
    if (row.readTimeout != 0) smtp.ReadTimeout = row.readTimeout;
    if (row.replyTimeLimit != 0) smtp.ReplyTimeLimit = row.replyTimeLimit;
    test::HostileServer server(row.script, row.receiveBuffer);
    smtp.Port = server.Port();

    test::ResetPeakMemory();
    const std::size_t before = test::PeakMemory();
    const auto start = Clock::now();
    EXPECT_EQ(test::SendAsTheProgramDoes(smtp, message), row.error);
    const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    // The kernel's counts are a few pages off at times, so the peak may read below the start.
    const std::size_t grown = std::max(test::PeakMemory(), before) - before;
    EXPECT_LT(took, row.within);
    // A limit on the whole reply is no shorter than asked for.
    if (row.replyTimeLimit != 0) {
        EXPECT_GE(took, milliseconds(row.replyTimeLimit));
    }
    EXPECT_LT(grown, row.memory);
    std::printf("[ row ] %s: %lld ms, peak memory +%zu KB\n", row.name, static_cast<long long>(took.count()),
                grown / 1024);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HostileServerTest,
    ::testing::Values(
        // Before STARTTLS, so anyone on the path can send it.
        HostileRow{"endless_continuation_lines",
                   [](Session& s) {
                       std::string ehlo;
                       if (s.Send(Greeting) && s.ReadLine(ehlo))
                           Flood(s, "250-" + std::string(60, 'x') + "\r\n", 256 * MB);
                   },
                   "The server's reply is longer than 1000 lines.", milliseconds(5000), 32 * MB},
        HostileRow{"endless_long_continuation_lines",
                   [](Session& s) {
                       std::string ehlo;
                       if (s.Send(Greeting) && s.ReadLine(ehlo))
                           Flood(s, "250-" + std::string(16000, 'x') + "\r\n", 256 * MB);
                   },
                   "The server's reply is longer than 1048576 bytes.", milliseconds(5000), 32 * MB},
        // RFC 5321 §4.2.1: the line with a blank after its code ends the reply, whatever the code.
        HostileRow{
            "last_line_with_another_code",
            [](Session& s) {
                if (s.Send(Greeting) && s.Answer({"250 hostile.example", "250 reset", "250-a\r\n550 b"}))
                    s.ClientClosedWithin(ClientGoneMs);
            },
            "a\r\nb\r\n", milliseconds(5000), 32 * MB},
        HostileRow{"ten_megabyte_line_without_line_end",
                   [](Session& s) {
                       std::string ehlo;
                       if (s.Send(Greeting) && s.ReadLine(ehlo)) Flood(s, std::string(4096, 'x'), 10 * MB);
                       s.ClientClosedWithin(ClientGoneMs);
                   },
                   "Max line length exceeded.", milliseconds(5000), 32 * MB},
        // Every byte comes within the read time-out, so only the limit on the whole reply ends it.
        HostileRow{"one_byte_every_two_seconds",
                   [](Session& s) {
                       for (int i = 0; i < 60 && s.Send("2"); ++i) {
                           if (s.ClientClosedWithin(2000)) return;
                       }
                   },
                   "No complete reply from the server within 3 s.", milliseconds(4500), 32 * MB, 2500, 3000},
        // The server stops reading and closes with the client's bytes unread: a reset.
        HostileRow{"close_in_the_middle_of_data",
                   [](Session& s) {
                       if (s.Send(Greeting) && s.Answer({"250 hostile.example", "250 reset", "250 sender",
                                                         "250 recipient", "354 go ahead"}))
                           s.ReadBytes(16384);
                   },
                   "Socket Error # 10054\r\nConnection reset by peer.", milliseconds(5000), 128 * MB, 0, 0,
                   4096, 50000},
        HostileRow{"empty_greeting_then_close", [](Session& s) { s.Send("\r\n"); },
                   "Connection Closed Gracefully.", milliseconds(5000), 32 * MB},
        // The server's words reach the user whole: a NUL shows as "?" instead of cutting them off.
        HostileRow{"nul_bytes_in_replies",
                   [](Session& s) {
                       if (s.Send("220 hostile\0example\r\n"s) &&
                           s.Answer({"250 hostile\0example"s, "250 reset", "550 bad\0sender"s}))
                           s.ClientClosedWithin(ClientGoneMs);
                   },
                   "bad?sender\r\n", milliseconds(5000), 32 * MB},
        // Clear text right behind the 220 is dropped, never read as TLS or as a reply; the
        // handshake then waits for the server's hello no longer than a read may wait.
        HostileRow{"plain_text_behind_the_starttls_220",
                   [](Session& s) {
                       if (s.Send(Greeting) &&
                           s.Answer({"250-hostile.example\r\n250 STARTTLS",
                                     "220 go ahead\r\n250 plain text where TLS should be"}))
                           s.ClientClosedWithin(ClientGoneMs);
                   },
                   "Read Timeout", milliseconds(3000), 32 * MB, 1000},
        // The client's hello answered in clear, as by a server that speaks no TLS.
        HostileRow{"plain_text_answering_the_tls_hello",
                   [](Session& s) {
                       if (s.Send(Greeting) &&
                           s.Answer({"250-hostile.example\r\n250 STARTTLS", "220 go ahead"}) &&
                           s.ReadBytes(1) && s.Send("250 plain text where TLS should be\r\n"))
                           s.ClientClosedWithin(ClientGoneMs);
                   },
                   "The secure connection (TLS) to the server could not be set up (wrong version number)",
                   milliseconds(5000), 32 * MB}),
    [](const ::testing::TestParamInfo<HostileRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillory
