#pragma once

#include <functional>
#include <string>

#include "net/IdTCPConnection.h"

namespace quillory {

// The client side of a TCP connection: where to connect, the local binding, and opening.
class TIdTCPClient : public TIdTCPConnection {
public:
    // Opens the connection to Host:Port within `timeout` ms (-1 or 0: the connect has no limit of
    // its own; IdTimeoutInfinite: no limit). Without a transport, a socket transport is created
    // and freed again by CloseConnection. Raises EIdAlreadyConnected when open; any failure drops
    // the socket and passes out unchanged.
    virtual void OpenConnection(int timeout = IdTimeoutDefault);

    std::string BoundIP;
    int BoundPort = 0;
    int BoundPortLow = 0;
    int BoundPortHigh = 0;
    std::string Host;
    int Port = 0;
    std::string Username;
    std::string Password;
    std::function<void(TIdTCPClient& sender)> OnConnected;
};

}  // namespace quillory
