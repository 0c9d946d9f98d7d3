#pragma once

#include <sys/socket.h>

#include <cstddef>
#include <string>

#include "net/transport/IdStack.h"

namespace quillory {

class TIdInterrupt;

// One socket with its local and peer address. Owns the socket: destroying the handle closes it.
class TIdSocketHandle {
public:
    TIdSocketHandle() = default;
    TIdSocketHandle(const TIdSocketHandle&) = delete;
    TIdSocketHandle& operator=(const TIdSocketHandle&) = delete;
    ~TIdSocketHandle();

    // Releases any open socket, then creates a new one of `family` (EIdInvalidSocket when that
    // fails; EIdOperationCancelled when the interrupt has been triggered).
    void AllocateHandle(int type, int protocol = 0, int family = AF_INET);
    // Clears the allocated flag first, then shuts the sending side and closes; results ignored.
    void ReleaseHandle();
    // Binds to IP/Port, or to a port of the ClientPortMin..ClientPortMax range (highest first).
    void BindLocal();
    // Connects to the peer address; 0 or -1 (the stack holds the error number), never raises.
    int ConnectToPeer();
    void SetPeerAddress(const std::string& ip, int port);
    void ResetState(bool resetLocal);
    void RefreshLocal();
    void RefreshPeer();
    // Whether input arrives within `ms` (IdTimeoutInfinite: no limit); a closed handle raises
    // EIdConnClosedGracefully, a failed wait counts as nothing arrived.
    bool WaitReadable(int ms);
    long ReceiveData(void* buffer, std::size_t length);
    long SendData(const void* buffer, std::size_t length);
    // Sets an integer socket option; a failure raises EIdSocketError.
    void SetOption(int level, int name, int value);
    // Registers the open socket and every later one with `interrupt` (null: none), leaving the
    // previous one; an open socket given to a triggered interrupt is shut down.
    void SetInterrupt(TIdInterrupt* interrupt);

    TIdStackSocketHandle Handle() const { return handle_; }
    bool HandleAllocated() const { return allocated_; }

    std::string IP;
    int Port = 0;
    int ClientPortMin = 0;
    int ClientPortMax = 0;

private:
    bool TryBindOnce();

    TIdStackSocketHandle handle_ = Id_INVALID_SOCKET;
    bool allocated_ = false;
    int family_ = AF_INET;
    TIdInterrupt* interrupt_ = nullptr;
    std::string peerIP_;
    int peerPort_ = 0;
};

}  // namespace quillory
