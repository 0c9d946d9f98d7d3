#pragma once

#include <cstddef>
#include <string>

#include "net/transport/IdComponent.h"

namespace quillory {

class TIdInterrupt;

// Where the connection to a peer comes from and where its bytes go: the transport under the
// buffered TCP connection. The socket transport is one; a transport that adds a layer (a TLS
// session, say) wraps another transport and offers the same operations, so the connection above
// it does not change.
class TIdIOHandler : public TIdComponent {
public:
    // Opens the connection to `host`:`port`, bound locally as given, within `timeout` ms (-1 or
    // 0: no limit of its own; IdTimeoutInfinite: no limit).
    virtual void EstablishConnection(const std::string& host, int port, const std::string& boundIP,
                                     int boundPort, int boundPortLow, int boundPortHigh, int timeout) = 0;
    // Prepares for a new connection.
    virtual void OpenHandler() {}
    // Ends the connection; safe to call when it is not open.
    virtual void CloseHandler() {}
    virtual bool IsOpen() const = 0;
    // Whether input can be read within `ms` without blocking (IdTimeoutInfinite: no limit).
    virtual bool WaitReadable(int ms) = 0;
    // How long one send may wait for room before it fails with 10035 (0: no limit).
    virtual void SetWriteTimeout(int ms) = 0;
    // The count received, 0 when the peer has closed, -1 on failure (the stack holds the error
    // number). A transport that is not open raises EIdClosedSocket.
    virtual long ReceiveBytes(void* buffer, std::size_t length) = 0;
    // The count sent or -1 as above.
    virtual long SendBytes(const void* buffer, std::size_t length) = 0;
    // Registers the sockets this transport opens with `interrupt`, so that another thread can end
    // the connection at once (null: none). A wrapping transport passes it on.
    virtual void SetInterrupt(TIdInterrupt* interrupt) = 0;
};

}  // namespace quillory
