// IMAP servers that misbehave or refuse, beside the SMTP rows of HostileServerTest: each store of a
// copy ends within its limit with the exact message the user reads, and the client's memory stays
// bounded whatever the server sends.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "ImapTestSupport.h"
#include "NetTestSupport.h"
#include "net/imap/ImapClient.h"

namespace quillory {
namespace {

using namespace std::string_literals;
using Session = test::HostileServer::Session;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int ClientGoneMs = 10000;
constexpr std::size_t MB = 1024 * 1024;

// LITERAL+ spares the continuation; without it the client waits for "+".
const std::string Hello = "* OK [CAPABILITY IMAP4rev1 LITERAL+ SPECIAL-USE] hostile.example ready\r\n";
const std::string HelloSynchronizing = "* OK [CAPABILITY IMAP4rev1 SPECIAL-USE] hostile.example ready\r\n";
const std::string LoggedIn = "A1 OK [CAPABILITY IMAP4rev1 LITERAL+ SPECIAL-USE] Logged in";
const std::string Listed = "* LIST (\\Sent) \"/\" Sent\r\nA2 OK listed";

// Sends `pattern` over and over until the client goes or `total` bytes went out.
void Flood(Session& session, const std::string& pattern, std::size_t total) {
    std::string block;
    while (block.size() < 65536) block += pattern;
    for (std::size_t sent = 0; sent < total && session.Send(block); sent += block.size()) {}
}

// Reads `count` lines of the client's without a word.
bool Skip(Session& s, int count) {
    std::string line;
    for (int i = 0; i < count; ++i)
        if (!s.ReadLine(line)) return false;
    return true;
}

// The greeting, then one reply to each command line in turn.
bool Dialogue(Session& s, const std::string& greeting, const std::vector<std::string>& replies) {
    return s.Send(greeting) && s.Answer(replies);
}

struct HostileRow {
    const char* name;
    std::function<void(Session&)> script;
    std::string error;
    milliseconds within;
    std::size_t memory = 32 * MB;  // bound on the growth of the process's peak memory
    // The client's limits: 0 keeps the defaults (60 s a read, 5 minutes a response).
    int readTimeout = 0;
    int replyTimeLimit = 0;
    int receiveBuffer = 0;  // the server's SO_RCVBUF
    std::size_t messageBytes = 200;
};

class ImapHostileServerTest : public ::testing::TestWithParam<HostileRow> {};

TEST_P(ImapHostileServerTest, EndsWithinItsLimitWithTheExactMessageAndBoundedMemory) {
    const HostileRow& row = GetParam();
    ImapClient imap;
    imap.Host = "127.0.0.1";
    imap.Security = TImapSecurity::StartTLS;
    if (row.readTimeout != 0) imap.ReadTimeout = row.readTimeout;
    if (row.replyTimeLimit != 0) imap.ReplyTimeLimit = row.replyTimeLimit;
    test::HostileServer server(row.script, row.receiveBuffer);
    imap.Port = server.Port();
    const std::string message = "Subject: x\r\n\r\n" + std::string(row.messageBytes, 'm') + "\r\n";

    test::ResetPeakMemory();
    const std::size_t before = test::PeakMemory();
    const auto start = Clock::now();
    EXPECT_EQ(test::StoreAsTheProgramDoes(imap, "novak", "secret", message), row.error);
    const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    const std::size_t grown = std::max(test::PeakMemory(), before) - before;
    EXPECT_LT(took, row.within);
    if (row.replyTimeLimit != 0) {
        EXPECT_GE(took, milliseconds(row.replyTimeLimit));
    }
    EXPECT_LT(grown, row.memory);
    EXPECT_FALSE(imap.IsConnected());
    std::printf("[ row ] %s: %lld ms, peak memory +%zu KB\n", row.name, static_cast<long long>(took.count()),
                grown / 1024);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ImapHostileServerTest,
    ::testing::Values(
        // Endless untagged data in place of the answer to LOGIN, before the tagged status.
        HostileRow{"endless_untagged_responses",
                   [](Session& s) {
                       std::string line;
                       if (s.Send(Hello) && s.ReadLine(line))
                           Flood(s, "* OK [ALERT] " + std::string(40, 'x') + "\r\n", 256 * MB);
                   },
                   "The server's reply is longer than 1048576 bytes.", milliseconds(5000)},
        HostileRow{"endless_short_untagged_responses",
                   [](Session& s) {
                       std::string line;
                       if (s.Send(Hello) && s.ReadLine(line)) Flood(s, "* A\r\n", 256 * MB);
                   },
                   "The server's reply is longer than 100000 lines.", milliseconds(5000)},
        // One untagged response that never ends: literal after literal.
        HostileRow{"endless_untagged_response_of_literals",
                   [](Session& s) {
                       if (s.Send(Hello) && s.Answer({LoggedIn, "* LIST () \"/\" {60}"}))
                           Flood(s, std::string(60, 'x') + " {60}\r\n", 256 * MB);
                   },
                   "The server's reply is longer than 1048576 bytes.", milliseconds(5000)},
        HostileRow{"endless_line",
                   [](Session& s) {
                       if (s.Send(Hello) && s.Answer({LoggedIn})) {
                           std::string line;
                           s.ReadLine(line);
                           Flood(s, "* LIST () \"/\" " + std::string(4096, 'x'), 10 * MB);
                       }
                       s.ClientClosedWithin(ClientGoneMs);
                   },
                   "Max line length exceeded.", milliseconds(5000)},
        // The client refuses on the announcement, before it waits for a byte of the literal.
        HostileRow{"literal_of_4_GB",
                   [](Session& s) {
                       if (Dialogue(s, Hello, {LoggedIn, "* LIST () \"/\" {4294967296}"}))
                           s.ClientClosedWithin(ClientGoneMs);
                   },
                   "The server announced a literal of 4294967296 bytes, more than the 1048576 bytes allowed.",
                   milliseconds(3000)},
        HostileRow{"greeting_bye", [](Session& s) { s.Send("* BYE [UNAVAILABLE] Too many connections\r\n"); },
                   "greeting: BYE Too many connections", milliseconds(3000)},
        HostileRow{"greeting_of_another_protocol",
                   [](Session& s) {
                       s.Send("220 smtp.example ESMTP\r\n");
                       s.ClientClosedWithin(ClientGoneMs);
                   },
                   "The server's greeting is not that of an IMAP server: 220 smtp.example ESMTP",
                   milliseconds(3000)},
        HostileRow{"capability_bad",
                   [](Session& s) {
                       if (Dialogue(s, "* OK hostile.example ready\r\n", {"A1 BAD Unknown command"}))
                           s.ClientClosedWithin(ClientGoneMs);
                   },
                   "CAPABILITY: BAD Unknown command", milliseconds(3000)},
        HostileRow{"starttls_bad",
                   [](Session& s) {
                       if (Dialogue(s, "* OK [CAPABILITY IMAP4rev1 STARTTLS] ready\r\n",
                                    {"A1 BAD TLS not available"}))
                           s.ClientClosedWithin(ClientGoneMs);
                   },
                   "STARTTLS: BAD TLS not available", milliseconds(3000)},
        HostileRow{"login_no",
                   [](Session& s) {
                       if (Dialogue(s, Hello, {"A1 NO [AUTHENTICATIONFAILED] Authentication failed."}))
                           s.ClientClosedWithin(ClientGoneMs);
                   },
                   "LOGIN: NO Authentication failed.", milliseconds(3000)},
        // The server's words reach the user whole: a NUL shows as "?" instead of cutting them off.
        HostileRow{"login_no_with_nul",
                   [](Session& s) {
                       if (Dialogue(s, Hello, {"A1 NO wrong\0password"s})) s.ClientClosedWithin(ClientGoneMs);
                   },
                   "LOGIN: NO wrong?password", milliseconds(3000)},
        HostileRow{"list_bad",
                   [](Session& s) {
                       if (Dialogue(s, Hello, {LoggedIn, "A2 BAD Invalid arguments"}))
                           s.ClientClosedWithin(ClientGoneMs);
                   },
                   "LIST: BAD Invalid arguments", milliseconds(3000)},
        HostileRow{"bye_and_close_in_place_of_the_list",
                   [](Session& s) {
                       Dialogue(s, Hello, {LoggedIn, "* BYE Server shutting down"});
                   },
                   "LIST: BYE Server shutting down", milliseconds(3000)},
        HostileRow{"no_sent_folder",
                   [](Session& s) {
                       if (Dialogue(s, Hello,
                                    {LoggedIn,
                                     "* LIST () \"/\" INBOX\r\n* LIST (\\Drafts) \"/\" Koncepty\r\nA2 OK"}))
                           s.ClientClosedWithin(ClientGoneMs);
                   },
                   "The mailbox has no Sent folder", milliseconds(3000)},
        HostileRow{"append_no_in_place_of_the_continuation",
                   [](Session& s) {
                       if (Dialogue(s, HelloSynchronizing,
                                    {LoggedIn, Listed, "A3 NO [TRYCREATE] Mailbox does not exist"}))
                           s.ClientClosedWithin(ClientGoneMs);
                   },
                   "APPEND: NO Mailbox does not exist", milliseconds(3000)},
        HostileRow{"append_no_after_the_message",
                   [](Session& s) {
                       // The command, the message's three lines, then the command's end.
                       if (Dialogue(s, Hello, {LoggedIn, Listed}) && Skip(s, 4))
                           s.Answer({"A3 NO [OVERQUOTA] Quota exceeded"});
                       s.ClientClosedWithin(ClientGoneMs);
                   },
                   "APPEND: NO Quota exceeded", milliseconds(3000)},
        HostileRow{
            "answer_with_another_tag",
            [](Session& s) {
                if (Dialogue(s, Hello, {"A7 OK done"})) s.ClientClosedWithin(ClientGoneMs);
            },
            "The server answered a command that was not sent (tag A7) where it should have answered LOGIN",
            milliseconds(3000)},
        HostileRow{
            "continuation_in_place_of_the_answer",
            [](Session& s) {
                if (Dialogue(s, Hello, {"+ more please"})) s.ClientClosedWithin(ClientGoneMs);
            },
            "The server asked for more (a continuation) where it should have answered LOGIN: more please",
            milliseconds(3000)},
        // Time limits: a wait for the continuation that never comes, and a greeting trickling in a
        // byte at a time, each byte within the read time-out.
        HostileRow{"continuation_never_sent",
                   [](Session& s) {
                       std::string line;
                       if (Dialogue(s, HelloSynchronizing, {LoggedIn, Listed}) && s.ReadLine(line))
                           s.ClientClosedWithin(ClientGoneMs);
                   },
                   "No complete reply from the server within 1 s.", milliseconds(3000), 32 * MB, 5000, 1000},
        HostileRow{"greeting_one_byte_at_a_time",
                   [](Session& s) {
                       for (int i = 0; i < 60 && s.Send("*"); ++i) {
                           if (s.ClientClosedWithin(300)) return;
                       }
                   },
                   "No complete reply from the server within 1500 ms.", milliseconds(3000), 32 * MB, 1000,
                   1500},
        // The server stops reading in the middle of the message and closes with the client's bytes
        // unread: a reset.
        HostileRow{"close_during_append",
                   [](Session& s) {
                       if (Dialogue(s, HelloSynchronizing, {LoggedIn, Listed, "+ go ahead"}))
                           s.ReadBytes(16384);
                   },
                   "Socket Error # 10054\r\nConnection reset by peer.", milliseconds(5000), 128 * MB, 0, 0,
                   4096, 4 * MB},
        // The server closes at once after the whole message, without a word.
        HostileRow{"close_after_the_message",
                   [](Session& s) {
                       if (Dialogue(s, Hello, {LoggedIn, Listed})) Skip(s, 5);
                   },
                   "Connection Closed Gracefully.", milliseconds(3000)}),
    [](const ::testing::TestParamInfo<HostileRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillory
