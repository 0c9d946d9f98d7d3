#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>

#include "net/transport/IdErrorNumbers.h"
#include "net/transport/IdSocketExceptions.h"
#include "net/transport/IdStack.h"

namespace quillory {
namespace {

class StackTest : public ::testing::Test {
protected:
    TIdStackLease lease_;
    TIdStack& stack_ = SharedStack();
};

TEST_F(StackTest, ErrorTextIsTheNumberALineBreakAndItsDescription) {
    const struct {
        int number;
        const char* message;
    } rows[] = {
        {10061, "Socket Error # 10061\r\nConnection refused."},
        {11001, "Socket Error # 11001\r\nHost not found."},
        {10035, "Socket Error # 10035\r\nOperation would block. "},  // final space kept
        {10066, "Socket Error # 10066\r\nDirectory not empty"},      // no final period
        {12345, "Socket Error # 12345\r\n"},                         // unknown: nothing after the break
    };
    for (const auto& row : rows) EXPECT_EQ(stack_.ErrorText(row.number), row.message) << row.number;
}

TEST(ErrorNumbersTest, ThisSystemsErrorsBecomeWindowsSocketsNumbers) {
    EXPECT_EQ(WinsockErrorFromErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(WinsockErrorFromErrno(ECONNRESET), 10054);
    EXPECT_EQ(WinsockErrorFromErrno(EPIPE), 10054);
    EXPECT_EQ(WinsockErrorFromErrno(ETIMEDOUT), 10060);
    EXPECT_EQ(WinsockErrorFromErrno(EHOSTUNREACH), 10065);
    EXPECT_EQ(WinsockErrorFromErrno(EAGAIN), 10035);
    EXPECT_EQ(WinsockErrorFromResolver(EAI_NONAME, 0), 11001);
    EXPECT_EQ(WinsockErrorFromResolver(EAI_AGAIN, 0), 11002);
    EXPECT_EQ(WinsockErrorFromResolver(EAI_SYSTEM, ECONNREFUSED), 10061);
}

TEST(AddressTextTest, OnlyFourPartsOfZeroTo255AreAddresses) {
    EXPECT_TRUE(TIdStack::LooksLikeAddress("127.0.0.1"));
    EXPECT_TRUE(TIdStack::LooksLikeAddress("192.168.001.010"));
    EXPECT_FALSE(TIdStack::LooksLikeAddress("256.1.1.1"));
    EXPECT_FALSE(TIdStack::LooksLikeAddress("1.2.3"));
    EXPECT_FALSE(TIdStack::LooksLikeAddress("1.2.3.4.5"));
    EXPECT_FALSE(TIdStack::LooksLikeAddress("mail.example.cz"));
    EXPECT_EQ(TIdStack::TextToAddress("192.168.001.010"), (TIdIPv4Bytes{192, 168, 1, 10}));
    EXPECT_EQ(TIdStack::AddressToText({10, 0, 255, 7}), "10.0.255.7");
    EXPECT_THROW(TIdStack::TextToAddress("1.x.3.4"), EIdException);
}

TEST_F(StackTest, ResolvingNamesAddressesAndUnknownHosts) {
    EXPECT_EQ(stack_.ResolveToAddress("LocalHost"), "127.0.0.1");
    EXPECT_EQ(stack_.ResolveToAddress("192.168.001.010"), "192.168.001.010");
    try {
        stack_.ResolveToAddress("no-such-host.invalid");
        FAIL() << "an unknown name resolved";
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.LastError(), 11001);
        EXPECT_EQ(error.Message(), "Socket Error # 11001\r\nHost not found.");
    }
}

TEST(SharedStackTest, LivesFromTheFirstLeaseToTheLast) {
    {
        TIdStackLease first;
        TIdStack* stack = &SharedStack();
        TIdStackLease second;
        EXPECT_EQ(&SharedStack(), stack);
    }
    EXPECT_THROW(SharedStack(), EIdStackError);
}

}  // namespace
}  // namespace quillory
