#include <gtest/gtest.h>

#include "NetTestSupport.h"
#include "net/transport/IdIOHandlerSocket.h"
#include "net/transport/IdSocksExceptions.h"
#include "net/transport/IdTCPClient.h"

namespace quillory {
namespace {

using Bytes = std::string;

Bytes Of(std::initializer_list<int> values) {
    Bytes bytes;
    for (const int value : values) bytes += static_cast<char>(value);
    return bytes;
}

// A client whose transport goes through the scripted proxy to `host`, port 25 (0x0019).
class SocksTest : public ::testing::Test {
protected:
    void Connect(test::ScriptedServer& proxy, TSocksVersion version, const std::string& host) {
        auto transport = std::make_unique<TIdIOHandlerSocket>();
        transport->SocksInfo().Version = version;
        transport->SocksInfo().Host = "127.0.0.1";
        transport->SocksInfo().Port = proxy.Port();
        transport->SocksInfo().Username = username_;
        transport->SocksInfo().Password = password_;
        if (!username_.empty() && version == TSocksVersion::svSocks5) {
            transport->SocksInfo().Authentication = TSocksAuthentication::saUsernamePassword;
        }
        client_.SetIOHandler(std::move(transport));
        client_.Host = host;
        client_.Port = 25;
        client_.OpenConnection(1000);
    }

    std::string username_;
    std::string password_;
    TIdTCPClient client_;
};

TEST_F(SocksTest, Socks4SendsTheResolvedAddressAndAnEmptyUserId) {
    test::ScriptedServer proxy({"220 through the proxy"}, {{9, Of({0, 90, 0, 0, 0, 0, 0, 0})}});
    Connect(proxy, TSocksVersion::svSocks4, "localhost");
    EXPECT_EQ(client_.ReadLine(), "220 through the proxy");
    client_.CloseConnection();
    EXPECT_EQ(proxy.RawRequests(), (std::vector<Bytes>{Of({4, 1, 0, 25, 127, 0, 0, 1, 0})}));
}

TEST_F(SocksTest, Socks4ALetsTheProxyResolveTheName) {
    username_ = "me";
    const Bytes request = Of({4, 1, 0, 25, 0, 0, 0, 1}) + "me" + Of({0}) + "mail.example" + Of({0});
    test::ScriptedServer proxy({"220 ok"}, {{request.size(), Of({0, 90, 0, 0, 0, 0, 0, 0})}});
    Connect(proxy, TSocksVersion::svSocks4A, "mail.example");
    EXPECT_EQ(client_.ReadLine(), "220 ok");
    client_.CloseConnection();
    EXPECT_EQ(proxy.RawRequests(), (std::vector<Bytes>{request}));
}

TEST_F(SocksTest, Socks4RejectionsHaveTheirOwnMessages) {
    const struct {
        int code;
        const char* message;
    } rows[] = {{91, "Request rejected or failed."},
                {92, "Request rejected because SOCKS server cannot connect."},
                {93, "Request rejected because the client program and identd report different user-ids."},
                {94, "Unknown socks error."}};
    for (const auto& row : rows) {
        test::ScriptedServer proxy({}, {{9, Of({0, row.code, 0, 0, 0, 0, 0, 0})}});
        try {
            Connect(proxy, TSocksVersion::svSocks4, "127.0.0.1");
            ADD_FAILURE() << "granted with code " << row.code;
        } catch (const EIdSocksError& error) {
            EXPECT_EQ(error.Message(), row.message);
        }
        EXPECT_FALSE(client_.IsConnected());
    }
}

// The bound address of the reply is a name here: its length byte, the name and two port bytes
// must all be consumed, or a byte would be left in front of the server's greeting.
TEST_F(SocksTest, Socks5WithLoginReadsTheWholeBoundAddress) {
    username_ = "user";
    password_ = "pw";
    const Bytes connect = Of({5, 1, 0, 3, 12}) + "mail.example" + Of({0, 25});
    test::ScriptedServer proxy({"220 behind socks 5"},
                               {{3, Of({5, 2})},
                                {9, Of({1, 0})},
                                {connect.size(), Of({5, 0, 0, 3, 5}) + "proxy" + Of({0x12, 0x34})}});
    Connect(proxy, TSocksVersion::svSocks5, "mail.example");
    EXPECT_EQ(client_.ReadLine(), "220 behind socks 5");
    client_.CloseConnection();
    EXPECT_EQ(proxy.RawRequests(),
              (std::vector<Bytes>{Of({5, 1, 2}), Of({1, 4}) + "user" + Of({2}) + "pw", connect}));
}

TEST_F(SocksTest, Socks5FailuresHaveTheirOwnMessages) {
    test::ScriptedServer refusedMethod({}, {{3, Of({5, 255})}});
    try {
        Connect(refusedMethod, TSocksVersion::svSocks5, "mail.example");
        ADD_FAILURE() << "accepted method 255";
    } catch (const EIdSocksAuthMethodError& error) {
        EXPECT_EQ(error.Message(), "Invalid socks authentication method.");
    }
    EXPECT_EQ(refusedMethod.RawRequests(), (std::vector<Bytes>{Of({5, 1, 0})}));

    const char* const messages[] = {"General SOCKS server failure.", "Connection not allowed by ruleset.",
                                    "Network unreachable.",          "Host unreachable.",
                                    "Connection refused.",           "TTL expired.",
                                    "Command not supported.",        "Address type not supported.",
                                    "Unknown socks error."};
    for (int code = 1; code <= 9; ++code) {
        test::ScriptedServer proxy({}, {{3, Of({5, 0})}, {19, Of({5, code, 0, 1, 0})}});
        try {
            Connect(proxy, TSocksVersion::svSocks5, "mail.example");
            ADD_FAILURE() << "connected with reply code " << code;
        } catch (const EIdSocksError& error) {
            EXPECT_EQ(error.Message(), messages[code - 1]);
        }
    }
    test::ScriptedServer silent({}, {{3, "<close>"}});
    EXPECT_THROW(Connect(silent, TSocksVersion::svSocks5, "mail.example"), EIdSocksServerRespondError);
}

}  // namespace
}  // namespace quillory
