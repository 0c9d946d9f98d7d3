// The IMAP client's dialogue as transcripts: what it writes, byte for byte, to scripted servers
// that offer or withhold LITERAL+, SPECIAL-USE, LOGINDISABLED, SASL-IR and CAPABILITY in the
// greeting; the login rules around unencrypted connections; and a cancel in the middle of an upload.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "ImapTestSupport.h"
#include "NetTestSupport.h"
#include "net/imap/ImapClient.h"
#include "net/transport/IdIOHandlerSocket.h"
#include "net/transport/IdSocketExceptions.h"

namespace quillory {
namespace {

using Lines = std::vector<std::string>;
using Session = test::HostileServer::Session;

const std::string Password = "tajné heslo";  // 12 bytes of UTF-8: a literal
const std::string Message = "Subject: Cen\xEDk\r\n\r\nDobr\xFD den,\r\n.\r\n";

// Reads the client's next line into `seen`, then sends `reply` and CR LF (nothing when empty).
bool Step(Session& s, Lines& seen, const std::string& reply) {
    std::string line;
    if (!s.ReadLine(line)) return false;
    seen.push_back(line);
    return reply.empty() || s.Send(reply + "\r\n");
}

// Reads a literal of `count` bytes into `seen`.
bool Literal(Session& s, Lines& seen, std::size_t count) {
    std::string bytes;
    if (!s.ReadExactly(count, bytes)) return false;
    seen.push_back("<" + bytes + ">");
    return true;
}

class ImapSessionTest : public ::testing::Test {
protected:
    ImapSessionTest() {
        imap_.Host = "127.0.0.1";
        imap_.Security = TImapSecurity::StartTLS;
        imap_.ReadTimeout = 5000;
    }

    std::string Store(test::HostileServer& server) {
        imap_.Port = server.Port();
        std::string error = test::StoreAsTheProgramDoes(imap_, "novak", Password, Message);
        server.Join();
        return error;
    }

    ImapClient imap_;
};

TEST_F(ImapSessionTest, SynchronizingLiteralsWaitForTheContinuation) {
    Lines seen;
    test::HostileServer server([&](Session& s) {
        s.Send("* OK [CAPABILITY IMAP4rev1 AUTH=PLAIN] ready\r\n");
        Step(s, seen, "+ go on") && Literal(s, seen, 12) &&
            Step(s, seen, "A1 OK [CAPABILITY IMAP4rev1 CHILDREN] in") &&
            Step(s, seen,
                 "* LIST (\\HasNoChildren) \"/\" INBOX\r\n* LIST () \"/\" {4}\r\nSent\r\nA2 OK listed") &&
            Step(s, seen, "+ ready") && Literal(s, seen, Message.size()) && Step(s, seen, "A3 OK stored") &&
            Step(s, seen, "* BYE bye\r\nA4 OK done");
    });
    EXPECT_EQ(Store(server), "");
    EXPECT_EQ(seen, (Lines{"A1 LOGIN \"novak\" {12}", "<" + Password + ">", "", "A2 LIST \"\" \"*\"",
                           "A3 APPEND \"Sent\" (\\Seen) {" + std::to_string(Message.size()) + "}",
                           "<" + Message + ">", "", "A4 LOGOUT"}));
    EXPECT_FALSE(imap_.IsConnected());
}

TEST_F(ImapSessionTest, LiteralPlusSendsTheLiteralAtOnceAndSpecialUseAsksForTheFlags) {
    Lines seen;
    test::HostileServer server([&](Session& s) {
        s.Send("* OK [CAPABILITY IMAP4rev1 LITERAL+] ready\r\n");
        Step(s, seen, "") && Literal(s, seen, 12) &&
            // No capabilities with the OK: the client asks for them.
            Step(s, seen, "A1 OK in") &&
            Step(s, seen, "* CAPABILITY IMAP4rev1 LITERAL+ SPECIAL-USE\r\nA2 OK") &&
            Step(s, seen, "* LIST (\\Sent) \"/\" Odeslan&AOk-\r\n* LIST () \"/\" Sent\r\nA3 OK") &&
            Step(s, seen, "") && Literal(s, seen, Message.size()) && Step(s, seen, "A4 OK stored") &&
            // A server that closes after its BYE, without the tagged OK.
            Step(s, seen, "* BYE bye");
    });
    EXPECT_EQ(Store(server), "");
    EXPECT_EQ(seen, (Lines{"A1 LOGIN \"novak\" {12+}", "<" + Password + ">", "", "A2 CAPABILITY",
                           "A3 LIST \"\" \"*\" RETURN (SPECIAL-USE)",
                           "A4 APPEND \"Odeslan&AOk-\" (\\Seen) {" + std::to_string(Message.size()) + "+}",
                           "<" + Message + ">", "", "A5 LOGOUT"}));
}

TEST_F(ImapSessionTest, LiteralMinusSparesTheWaitOnlyUpTo4096Bytes) {
    const std::string large(5000, 'm');
    Lines seen;
    test::HostileServer server([&](Session& s) {
        s.Send("* PREAUTH [CAPABILITY IMAP4rev1 LITERAL-] ready\r\n");
        Step(s, seen, "") && Literal(s, seen, 4) && Step(s, seen, "A1 OK") && Step(s, seen, "+ go") &&
            Literal(s, seen, large.size()) && Step(s, seen, "A2 OK");
    });
    imap_.Port = server.Port();
    imap_.OpenConnection(1000);
    EXPECT_TRUE(imap_.LoggedIn());
    imap_.Login("novak", Password);  // nothing to do after PREAUTH
    imap_.Append("Sent", test::MessageSource("four"));
    imap_.Append("Sent", test::MessageSource(large));
    imap_.CloseConnection();
    server.Join();
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0], "A1 APPEND \"Sent\" (\\Seen) {4+}");
    EXPECT_EQ(seen[3], "A2 APPEND \"Sent\" (\\Seen) {5000}");
}

TEST_F(ImapSessionTest, AuthenticatePlainWhenLoginIsDisabled) {
    // RFC 4616: NUL, name, NUL, password in BASE64.
    const std::string plain = "AG5vdmFrAHRham7DqSBoZXNsbw==";
    {
        Lines seen;
        test::HostileServer server([&](Session& s) {
            s.Send("* OK [CAPABILITY IMAP4rev1 LOGINDISABLED AUTH=PLAIN] ready\r\n");
            Step(s, seen, "+ ") && Step(s, seen, "A1 OK [CAPABILITY IMAP4rev1] in") &&
                Step(s, seen, "A2 OK") && Step(s, seen, "");
        });
        imap_.Port = server.Port();
        imap_.OpenConnection(1000);
        imap_.Login("novak", Password);
        imap_.ListFolders();
        imap_.CloseConnection();
        server.Join();
        EXPECT_EQ(seen, (Lines{"A1 AUTHENTICATE PLAIN", plain, "A2 LIST \"\" \"*\""}));
    }
    {
        Lines seen;
        test::HostileServer server([&](Session& s) {
            s.Send("* OK [CAPABILITY IMAP4rev1 LOGINDISABLED AUTH=PLAIN SASL-IR] ready\r\n");
            Step(s, seen, "A1 NO [AUTHENTICATIONFAILED] Wrong") && Step(s, seen, "");
        });
        EXPECT_EQ(Store(server), "AUTHENTICATE: NO Wrong");
        EXPECT_EQ(seen, (Lines{"A1 AUTHENTICATE PLAIN " + plain}));
    }
    {
        Lines seen;
        test::HostileServer server([&](Session& s) {
            s.Send("* OK [CAPABILITY IMAP4rev1 LOGINDISABLED] ready\r\n");
            Step(s, seen, "");
        });
        EXPECT_EQ(Store(server),
                  "The IMAP server accepts neither LOGIN nor AUTHENTICATE PLAIN, so no login was sent");
        EXPECT_TRUE(seen.empty());
    }
}

TEST_F(ImapSessionTest, AuthenticateXOAuth2SendsTheTokenAndAnswersTheErrorChallenge) {
    // "user=jana@firma.cz^Aauth=Bearer ya29.tok-en_1^A^A" in BASE64.
    const std::string answer = "dXNlcj1qYW5hQGZpcm1hLmN6AWF1dGg9QmVhcmVyIHlhMjkudG9rLWVuXzEBAQ==";
    // The mechanism's error challenge: {"status":"401","schemes":"bearer"}.
    const std::string challenge = "+ eyJzdGF0dXMiOiI0MDEiLCJzY2hlbWVzIjoiYmVhcmVyIn0=";
    struct Case {
        const char* name;
        std::string greeting;
        Lines replies;  // one to each line the client writes
        Lines written;
        std::string error;
    };
    const Case cases[] = {
        {"initial response with SASL-IR",
         "* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=XOAUTH2] ready",
         {"A1 OK [CAPABILITY IMAP4rev1] in"},
         {"A1 AUTHENTICATE XOAUTH2 " + answer},
         ""},
        {"after the continuation without SASL-IR",
         "* OK [CAPABILITY IMAP4rev1 AUTH=XOAUTH2] ready",
         {"+ ", "A1 OK in", "* CAPABILITY IMAP4rev1\r\nA2 OK"},
         {"A1 AUTHENTICATE XOAUTH2", answer, "A2 CAPABILITY"},
         ""},
        {"a refused token: the challenge gets an empty line",
         "* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=XOAUTH2] ready",
         {challenge, "A1 NO [AUTHENTICATIONFAILED] Authentication failed."},
         {"A1 AUTHENTICATE XOAUTH2 " + answer, ""},
         "refused: AUTHENTICATE: NO Authentication failed."},
        {"a second challenge",
         "* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=XOAUTH2] ready",
         {challenge, challenge},
         {"A1 AUTHENTICATE XOAUTH2 " + answer, ""},
         "The server asked for more (a continuation) after the sign-in's answer"},
        {"a BAD is no refusal of the token",
         "* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=XOAUTH2] ready",
         {"A1 BAD syntax"},
         {"A1 AUTHENTICATE XOAUTH2 " + answer},
         "AUTHENTICATE: BAD syntax"},
        {"not offered: nothing sent",
         "* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=PLAIN] ready",
         {},
         {},
         "The IMAP server does not offer the sign-in with a token (AUTHENTICATE XOAUTH2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Lines seen;
        test::HostileServer server([&](Session& s) {
            s.Send(c.greeting + "\r\n");
            for (const std::string& reply : c.replies) {
                if (!Step(s, seen, reply)) return;
            }
            s.ClientClosedWithin(10000);
        });
        imap_.Port = server.Port();
        imap_.OpenConnection(1000);
        std::string error;
        try {
            imap_.AuthenticateXOAuth2("jana@firma.cz", "ya29.tok-en_1");
        } catch (const EImapTokenRefused& refused) {
            error = "refused: " + refused.Message();
        } catch (const EIdException& failure) {
            error = failure.Message();
        }
        EXPECT_EQ(imap_.LoggedIn(), c.error.empty());
        imap_.CloseConnection();
        server.Join();
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(seen, c.written);
    }
}

TEST_F(ImapSessionTest, NoLoginNorMessageInClearToAnotherMachine) {
    struct Case {
        const char* name;
        std::string greeting;
        std::string error;
    };
    const Case cases[] = {
        {"no STARTTLS offered", "* OK [CAPABILITY IMAP4rev1 AUTH=PLAIN] ready",
         "The IMAP server offers no encrypted connection (STARTTLS), so the login was not sent: the name and "
         "password would cross the network readable by anyone"},
        {"PREAUTH in clear", "* PREAUTH [CAPABILITY IMAP4rev1] welcome",
         "The IMAP server let the session in without a login over a connection that is not encrypted "
         "(PREAUTH), "
         "so it was closed: the message would cross the network readable by anyone"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // 127.0.0.2 is this machine by its address, but not by a name the client knows as this machine.
        test::ScriptedServer server({c.greeting}, {}, "127.0.0.2");
        imap_.Host = "127.0.0.2";
        imap_.Port = server.Port();
        EXPECT_EQ(test::StoreAsTheProgramDoes(imap_, "novak", Password, Message), c.error);
        EXPECT_TRUE(server.Transcript().empty());
    }
    // Nor a sign-in token.
    test::ScriptedServer server({"* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=XOAUTH2] ready"}, {}, "127.0.0.2");
    imap_.Host = "127.0.0.2";
    imap_.Port = server.Port();
    imap_.OpenConnection(1000);
    EXPECT_THROW(imap_.AuthenticateXOAuth2("jana@firma.cz", "ya29.token"), EImapTokenInClear);
    imap_.CloseConnection();
    EXPECT_TRUE(server.Transcript().empty());
}

TEST_F(ImapSessionTest, ArgumentsWithLineBreaksAreRefusedBeforeAnythingIsWritten) {
    Lines seen;
    test::HostileServer server([&](Session& s) {
        s.Send("* OK [CAPABILITY IMAP4rev1 LITERAL+] ready\r\n");
        Step(s, seen, "");
    });
    imap_.Port = server.Port();
    imap_.OpenConnection(1000);
    EXPECT_THROW(imap_.Login("novak\r\nA9 DELETE INBOX", Password), EIdInvalidCommandText);
    EXPECT_THROW(imap_.Login("novak", std::string("a\0b", 3)), EIdInvalidCommandText);
    EXPECT_THROW(imap_.Append("Sent\r\nA9 DELETE INBOX", test::MessageSource(Message)),
                 EIdInvalidCommandText);
    imap_.CloseConnection();
    server.Join();
    EXPECT_TRUE(seen.empty());
}

TEST_F(ImapSessionTest, ReachesTheServerThroughASocksProxy) {
    // SOCKS 4 to 127.0.0.1 port 143 (0x008F), granted; then the IMAP dialogue through it.
    const std::string request{4, 1, 0, static_cast<char>(0x8F), 127, 0, 0, 1, 0};
    test::ScriptedServer proxy(
        {"* OK [CAPABILITY IMAP4rev1 LITERAL+] through the proxy", "A1 OK [CAPABILITY IMAP4rev1 LITERAL+] in",
         "* LIST (\\Sent) \"/\" Sent\r\nA2 OK"},
        {{request.size(), std::string{0, 90, 0, 0, 0, 0, 0, 0}}});
    auto transport = std::make_unique<TIdIOHandlerSocket>();
    transport->SocksInfo().Version = TSocksVersion::svSocks4;
    transport->SocksInfo().Host = "127.0.0.1";
    transport->SocksInfo().Port = proxy.Port();
    imap_.SetIOHandler(std::move(transport));
    imap_.Host = "localhost";
    imap_.Port = 143;
    imap_.OpenConnection(1000);
    imap_.Login("novak", "secret");
    EXPECT_EQ(imap_.FindSentFolder(), "Sent");
    imap_.CloseConnection();
    EXPECT_EQ(proxy.RawRequests(), (Lines{request}));
    EXPECT_EQ(proxy.Transcript(), (Lines{"A1 LOGIN \"novak\" \"secret\"", "A2 LIST \"\" \"*\""}));
}

TEST_F(ImapSessionTest, InterruptEndsAnUploadAtOnce) {
    // The server takes the command and then no more bytes: the client waits for room to write.
    const std::string large(8 * 1024 * 1024, 'x');
    test::HostileServer server(
        [&](Session& s) {
            Lines seen;
            s.Send("* PREAUTH [CAPABILITY IMAP4rev1] ready\r\n");
            Step(s, seen, "+ go");
            s.ClientClosedWithin(10000);
        },
        4096);
    imap_.Port = server.Port();
    imap_.OpenConnection(1000);
    std::promise<void> uploading;
    std::atomic<bool> told = false;
    imap_.OnWork = [&](TIdComponent&, TWorkMode mode, long long) {
        if (mode == TWorkMode::wmWrite && !told.exchange(true)) uploading.set_value();
    };
    std::string error;
    std::thread upload([&] {
        try {
            imap_.Append("Sent", test::MessageSource(large));
        } catch (const Exception& caught) {
            error = caught.Message();
        }
    });
    uploading.get_future().wait();
    const auto start = std::chrono::steady_clock::now();
    imap_.Interrupt();
    upload.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(imap_.IsConnected());
}

}  // namespace
}  // namespace quillory
