#include <gtest/gtest.h>

#include <chrono>

#include "NetTestSupport.h"
#include "net/transport/IdIOHandlerSocket.h"
#include "net/transport/IdSocketExceptions.h"
#include "net/transport/IdTCPClient.h"

namespace quillory {
namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

void AimAtLoopback(TIdTCPClient& client, int port) {
    client.Host = "127.0.0.1";
    client.Port = port;
}

// The connect that completes is noticed at once, not at the end of a polling step.
TEST(ConnectTest, ConnectWithinTheLimitReturnsAsSoonAsConnected) {
    test::LoopbackPeer peer;
    TIdTCPClient client;
    client.Host = "localhost";
    client.Port = peer.Port();
    std::vector<std::string> status;
    client.OnStatus = [&](TIdComponent&, TIdStatus, const std::string& text) { status.push_back(text); };
    const auto start = Clock::now();
    client.OpenConnection(1000);
    EXPECT_LT(MillisecondsSince(start), 50);
    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(status, (std::vector<std::string>{"Resolving hostname localhost.", "Connecting to 127.0.0.1.",
                                                "Connected."}));
    client.CloseConnection();
    EXPECT_FALSE(client.IsConnected());
    EXPECT_EQ(client.IOHandler(), nullptr);  // the transport OpenConnection created is gone
}

TEST(ConnectTest, RefusedConnectionGivesTheNumberedMessage) {
    test::RefusingPort port;
    TIdTCPClient client;
    AimAtLoopback(client, port.Port());
    try {
        client.OpenConnection(1000);
        FAIL() << "connected to a port that refuses";
    } catch (const EIdConnectException& error) {
        EXPECT_EQ(error.Message(), "Socket Error # 10061\r\nConnection refused.");
    }
    EXPECT_FALSE(client.IsConnected());
    // Without a limit of its own the connect runs directly and raises the socket error itself.
    try {
        client.OpenConnection(IdTimeoutDefault);
        FAIL() << "connected to a port that refuses";
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.LastError(), 10061);
        EXPECT_EQ(error.Message(), "Socket Error # 10061\r\nConnection refused.");
    }
}

TEST(ConnectTest, UnansweredConnectEndsAtTheLimitAndClosesTheSocket) {
    test::UnansweredPort port;
    TIdTCPClient client;
    AimAtLoopback(client, port.Port());
    const auto start = Clock::now();
    try {
        client.OpenConnection(150);
        FAIL() << "connected to a port that does not answer";
    } catch (const EIdConnectTimeout& error) {
        EXPECT_EQ(error.Message(), "Connect timed out.");
    }
    const auto elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 140);
    EXPECT_LT(elapsed, 1000);
    EXPECT_FALSE(client.IOHandler()->IsOpen());
}

TEST(ConnectTest, FailedOpenKeepsTheTransportForTheNextOne) {
    test::RefusingPort refusing;
    TIdTCPClient client;
    AimAtLoopback(client, refusing.Port());
    EXPECT_THROW(client.OpenConnection(1000), EIdConnectException);
    TIdIOHandler* transport = client.IOHandler();
    ASSERT_NE(transport, nullptr);

    test::LoopbackPeer peer;
    client.Port = peer.Port();
    client.OpenConnection(1000);
    EXPECT_EQ(client.IOHandler(), transport);
    try {
        client.OpenConnection(1000);
        FAIL() << "opened twice";
    } catch (const EIdAlreadyConnected& error) {
        EXPECT_EQ(error.Message(), "Already connected.");
    }
}

TEST(ConnectTest, UnknownHostAndBadPortRangeFailBeforeConnecting) {
    TIdTCPClient client;
    client.Host = "no-such-host.invalid";
    client.Port = 25;
    try {
        client.OpenConnection(1000);
        FAIL() << "resolved an unknown name";
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.Message(), "Socket Error # 11001\r\nHost not found.");
    }
    client.Host = "127.0.0.1";
    client.BoundPortLow = 5000;
    client.BoundPortHigh = 4000;
    try {
        client.OpenConnection(1000);
        FAIL() << "bound in an empty range";
    } catch (const EIdInvalidPortRange& error) {
        EXPECT_EQ(error.Message(), "Invalid Port Range (5000 - 4000)");
    }
}

TEST(ConnectTest, ReceivingOnAClosedTransportRaisesDisconnected) {
    TIdIOHandlerSocket transport;
    transport.OpenHandler();
    char byte = 0;
    try {
        transport.ReceiveBytes(&byte, 1);
        FAIL() << "received on a closed transport";
    } catch (const EIdClosedSocket& error) {
        EXPECT_EQ(error.Message(), "Disconnected.");
    }
}

TEST(WorkTest, AddWorkCountsOnlyInsideStartAndFinish) {
    TIdTCPClient component;
    std::vector<long long> positions;
    int ends = 0;
    component.OnWork = [&](TIdComponent&, TWorkMode, long long position) { positions.push_back(position); };
    component.OnWorkEnd = [&](TIdComponent&, TWorkMode) { ++ends; };
    component.AddWork(TWorkMode::wmWrite, 5);
    component.StartWork(TWorkMode::wmWrite, 10);
    component.StartWork(TWorkMode::wmWrite, 99);  // nested: no new start
    component.AddWork(TWorkMode::wmWrite, 4);
    component.AddWork(TWorkMode::wmWrite, 6);
    component.FinishWork(TWorkMode::wmWrite);
    EXPECT_EQ(ends, 0);
    component.FinishWork(TWorkMode::wmWrite);
    EXPECT_EQ(positions, (std::vector<long long>{4, 10}));
    EXPECT_EQ(ends, 1);
}

}  // namespace
}  // namespace quillory
