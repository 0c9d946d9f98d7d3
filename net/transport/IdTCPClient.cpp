#include "net/transport/IdTCPClient.h"

#include "core/FirstError.h"
#include "core/TextCase.h"
#include "net/transport/IdIOHandlerSocket.h"
#include "net/transport/IdSocketExceptions.h"

namespace quillory {

void TIdTCPClient::OpenConnection(int timeout) {
    if (Interrupted()) throw EIdOperationCancelled();
    if (IOHandler() == nullptr) {
        auto transport = std::make_unique<TIdIOHandlerSocket>();
        transport->OnStatus = OnStatus;
        AdoptIOHandler(std::move(transport));
    } else if (IOHandler()->IsOpen()) {
        throw EIdAlreadyConnected();
    }
    try {
        TIdIOHandler& transport = *IOHandler();
        transport.OpenHandler();
        ResetInput();
        ClearWriteBuffer();
        transport.EstablishConnection(Host, Port, BoundIP, BoundPort, BoundPortLow, BoundPortHigh, timeout);
        NotifyStatus(TIdStatus::hsConnected, Host);
        if (OnConnected) OnConnected(*this);
    } catch (...) {
        // The error that ended the connect is the one to report, not one of the drop after it.
        TFirstError dropped;
        dropped.Run([this] { DropSocket(); });
        throw;
    }
}

bool TIdTCPClient::IsThisMachine(const std::string& host) {
    const std::string upper = UpperCase(host);
    return upper == "LOCALHOST" || upper == "127.0.0.1" || upper == "::1";
}

void TIdTCPClient::OpenSecured(int timeout, bool implicitTLS, const std::function<void()>& greet,
                               const std::function<void()>& close) {
    const bool wrapping = implicitTLS && !(IOHandler() != nullptr && IOHandler()->IsOpen());
    if (wrapping) WrapInTLS();
    try {
        TIdTCPClient::OpenConnection(timeout);
    } catch (...) {
        TFirstError ignored;  // the connect's error is the one to report
        if (wrapping) ignored.Run([this] { UnwrapTLS(); });
        throw;
    }
    encrypted_ = implicitTLS;
    try {
        greet();
    } catch (...) {
        TFirstError ignored;  // the error that ended the greeting is the one to report
        ignored.Run(close);
        throw;
    }
}

TIdIOHandlerTLS& TIdTCPClient::WrapInTLS() {
    wrappedCallersTransport_ = IOHandler() != nullptr && !OwnsTransportForOneConnection();
    std::unique_ptr<TIdIOHandler> inner = ReleaseIOHandler();
    if (!inner) {
        auto socket = std::make_unique<TIdIOHandlerSocket>();
        socket->OnStatus = OnStatus;
        inner = std::move(socket);
    }
    auto tls = std::make_unique<TIdIOHandlerTLS>(std::move(inner));
    tls->HandshakeTimeout = ReadTimeout;
    tls->OnStatus = OnStatus;
    TIdIOHandlerTLS& layer = *tls;
    AdoptIOHandler(std::move(tls));
    wrapped_ = true;
    return layer;
}

void TIdTCPClient::UnwrapTLS() {
    encrypted_ = false;
    if (!wrapped_) return;
    wrapped_ = false;
    std::unique_ptr<TIdIOHandler> layer = ReleaseIOHandler();
    std::unique_ptr<TIdIOHandler> inner = static_cast<TIdIOHandlerTLS&>(*layer).ReleaseInner();
    // A transport of the caller's goes back in place, still open for the close that follows; one
    // made for this connection goes with the layer.
    if (wrappedCallersTransport_) SetIOHandler(std::move(inner));
    wrappedCallersTransport_ = false;
}

void TIdTCPClient::StartTLSOverOpenConnection() {
    WrapInTLS().StartSession(Host);
    InputBuffer().Clear();
    encrypted_ = true;
}

}  // namespace quillory
