// One renewal of a refused access token in a single transaction, against an aiosmtpd that takes
// XOAUTH2 with "fresh-token" only.
#include <gtest/gtest.h>

#include "NetTestSupport.h"
#include "delivery/TokenRenewal.h"
#include "mail/IdMessage.h"
#include "net/smtp/IdSMTP.h"

namespace quillory {
namespace {

using namespace std::string_literals;

class TokenRenewalTest : public ::testing::Test {
protected:
    TokenRenewalTest()
        : server_(
              {"/usr/bin/python3", test::SupportScript("smtp_xoauth2_server.py"), "--token", "fresh-token"}) {
        const std::string ready = server_.ReadLine(20000);
        port_ = ready.rfind("ready ", 0) == 0 ? std::stoi(ready.substr(6)) : 0;
        message_.From().SetText("jana@firma.cz");
        message_.Recipients().SetAddressesText("buyer@example.cz");
        message_.Subject = "Offer";
        message_.Body() = {"Good day"};
        smtp_.HeloName = "client.example";
        smtp_.SetAuthenticationType(TAuthenticationType::atXOAuth2);
        smtp_.Username = "jana@firma.cz";
        smtp_.Host = "127.0.0.1";
        smtp_.ReadTimeout = 10000;
    }

    // A token source whose renewals give `renewed` (or raise what it raises), counted.
    TAccessTokenSource Renewing(std::function<std::string()> renewed) {
        return [this, renewed](bool renew, const std::function<bool()>&) {
            if (!renew) return smtp_.AccessToken;
            ++renewals_;
            return renewed();
        };
    }

    std::string SendRenewing(const TAccessTokenSource& tokens) {
        smtp_.Port = port_;
        std::string error;
        try {
            smtp_.Connect(1000);
            SendMailRenewingToken(smtp_, message_, 1000, tokens);
        } catch (const Exception& caught) {
            error = caught.Message();
        }
        if (smtp_.Connected()) smtp_.Disconnect();
        return error;
    }

    test::ChildProcess server_;
    int port_ = 0;
    int renewals_ = 0;
    TIdMessage message_;
    TIdSMTP smtp_;
};

TEST_F(TokenRenewalTest, ARefusedTokenIsRenewedOnceAndTheMessageDelivered) {
    ASSERT_NE(port_, 0);
    smtp_.AccessToken = "stale-token";
    EXPECT_EQ(SendRenewing(Renewing([] { return "fresh-token"s; })), "");
    EXPECT_EQ(renewals_, 1);
    EXPECT_EQ(server_.ReadLine(10000), "refused jana@firma.cz");
    EXPECT_EQ(
        server_.ReadLine(10000).rfind("message XOAUTH2 jana@firma.cz jana@firma.cz buyer@example.cz ", 0),
        0u);
}

TEST_F(TokenRenewalTest, ASecondRefusalIsReportedAndAFailedRenewalEndsTheSend) {
    ASSERT_NE(port_, 0);
    smtp_.AccessToken = "stale-token";
    EXPECT_EQ(SendRenewing(Renewing([] { return "still-stale"s; })),
              "5.7.3 Authentication unsuccessful [token refused]\r\n");
    EXPECT_EQ(renewals_, 1);
    EXPECT_EQ(server_.ReadLine(10000), "refused jana@firma.cz");
    EXPECT_EQ(server_.ReadLine(10000), "refused jana@firma.cz");

    smtp_.AccessToken = "stale-token";
    EXPECT_EQ(SendRenewing(Renewing([]() -> std::string { throw EIdException("Sign in again"); })),
              "Sign in again");
    EXPECT_EQ(server_.ReadLine(10000), "refused jana@firma.cz");
    // Nothing was delivered by either send: the next line is the next send's.
    smtp_.AccessToken = "fresh-token";
    EXPECT_EQ(SendRenewing({}), "");
    EXPECT_EQ(server_.ReadLine(10000).rfind("message XOAUTH2 ", 0), 0u);
}

}  // namespace
}  // namespace quillory
