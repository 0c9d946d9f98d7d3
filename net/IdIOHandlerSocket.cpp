#include "net/IdIOHandlerSocket.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>

#include "net/IdErrorNumbers.h"
#include "net/IdSocketExceptions.h"

namespace quillory {

namespace {
constexpr int WouldBlock = 10035;
constexpr int InProgress = 10036;
}  // namespace

void TIdIOHandlerSocket::EstablishConnection(const std::string& host, int port, const std::string& boundIP,
                                             int boundPort, int boundPortLow, int boundPortHigh, int timeout) {
    const bool viaProxy = socksInfo_.Version != TSocksVersion::svNoSocks;
    const std::string targetHost = viaProxy ? socksInfo_.Host : host;
    const int targetPort = viaProxy ? socksInfo_.Port : port;

    TIdSocketHandle& socket = Socket();
    socket.AllocateHandle(SOCK_STREAM, 0);
    socket.IP = boundIP;
    socket.Port = boundPort;
    socket.ClientPortMin = boundPortLow;
    socket.ClientPortMax = boundPortHigh;
    // With nothing asked for, the connect binds to a port of the system's choice by itself.
    if (!boundIP.empty() || boundPort != 0 || boundPortLow != 0 || boundPortHigh != 0) socket.BindLocal();

    TIdStack& stack = SharedStack();
    if (!TIdStack::LooksLikeAddress(targetHost)) NotifyStatus(TIdStatus::hsResolving, targetHost);
    socket.SetPeerAddress(stack.ResolveToAddress(targetHost), targetPort);
    if (!UseNagle) socket.SetOption(IPPROTO_TCP, TCP_NODELAY, 1);
    if (writeTimeout_ > 0) ApplyWriteTimeout();
    NotifyStatus(TIdStatus::hsConnecting, socket.PeerIP());

    if (timeout != IdTimeoutDefault && timeout != 0) {
        ConnectWithTimeout(timeout);
    } else {
        stack.CheckResult(socket.ConnectToPeer());
    }
    socksInfo_.NegotiateProxy(*this, host, port, timeout > 0 ? timeout : IdTimeoutInfinite);
}

void TIdIOHandlerSocket::ConnectWithTimeout(int timeout) {
    TIdSocketHandle& socket = Socket();
    TIdStack& stack = SharedStack();
    stack.CheckResult(stack.SetBlocking(socket.Handle(), false));
    int error = 0;
    if (socket.ConnectToPeer() == Id_SOCKET_ERROR) {
        error = stack.QueryLastError();
        if (error == InProgress || error == WouldBlock) {
            const int ready = stack.WaitFor(socket.Handle(), true, timeout);
            if (ready == 0) {
                CloseHandler();
                throw EIdConnectTimeout();
            }
            if (ready < 0) {
                error = stack.QueryLastError();
            } else {
                int socketError = 0;
                int length = sizeof socketError;
                error = stack.GetOption(socket.Handle(), SOL_SOCKET, SO_ERROR, &socketError, length) < 0
                            ? stack.QueryLastError()
                            : (socketError == 0 ? 0 : WinsockErrorFromErrno(socketError));
            }
        }
    }
    if (error != 0) throw EIdConnectException(stack.ErrorText(error));
    stack.CheckResult(stack.SetBlocking(socket.Handle(), true));
    socket.RefreshLocal();
    socket.RefreshPeer();
}

void TIdIOHandlerSocket::OpenHandler() {
    if (!socketHandle_) {
        socketHandle_ = std::make_unique<TIdSocketHandle>();
    } else {
        socketHandle_->ResetState(true);
    }
}

void TIdIOHandlerSocket::CloseHandler() {
    if (socketHandle_) socketHandle_->ReleaseHandle();
}

bool TIdIOHandlerSocket::IsOpen() const {
    return socketHandle_ && socketHandle_->HandleAllocated();
}

bool TIdIOHandlerSocket::WaitReadable(int ms) {
    return Socket().WaitReadable(ms);
}

void TIdIOHandlerSocket::SetWriteTimeout(int ms) {
    writeTimeout_ = ms;
    if (IsOpen()) ApplyWriteTimeout();
}

void TIdIOHandlerSocket::ApplyWriteTimeout() {
    // A blocking send gives up after this time with EAGAIN instead of waiting for a peer that
    // stopped reading.
    timeval limit{writeTimeout_ / 1000, (writeTimeout_ % 1000) * 1000};
    TIdStack& stack = SharedStack();
    stack.CheckResult(stack.SetOption(socketHandle_->Handle(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit));
}

long TIdIOHandlerSocket::ReceiveBytes(void* buffer, std::size_t length) {
    if (!IsOpen()) throw EIdClosedSocket();
    return socketHandle_->ReceiveData(buffer, length);
}

long TIdIOHandlerSocket::SendBytes(const void* buffer, std::size_t length) {
    if (!IsOpen()) throw EIdClosedSocket();
    return socketHandle_->SendData(buffer, length);
}

TIdSocketHandle& TIdIOHandlerSocket::Socket() {
    if (!socketHandle_) socketHandle_ = std::make_unique<TIdSocketHandle>();
    return *socketHandle_;
}

}  // namespace quillory
