// The XOAUTH2 login of the SMTP client: its initial response, the error challenge and the rule that
// a token never crosses the network in clear, against scripted servers for the exact lines (the
// renewal of a refused token is in tests/delivery).
#include <gtest/gtest.h>

#include "NetTestSupport.h"
#include "SendAsTheProgram.h"
#include "mail/IdCoder3to4.h"
#include "mail/IdMessage.h"
#include "net/oauth/XOAuth2.h"
#include "net/smtp/IdSMTP.h"

namespace quillory {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

constexpr const char* Greeting = "220 mail.example ESMTP";
constexpr const char* EhloWithXOAuth2 = "250-mail.example\r\n250 AUTH LOGIN XOAUTH2";

std::string Base64(const std::string& bytes) { return EncodeTextWith<TIdEncoderMIME>(bytes); }

TEST(XOAuth2MessageTest, FieldsSeparatedByCtrlAAndEncodedAsBase64) {
    EXPECT_EQ(XOAuth2Message("jana@firma.cz", "ya29.vF9dft4qmTc2Nvb3RlckBhdHRhdmlzdGEuY29tCg=="),
              "user=jana@firma.cz\x01"
              "auth=Bearer ya29.vF9dft4qmTc2Nvb3RlckBhdHRhdmlzdGEuY29tCg==\x01\x01");
    // The example of the mechanism's documentation.
    EXPECT_EQ(XOAuth2InitialResponse("someuser@example.com", "ya29.vF9dft4qmTc2Nvb3RlckBhdHRhdmlzdGEuY29tCg"),
              "dXNlcj1zb21ldXNlckBleGFtcGxlLmNvbQFhdXRoPUJlYXJlciB5YTI5LnZGOWRmdDRxbVRjMk52YjNSbGNrQmhkSF"
              "JoZG1semRHRXVZMjl0Q2cBAQ==");
}

TEST(XOAuth2MessageTest, RefusesWhatWouldForgeAField) {
    struct Row {
        const char* name;
        std::string user;
        std::string token;
    };
    const Row rows[] = {
        {"^A in the address",
         "a@b.cz\x01"
         "auth=Bearer x",
         "token"},
        {"line break in the address", "a@b.cz\r\n", "token"},
        {"NUL in the address", "a\0b"s, "token"},
        {"empty token", "a@b.cz", ""},
        {"blank in the token", "a@b.cz", "to ken"},
        {"^A in the token", "a@b.cz", "tok\x01"},
        {"= inside the token", "a@b.cz", "to=ken"},
        {"only padding", "a@b.cz", "=="},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_THROW(XOAuth2Message(row.user, row.token), EXOAuth2InvalidCredentials);
    }
}

class XOAuth2SessionTest : public ::testing::Test {
protected:
    XOAuth2SessionTest() {
        message_.From().SetText("jana@firma.cz");
        message_.Recipients().SetAddressesText("buyer@example.cz");
        message_.Subject = "Offer";
        message_.Body() = {"Good day"};
        smtp_.HeloName = "client.example";
        smtp_.SetAuthenticationType(TAuthenticationType::atXOAuth2);
        smtp_.Username = "jana@firma.cz";
        smtp_.AccessToken = "token-1";
    }

    std::string SendTo(test::ScriptedServer& server, const std::string& host = "127.0.0.1") {
        smtp_.Host = host;
        smtp_.Port = server.Port();
        return test::SendAsTheProgramDoes(smtp_, message_);
    }

    static std::string Auth(const std::string& token) {
        return "AUTH XOAUTH2 " + XOAuth2InitialResponse("jana@firma.cz", token);
    }

    TIdMessage message_;
    TIdSMTP smtp_;
};

TEST_F(XOAuth2SessionTest, TheTokenGoesAsTheInitialResponse) {
    test::ScriptedServer server({Greeting, EhloWithXOAuth2, "250 reset", "235 2.7.0 Accepted", "250 sender",
                                 "250 rcpt", "354 go", "250 queued"});
    EXPECT_EQ(SendTo(server), "");
    const Lines transcript = server.Transcript();
    ASSERT_GE(transcript.size(), 4u);
    EXPECT_EQ(Lines(transcript.begin(), transcript.begin() + 4),
              (Lines{"EHLO client.example", "RSET", Auth("token-1"), "MAIL FROM:<jana@firma.cz>"}));
}

TEST_F(XOAuth2SessionTest, TheErrorChallengeIsAnsweredEmptyAndTheFinalReplyReported) {
    const std::string challenge =
        Base64(R"({"status":"401","schemes":"bearer","scope":"https://mail.example/"})");
    test::ScriptedServer server({Greeting, EhloWithXOAuth2, "250 reset", "334 " + challenge,
                                 "535 5.7.3 Authentication unsuccessful"});
    smtp_.Host = "127.0.0.1";
    smtp_.Port = server.Port();
    smtp_.Connect(1000);
    try {
        smtp_.SendMail(message_);
        ADD_FAILURE() << "sent";
    } catch (const EIdSMTPLoginRefused& refused) {
        EXPECT_EQ(refused.Message(), "5.7.3 Authentication unsuccessful\r\n");
        EXPECT_EQ(refused.ReplyCode(), 535);
        EXPECT_EQ(refused.Mechanism(), "XOAUTH2");
        EXPECT_EQ(refused.Host(), "127.0.0.1");
    }
    smtp_.Disconnect();
    EXPECT_EQ(server.Transcript(), (Lines{"EHLO client.example", "RSET", Auth("token-1"), "", "QUIT"}));
}

TEST_F(XOAuth2SessionTest, ATokenTooLongForOneCommandLineFollowsTheEmptyChallenge) {
    smtp_.AccessToken = std::string(12000, 'a');
    test::ScriptedServer server({Greeting, EhloWithXOAuth2, "250 reset", "334 ", "235 ok", "250 sender",
                                 "250 rcpt", "354 go", "250 queued"});
    EXPECT_EQ(SendTo(server), "");
    const Lines transcript = server.Transcript();
    ASSERT_GE(transcript.size(), 4u);
    EXPECT_EQ(transcript[2], "AUTH XOAUTH2");
    EXPECT_EQ(transcript[3], XOAuth2InitialResponse("jana@firma.cz", smtp_.AccessToken));
}

TEST_F(XOAuth2SessionTest, NoTokenInClearToAnotherMachineAndNoneToAServerWithoutTheMechanism) {
    {
        test::ScriptedServer server({Greeting, EhloWithXOAuth2, "250 reset"}, {}, "127.0.0.2");
        EXPECT_EQ(
            SendTo(server, "127.0.0.2"),
            "The server offers no encrypted connection (STARTTLS), so the access token was not sent: it "
            "would cross the network readable by anyone");
        EXPECT_EQ(server.Transcript(), (Lines{"EHLO client.example", "RSET", "QUIT"}));
    }
    {
        test::ScriptedServer server({Greeting, "250-mail.example\r\n250 AUTH LOGIN PLAIN", "250 reset"});
        EXPECT_EQ(SendTo(server), "The server does not offer the XOAUTH2 login");
        EXPECT_EQ(server.Transcript(), (Lines{"EHLO client.example", "RSET", "QUIT"}));
    }
    // A token that is not a bearer token is not sent at all.
    {
        smtp_.AccessToken = "bad token";
        test::ScriptedServer server({Greeting, EhloWithXOAuth2, "250 reset"});
        EXPECT_NE(SendTo(server).find("cannot be sent with XOAUTH2"), std::string::npos);
        EXPECT_EQ(server.Transcript(), (Lines{"EHLO client.example", "RSET", "QUIT"}));
    }
}

TEST_F(XOAuth2SessionTest, APasswordLoginRefusedSaysItsMechanismAndServer) {
    smtp_.SetAuthenticationType(TAuthenticationType::atLogin);
    smtp_.Password = "secret";
    test::ScriptedServer server(
        {Greeting, "250-mail.example\r\n250 AUTH LOGIN", "250 reset", "334 VXNlcm5hbWU6", "334 UGFzc3dvcmQ6",
         "535 5.7.139 Authentication unsuccessful, basic authentication is disabled."});
    smtp_.Host = "127.0.0.1";
    smtp_.Port = server.Port();
    smtp_.Connect(1000);
    try {
        smtp_.SendMail(message_);
        ADD_FAILURE() << "sent";
    } catch (const EIdSMTPLoginRefused& refused) {
        EXPECT_EQ(refused.Message(),
                  "5.7.139 Authentication unsuccessful, basic authentication is disabled.\r\n");
        EXPECT_EQ(refused.Mechanism(), "LOGIN");
    }
    smtp_.Disconnect();
}

}  // namespace
}  // namespace quillory
