#include <gtest/gtest.h>

#include "net/smtp/IdSMTP.h"
#include "net/smtp/SmtpAccount.h"
#include "net/transport/ServerAddress.h"

namespace quillory {
namespace {

// The server field as the user types it; a port of -1 marks a text that is refused.
struct ServerCase {
    const char* text;
    const char* host;
    int port;
};

class ServerAddressTest : public ::testing::TestWithParam<ServerCase> {};

TEST_P(ServerAddressTest, GivesHostAndPortOrRefuses) {
    const ServerCase& c = GetParam();
    if (c.port < 0) {
        EXPECT_THROW(ParseServerAddress(c.text), EServerAddressError);
        return;
    }
    const TServerAddress address = ParseServerAddress(c.text);
    EXPECT_EQ(address.host, c.host);
    EXPECT_EQ(address.port, c.port);
}

INSTANTIATE_TEST_SUITE_P(Texts, ServerAddressTest,
                         ::testing::Values(ServerCase{"smtp.firma.cz", "smtp.firma.cz", 25},  // host alone
                                           ServerCase{"smtp.firma.cz:587", "smtp.firma.cz", 587},
                                           ServerCase{"[::1]:2525", "::1", 2525},
                                           ServerCase{"[fe80::1]", "fe80::1", 25},
                                           ServerCase{"::1", "::1", 25},      // bare IPv6
                                           ServerCase{"smtp:x25", "", -1},    // bad port
                                           ServerCase{"smtp:70000", "", -1},  // port out of range
                                           ServerCase{"smtp:", "", -1},       // empty port
                                           ServerCase{"[::1:25", "", -1}));   // bracket not closed

TEST(SmtpAccountTest, ApplyConfiguresEveryFieldOfTheClient) {
    TSmtpAccount account;
    account.server = "smtp.firma.cz:587";
    account.authenticate = true;
    account.login = "obchod";
    account.password = "tajne";
    account.readTimeoutMs = 2500;
    account.replyTimeLimitMs = 7000;
    TIdSMTP smtp;
    smtp.Apply(account);
    EXPECT_EQ(smtp.Host, "smtp.firma.cz");
    EXPECT_EQ(smtp.Port, 587);
    EXPECT_EQ(smtp.Security, TSmtpSecurity::StartTLSWhenOffered);
    EXPECT_EQ(smtp.AuthenticationType(), TAuthenticationType::atLogin);
    EXPECT_EQ(smtp.Username, "obchod");
    EXPECT_EQ(smtp.Password, "tajne");
    EXPECT_EQ(smtp.ReadTimeout, 2500);
    EXPECT_EQ(smtp.ReplyTimeLimit, 7000);
}

TEST(SmtpAccountTest, WithoutAuthenticationNoCredentialsReachTheClient) {
    TSmtpAccount account;
    account.server = "smtp.firma.cz:465";
    account.login = "obchod";
    account.password = "tajne";
    TIdSMTP smtp;
    smtp.Username = "left over";
    smtp.Apply(account);
    EXPECT_EQ(smtp.Security, TSmtpSecurity::ImplicitTLS);  // 465 speaks TLS from the first byte
    EXPECT_EQ(smtp.AuthenticationType(), TAuthenticationType::atNone);
    EXPECT_EQ(smtp.Username, "");
    EXPECT_EQ(smtp.Password, "");
    EXPECT_EQ(smtp.ReadTimeout, TIdSMTP::DefaultReadTimeout);
    EXPECT_EQ(smtp.ReplyTimeLimit, TIdSMTP::DefaultReplyTimeLimit);
}

TEST(SmtpAccountTest, AMicrosoftAccountLogsInWithItsTokenAndSignedInAddress) {
    TSmtpAccount account;
    account.server = "smtp.office365.com:587";
    account.authenticate = false;  // a Microsoft account always logs in
    account.login = "typed@firma.cz";
    account.password = "not used";
    account.oauth.method = TLoginMethod::Microsoft;
    account.oauth.address = "jana@firma.cz";
    TIdSMTP smtp;
    smtp.AccessToken = "left over";
    smtp.Apply(account);
    EXPECT_EQ(smtp.AuthenticationType(), TAuthenticationType::atXOAuth2);
    EXPECT_EQ(smtp.Username, "jana@firma.cz");
    EXPECT_EQ(smtp.Password, "");
    EXPECT_EQ(smtp.AccessToken, "");  // set by the send, from memory
    EXPECT_EQ(smtp.Security, TSmtpSecurity::StartTLSWhenOffered);
}

TEST(SmtpAccountTest, AServerTextThatDoesNotParseLeavesTheClientAsItWas) {
    TIdSMTP smtp;
    smtp.Apply({.server = "earlier.firma.cz", .authenticate = true, .login = "jan", .password = "heslo"});
    TSmtpAccount broken;
    broken.server = "smtp:x25";
    EXPECT_THROW(smtp.Apply(broken), EServerAddressError);
    EXPECT_EQ(smtp.Host, "earlier.firma.cz");
    EXPECT_EQ(smtp.Port, 25);
    EXPECT_EQ(smtp.Username, "jan");
}

}  // namespace
}  // namespace quillory
