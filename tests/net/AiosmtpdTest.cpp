#include <gtest/gtest.h>

#include <sstream>

#include "NetTestSupport.h"
#include "SendAsTheProgram.h"
#include "mail/IdMessage.h"
#include "net/smtp/IdSMTP.h"

namespace quillory {
namespace {

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

// A real SMTP server that offers and requires AUTH LOGIN and reports what it received.
class AiosmtpdTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string ready = server_.ReadLine(10000);
        ASSERT_EQ(ready.rfind("ready ", 0), 0u) << "the server did not start: " << ready;
        smtp_.Host = "127.0.0.1";
        smtp_.Port = std::stoi(ready.substr(6));
        smtp_.HeloName = "client.example";
        smtp_.ReadTimeout = 5000;
        smtp_.SetAuthenticationType(TAuthenticationType::atLogin);
        smtp_.Username = "novak";
        smtp_.Password = "tajne heslo";
        message_.From().SetText("Obchod <shop@example.cz>");
        message_.Recipients().SetAddressesText("buyer@example.cz");
        message_.CCList().Add().SetAddress("copy@example.cz");
        message_.Subject = "Offer";
        message_.Body() = {"Good day,", ".", ".. two dots", "Regards"};
    }

    std::string Send() { return test::SendAsTheProgramDoes(smtp_, message_); }

    test::ChildProcess server_{
        {"/usr/bin/python3", test::SupportScript("net_aiosmtpd_server.py"), "novak", "tajne heslo"}};
    TIdSMTP smtp_;
    TIdMessage message_;
};

TEST_F(AiosmtpdTest, DeliversAfterLoggingInWithTheExactDataBytes) {
    ASSERT_EQ(Send(), "");
    std::istringstream report(server_.ReadLine(10000));
    std::string word, mechanism, login, from, recipients, hex;
    report >> word >> mechanism >> login >> from >> recipients >> hex;
    ASSERT_EQ(word, "message");
    EXPECT_EQ(mechanism, "LOGIN");
    EXPECT_EQ(login, "novak");
    EXPECT_EQ(from, "shop@example.cz");
    EXPECT_EQ(recipients, "buyer@example.cz,copy@example.cz");
    const std::string data = FromHex(hex);
    // The server has removed the dot-stuffing again: the body arrives as it was written.
    const auto body = data.find("\r\n\r\n");
    ASSERT_NE(body, std::string::npos);
    EXPECT_EQ(data.substr(body + 4), "Good day,\r\n.\r\n.. two dots\r\nRegards\r\n");
    EXPECT_NE(data.find("Subject: Offer\r\n"), std::string::npos);
    EXPECT_NE(data.find("Cc: copy@example.cz\r\n"), std::string::npos);
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (data[i] == '\n') {
            EXPECT_TRUE(i > 0 && data[i - 1] == '\r') << "bare LF at " << i;
        }
        if (data[i] == '\r') {
            EXPECT_TRUE(i + 1 < data.size() && data[i + 1] == '\n') << "bare CR at " << i;
        }
    }
}

TEST_F(AiosmtpdTest, WrongPasswordAndNoLoginAreRefusedWithTheServersWords) {
    smtp_.Password = "wrong";
    EXPECT_EQ(Send(), "5.7.8 Authentication credentials invalid\r\n");
    smtp_.SetAuthenticationType(TAuthenticationType::atNone);
    EXPECT_EQ(Send(), "5.7.0 Authentication required\r\n");
}

}  // namespace
}  // namespace quillory
