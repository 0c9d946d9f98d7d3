#include "net/IdTCPClient.h"

#include "core/FirstError.h"
#include "net/IdIOHandlerSocket.h"
#include "net/IdSocketExceptions.h"

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

}  // namespace quillory
