#include "net/transport/IdSocketHandle.h"

#include <sys/socket.h>

#include "core/FirstError.h"
#include "net/transport/IdErrorNumbers.h"
#include "net/transport/IdInterrupt.h"
#include "net/transport/IdSocketExceptions.h"

namespace quillory {

TIdSocketHandle::~TIdSocketHandle() {
    // Nobody is left to hear of a failed close: its error goes with the object.
    TFirstError dropped;
    dropped.Run([this] { ReleaseHandle(); });
}

void TIdSocketHandle::AllocateHandle(int type, int protocol, int family) {
    ReleaseHandle();
    handle_ = SharedStack().NewSocketHandle(type, protocol, family);
    family_ = family;
    allocated_ = true;
    if (interrupt_ != nullptr && !interrupt_->Attach(handle_)) {
        ReleaseHandle();
        throw EIdOperationCancelled();
    }
}

void TIdSocketHandle::SetInterrupt(TIdInterrupt* interrupt) {
    if (interrupt == interrupt_) return;
    if (allocated_ && interrupt_ != nullptr) interrupt_->Detach(handle_);
    interrupt_ = interrupt;
    if (allocated_ && interrupt_ != nullptr && !interrupt_->Attach(handle_))
        SharedStack().Shutdown(handle_, SHUT_RDWR);
}

void TIdSocketHandle::ReleaseHandle() {
    if (!allocated_) return;
    // The flag goes first so that nothing tests a socket in the middle of closing as open.
    allocated_ = false;
    if (interrupt_ != nullptr) interrupt_->Detach(handle_);
    TIdStack& stack = SharedStack();
    stack.Shutdown(handle_, SHUT_WR);
    stack.Close(handle_);
}

void TIdSocketHandle::BindLocal() {
    if (Port != 0 || ClientPortMin == 0 || ClientPortMax == 0) {
        if (!TryBindOnce()) throw EIdCouldNotBindSocket();
        return;
    }
    if (ClientPortMax < ClientPortMin) throw EIdInvalidPortRange(ClientPortMin, ClientPortMax);
    for (int port = ClientPortMax; port >= ClientPortMin; --port) {
        Port = port;
        if (TryBindOnce()) return;
    }
    throw EIdCanNotBindPortInRange(ClientPortMin, ClientPortMax);
}

bool TIdSocketHandle::TryBindOnce() {
    TIdStack& stack = SharedStack();
    // With no local address asked for, an IPv6 socket binds to the IPv6 wildcard.
    const std::string ip = IP.empty() && family_ == AF_INET6 ? std::string("::") : IP;
    if (stack.CheckResult(stack.Bind(handle_, ip, Port), {IdWSAEADDRINUSE})) return false;
    RefreshLocal();
    return true;
}

int TIdSocketHandle::ConnectToPeer() {
    const int result = SharedStack().Connect(handle_, peerIP_, peerPort_);
    if (result != Id_SOCKET_ERROR) {
        RefreshLocal();
        RefreshPeer();
    }
    return result;
}

void TIdSocketHandle::SetPeerAddress(const std::string& ip, int port) {
    peerIP_ = ip;
    peerPort_ = port;
}

void TIdSocketHandle::ResetState(bool resetLocal) {
    ReleaseHandle();
    handle_ = Id_INVALID_SOCKET;
    peerIP_.clear();
    peerPort_ = 0;
    if (resetLocal) {
        IP.clear();
        Port = 0;
    }
}

void TIdSocketHandle::RefreshLocal() { SharedStack().LocalEndpoint(handle_, IP, Port); }

void TIdSocketHandle::RefreshPeer() { SharedStack().PeerEndpoint(handle_, peerIP_, peerPort_); }

bool TIdSocketHandle::WaitReadable(int ms) {
    if (!allocated_) throw EIdConnClosedGracefully();
    return SharedStack().WaitFor(handle_, false, ms) == 1;
}

long TIdSocketHandle::ReceiveData(void* buffer, std::size_t length) {
    return SharedStack().Receive(handle_, buffer, length);
}

long TIdSocketHandle::SendData(const void* buffer, std::size_t length) {
    return SharedStack().Send(handle_, buffer, length);
}

void TIdSocketHandle::SetOption(int level, int name, int value) {
    TIdStack& stack = SharedStack();
    stack.CheckResult(stack.SetOption(handle_, level, name, &value, sizeof value));
}

}  // namespace quillory
