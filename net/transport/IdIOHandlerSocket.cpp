#include "net/transport/IdIOHandlerSocket.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <algorithm>
#include <chrono>

#include "core/FirstError.h"
#include "net/transport/IdErrorNumbers.h"
#include "net/transport/IdInterrupt.h"
#include "net/transport/IdSocketExceptions.h"

namespace quillory {

namespace {
using Clock = std::chrono::steady_clock;
}  // namespace

void TIdIOHandlerSocket::EstablishConnection(const std::string& host, int port, const std::string& boundIP,
                                             int boundPort, int boundPortLow, int boundPortHigh,
                                             int timeout) {
    const bool viaProxy = socksInfo_.Version != TSocksVersion::svNoSocks;
    const std::string targetHost = viaProxy ? socksInfo_.Host : host;
    const int targetPort = viaProxy ? socksInfo_.Port : port;

    TIdStack& stack = SharedStack();
    if (!TIdStack::LooksLikeAddress(targetHost) && targetHost.find(':') == std::string::npos) {
        NotifyStatus(TIdStatus::hsResolving, targetHost);
    }
    const std::vector<std::string> addresses = stack.ResolveToAddresses(targetHost);
    const bool limited = timeout != IdTimeoutDefault && timeout != 0 && timeout != IdTimeoutInfinite;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limited ? timeout : 0);
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        // Each address gets an equal share of the time left, so one that never answers leaves
        // time for the others; a refusal moves on at once.
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const int share = limited ? static_cast<int>(std::max<long long>(
                                        left / static_cast<long long>(addresses.size() - i), 1))
                                  : timeout;
        try {
            ConnectTo(addresses[i], targetPort, boundIP, boundPort, boundPortLow, boundPortHigh, share);
            break;
        } catch (const EIdOperationCancelled&) {
            throw;
        } catch (const EIdException&) {
            TFirstError ignored;  // this address's error is the one to report
            ignored.Run([this] { CloseHandler(); });
            if (i + 1 == addresses.size() || (interrupt_ != nullptr && interrupt_->Triggered())) throw;
        }
    }
    socksInfo_.NegotiateProxy(*this, host, port, timeout > 0 ? timeout : IdTimeoutInfinite);
}

void TIdIOHandlerSocket::ConnectTo(const std::string& ip, int port, const std::string& boundIP, int boundPort,
                                   int boundPortLow, int boundPortHigh, int timeout) {
    TIdSocketHandle& socket = Socket();
    socket.AllocateHandle(SOCK_STREAM, 0, TIdStack::AddressFamily(ip));
    socket.IP = boundIP;
    socket.Port = boundPort;
    socket.ClientPortMin = boundPortLow;
    socket.ClientPortMax = boundPortHigh;
    // With nothing asked for, the connect binds to a port of the system's choice by itself.
    if (!boundIP.empty() || boundPort != 0 || boundPortLow != 0 || boundPortHigh != 0) socket.BindLocal();
    socket.SetPeerAddress(ip, port);
    if (!UseNagle) socket.SetOption(IPPROTO_TCP, TCP_NODELAY, 1);
    if (writeTimeout_ > 0) ApplyWriteTimeout();
    NotifyStatus(TIdStatus::hsConnecting, ip);

    if (timeout != IdTimeoutDefault && timeout != 0) {
        ConnectWithTimeout(timeout);
    } else {
        SharedStack().CheckResult(socket.ConnectToPeer());
    }
}

void TIdIOHandlerSocket::ConnectWithTimeout(int timeout) {
    TIdSocketHandle& socket = Socket();
    TIdStack& stack = SharedStack();
    stack.CheckResult(stack.SetBlocking(socket.Handle(), false));
    int error = 0;
    if (socket.ConnectToPeer() == Id_SOCKET_ERROR) {
        error = stack.QueryLastError();
        if (error == IdWSAEINPROGRESS || error == IdWSAEWOULDBLOCK) {
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

void TIdIOHandlerSocket::OpenHandler() { Socket().ResetState(true); }

void TIdIOHandlerSocket::SetInterrupt(TIdInterrupt* interrupt) {
    interrupt_ = interrupt;
    Socket().SetInterrupt(interrupt);
}

void TIdIOHandlerSocket::CloseHandler() {
    if (socketHandle_) socketHandle_->ReleaseHandle();
}

bool TIdIOHandlerSocket::IsOpen() const { return socketHandle_ && socketHandle_->HandleAllocated(); }

bool TIdIOHandlerSocket::WaitReadable(int ms) { return Socket().WaitReadable(ms); }

void TIdIOHandlerSocket::SetWriteTimeout(int ms) {
    writeTimeout_ = ms;
    if (IsOpen()) ApplyWriteTimeout();
}

void TIdIOHandlerSocket::ApplyWriteTimeout() {
    // A blocking send gives up after this time with EAGAIN instead of waiting for a peer that
    // stopped reading.
    timeval limit{writeTimeout_ / 1000, (writeTimeout_ % 1000) * 1000};
    TIdStack& stack = SharedStack();
    stack.CheckResult(
        stack.SetOption(socketHandle_->Handle(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit));
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
    if (!socketHandle_) {
        socketHandle_ = std::make_unique<TIdSocketHandle>();
        socketHandle_->SetInterrupt(interrupt_);
    }
    return *socketHandle_;
}

}  // namespace quillory
