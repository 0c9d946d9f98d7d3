// TLS from the first byte and STARTTLS against real servers with certificates made for the test,
// the login rules around them, and ending a session at once from another thread.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <sstream>
#include <thread>

#include "NetTestSupport.h"
#include "SendAsTheProgram.h"
#include "mail/IdMessage.h"
#include "net/smtp/IdSMTP.h"

namespace quillory {
namespace {

using Lines = std::vector<std::string>;

// The folder of the test's certificates; SSL_CERT_FILE points at its authority.
std::string certificates;

std::string Certificate(const std::string& stem, const char* suffix) {
    return certificates + "/" + stem + suffix;
}

class SecureSessionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!certificates.empty()) return;
        char folder[] = "/tmp/quillory-tls-XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        certificates = folder;
        test::ChildProcess maker(
            {"/usr/bin/python3", test::SupportScript("tls_make_certificates.py"), certificates});
        maker.Finish();
        // Only the test's authority is trusted: the system's store has no say in these tests.
        ::setenv("SSL_CERT_FILE", Certificate("trusted-ca", ".pem").c_str(), 1);
        ::setenv("SSL_CERT_DIR", certificates.c_str(), 1);
    }

    static void TearDownTestSuite() {
        std::filesystem::remove_all(certificates);
        certificates.clear();
    }

    SecureSessionTest() {
        message_.From().SetText("Obchod <shop@example.cz>");
        message_.Recipients().SetAddressesText("buyer@example.cz");
        message_.Subject = "Offer";
        message_.Body() = {"Good day,", "Regards"};
        smtp_.HeloName = "client.example";
        smtp_.ReadTimeout = 5000;
        smtp_.SetAuthenticationType(TAuthenticationType::atLogin);
        smtp_.Username = "user";
        smtp_.Password = "secret";
    }

    // An aiosmtpd server requiring a login of user/secret; `options` as its script takes them.
    static std::unique_ptr<test::ChildProcess> StartServer(const Lines& options, int& port) {
        Lines argv{"/usr/bin/python3", test::SupportScript("net_aiosmtpd_server.py"), "user", "secret"};
        argv.insert(argv.end(), options.begin(), options.end());
        auto server = std::make_unique<test::ChildProcess>(argv);
        const std::string ready = server->ReadLine(10000);
        port = ready.rfind("ready ", 0) == 0 ? std::stoi(ready.substr(6)) : 0;
        return server;
    }

    std::string SendTo(const std::string& host, int port, TSmtpSecurity security) {
        smtp_.Host = host;
        smtp_.Port = port;
        smtp_.Security = security;
        return test::SendAsTheProgramDoes(smtp_, message_);
    }

    TIdMessage message_;
    TIdSMTP smtp_;
};

// The words of the server's report of a delivered message.
Lines Report(test::ChildProcess& server) {
    std::istringstream line(server.ReadLine(10000));
    Lines words;
    for (std::string word; line >> word;) words.push_back(word);
    return words;
}

TEST_F(SecureSessionTest, DeliversAndLogsInOnlyInsideTLS) {
    struct Case {
        const char* name;
        Lines options;
        std::string host;
        TSmtpSecurity security;
    };
    const std::string cert = Certificate("server", ".pem"), key = Certificate("server", ".key");
    const Case cases[] = {
        {"STARTTLS by name", {"--starttls", cert, key}, "localhost", TSmtpSecurity::StartTLSWhenOffered},
        {"TLS from the first byte by IPv4 address",
         {"--tls", cert, key},
         "127.0.0.1",
         TSmtpSecurity::ImplicitTLS},
        {"TLS from the first byte over IPv6",
         {"--tls", cert, key, "--host", "::1"},
         "::1",
         TSmtpSecurity::ImplicitTLS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int port = 0;
        const auto server = StartServer(c.options, port);
        ASSERT_NE(port, 0);
        // The STARTTLS server refuses a login and mail before the handshake (aiosmtpd's
        // require_starttls and auth_require_tls), and reports whether the login came inside TLS.
        EXPECT_EQ(SendTo(c.host, port, c.security), "");
        const Lines words = Report(*server);
        ASSERT_EQ(words.size(), 7u);
        EXPECT_EQ(words[1], "LOGIN");
        EXPECT_EQ(words[2], "user");
        EXPECT_EQ(words[6], "tls");
    }
}

TEST_F(SecureSessionTest, EachTLSFailureHasItsOwnWords) {
    struct Case {
        const char* stem;
        std::string expectedStart;
    };
    const Case cases[] = {
        {"other", "The server's certificate is not made out for the name localhost"},
        {"rogue", "The server's certificate is not trusted (unable to get local issuer certificate)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stem);
        int port = 0;
        const auto server =
            StartServer({"--tls", Certificate(c.stem, ".pem"), Certificate(c.stem, ".key")}, port);
        ASSERT_NE(port, 0);
        const std::string error = SendTo("localhost", port, TSmtpSecurity::ImplicitTLS);
        EXPECT_EQ(error.rfind(c.expectedStart, 0), 0u) << error;
    }
    // A server that answers in clear where TLS was expected.
    test::ScriptedServer plain({"220 mail.example ESMTP"});
    const std::string error = SendTo("localhost", plain.Port(), TSmtpSecurity::ImplicitTLS);
    EXPECT_EQ(error.rfind("The secure connection (TLS) to the server could not be set up (", 0), 0u) << error;
}

TEST_F(SecureSessionTest, NothingSentInClearBeforeTheHandshakeIsReadInsideTLS) {
    test::ChildProcess server({"/usr/bin/python3", test::SupportScript("net_starttls_injecting_server.py"),
                               Certificate("server", ".pem"), Certificate("server", ".key")});
    const std::string ready = server.ReadLine(10000);
    ASSERT_EQ(ready.rfind("ready ", 0), 0u) << ready;
    EXPECT_EQ(SendTo("localhost", std::stoi(ready.substr(6)), TSmtpSecurity::StartTLSWhenOffered), "");
    Lines inside;
    for (std::string line = server.ReadLine(10000); line.rfind("line ", 0) == 0;
         line = server.ReadLine(10000)) {
        inside.push_back(line.substr(5));
    }
    // EHLO again inside TLS; the login follows the real reply (PLAIN), not the injected one (LOGIN).
    ASSERT_GE(inside.size(), 4u);
    EXPECT_EQ(inside[0], "EHLO client.example");
    EXPECT_EQ(inside[1], "RSET");
    EXPECT_EQ(inside[2], "AUTH PLAIN AHVzZXIAc2VjcmV0");
    EXPECT_EQ(inside.back(), "QUIT");
}

TEST_F(SecureSessionTest, LoginRules) {
    constexpr const char* Greeting = "220 mail.example ESMTP";
    // No STARTTLS offered by another machine: the login is refused before a word of it is sent.
    {
        test::ScriptedServer server({Greeting, "250-mail.example\r\n250 AUTH LOGIN PLAIN", "250 reset"}, {},
                                    "127.0.0.2");
        EXPECT_EQ(
            SendTo("127.0.0.2", server.Port(), TSmtpSecurity::StartTLSWhenOffered),
            "The server offers no encrypted connection (STARTTLS), so the login was not sent: the name and "
            "password would cross the network readable by anyone");
        EXPECT_EQ(server.Transcript(), (Lines{"EHLO client.example", "RSET", "QUIT"}));
    }
    // This machine may take a login in clear; PLAIN is used when LOGIN is not offered.
    {
        test::ScriptedServer server({Greeting, "250-mail.example\r\n250 AUTH PLAIN", "250 reset", "235 ok",
                                     "250 sender", "250 rcpt", "354 go", "250 queued"});
        EXPECT_EQ(SendTo("127.0.0.1", server.Port(), TSmtpSecurity::StartTLSWhenOffered), "");
        const Lines transcript = server.Transcript();
        ASSERT_GE(transcript.size(), 3u);
        EXPECT_EQ(transcript[2], "AUTH PLAIN AHVzZXIAc2VjcmV0");
    }
}

TEST_F(SecureSessionTest, InterruptEndsASessionWaitingForASilentServerAtOnce) {
    for (const TSmtpSecurity security : {TSmtpSecurity::Plain, TSmtpSecurity::ImplicitTLS}) {
        SCOPED_TRACE(static_cast<int>(security));
        test::ScriptedServer silent({"<silent>"});
        TIdSMTP smtp;
        smtp.Host = "127.0.0.1";
        smtp.Port = silent.Port();
        smtp.Security = security;
        std::promise<void> connected;
        smtp.OnStatus = [&connected](TIdComponent&, TIdStatus status, const std::string&) {
            if (status == TIdStatus::hsConnecting) connected.set_value();
        };
        std::string error;
        std::thread send([&] { error = test::SendAsTheProgramDoes(smtp, message_); });
        connected.get_future().wait();
        const auto start = std::chrono::steady_clock::now();
        smtp.Interrupt();
        send.join();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_TRUE(smtp.Interrupted());
        EXPECT_FALSE(error.empty());
        // Once interrupted, the client does not open again.
        EXPECT_EQ(test::SendAsTheProgramDoes(smtp, message_), "Operation cancelled.");
    }
}

}  // namespace
}  // namespace quillory
