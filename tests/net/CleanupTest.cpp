// A close that fails during clean-up neither ends the program (an exception leaving a destructor)
// nor hides the error that made the clean-up run.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "mail/IdException.h"
#include "net/transport/IdSocketExceptions.h"
#include "net/transport/IdTCPClient.h"

namespace quillory {
namespace {

// A transport whose close always fails; it connects, or fails to, as told.
class FailingCloseTransport : public TIdIOHandler {
public:
    explicit FailingCloseTransport(bool connects) : connects_(connects) {}
    void EstablishConnection(const std::string&, int, const std::string&, int, int, int, int) override {
        if (!connects_) throw EIdConnectTimeout();
        open_ = true;
    }
    void CloseHandler() override {
        open_ = false;
        throw EIdException("close failed");
    }
    bool IsOpen() const override { return open_; }
    bool WaitReadable(int) override { return true; }
    void SetWriteTimeout(int) override {}
    long ReceiveBytes(void*, std::size_t) override { throw EIdException("receive failed"); }
    long SendBytes(const void*, std::size_t length) override { return static_cast<long>(length); }
    void SetInterrupt(TIdInterrupt*) override {}

private:
    bool connects_;
    bool open_ = false;
};

std::string MessageOf(const std::function<void()>& step) {
    try {
        step();
    } catch (const EIdException& error) {
        return error.Message();
    }
    return "(nothing raised)";
}

TEST(CleanupTest, AFailedConnectReportsItsOwnErrorAndTheClientIsDestroyedQuietly) {
    auto client = std::make_unique<TIdTCPClient>();
    client->SetIOHandler(std::make_unique<FailingCloseTransport>(false));
    EXPECT_EQ(MessageOf([&] { client->OpenConnection(1000); }), "Connect timed out.");
    client.reset();  // closes the transport once more: the failure stays inside
}

TEST(CleanupTest, AWorkHandlerThatRaisesAtTheEndDoesNotHideTheReadError) {
    auto client = std::make_unique<TIdTCPClient>();
    client->SetIOHandler(std::make_unique<FailingCloseTransport>(true));
    client->OpenConnection(1000);
    client->OnWorkEnd = [](TIdComponent&, TWorkMode) { throw EIdException("handler failed"); };
    EXPECT_EQ(MessageOf([&] { client->ReadUntilClosed(); }), "receive failed");
    client.reset();
}

}  // namespace
}  // namespace quillory
