#pragma once

#include <memory>

#include "net/transport/IdIOHandler.h"
#include "net/transport/IdSocketHandle.h"
#include "net/transport/IdSocks.h"

namespace quillory {

// The transport over one TCP socket: binding, name resolution, connecting within a time limit
// and, when configured, the SOCKS negotiation with a proxy. A name with several addresses (IPv6
// and IPv4) is tried address by address until one connects, all within the one time limit.
class TIdIOHandlerSocket : public TIdIOHandler {
public:
    void EstablishConnection(const std::string& host, int port, const std::string& boundIP, int boundPort,
                             int boundPortLow, int boundPortHigh, int timeout) override;
    void OpenHandler() override;
    void CloseHandler() override;
    bool IsOpen() const override;
    bool WaitReadable(int ms) override;
    void SetWriteTimeout(int ms) override;
    long ReceiveBytes(void* buffer, std::size_t length) override;
    long SendBytes(const void* buffer, std::size_t length) override;
    void SetInterrupt(TIdInterrupt* interrupt) override;

    // Connects the socket handle to its peer address. The connect runs non-blocking and the wait
    // ends as soon as it completes; after `timeout` ms the socket is closed and EIdConnectTimeout
    // raised. A failed connect raises EIdConnectException with the socket error's message.
    void ConnectWithTimeout(int timeout);

    // Null until the first OpenHandler.
    TIdSocketHandle* SocketHandle() { return socketHandle_.get(); }
    TIdSocksInfo& SocksInfo() { return socksInfo_; }
    const TIdSocksInfo& SocksInfo() const { return socksInfo_; }
    void SetSocksInfo(const TIdSocksInfo& info) { socksInfo_ = info; }

    // The connection above coalesces its writes into few large sends, so Nagle's algorithm would
    // only hold back the last segment of a command until the peer's delayed acknowledgement.
    bool UseNagle = false;

private:
    TIdSocketHandle& Socket();
    void ApplyWriteTimeout();
    // Opens a socket for `ip` and connects it within `timeout` ms (0: no limit of its own).
    void ConnectTo(const std::string& ip, int port, const std::string& boundIP, int boundPort,
                   int boundPortLow, int boundPortHigh, int timeout);

    std::unique_ptr<TIdSocketHandle> socketHandle_;
    TIdSocksInfo socksInfo_;
    int writeTimeout_ = 0;
    TIdInterrupt* interrupt_ = nullptr;
};

}  // namespace quillory
