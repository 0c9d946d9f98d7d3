#pragma once

#include <functional>
#include <string>

#include "net/transport/IdIOHandlerTLS.h"
#include "net/transport/IdTCPConnection.h"

namespace quillory {

// The client side of a TCP connection: where to connect, the local binding, and opening; and the
// TLS layer that the mail protocols put over it, from the first byte or after their STARTTLS.
class TIdTCPClient : public TIdTCPConnection {
public:
    // Opens the connection to Host:Port within `timeout` ms (-1 or 0: the connect has no limit of
    // its own; IdTimeoutInfinite: no limit). Without a transport, a socket transport is created
    // and freed again by CloseConnection. Raises EIdAlreadyConnected when open; any failure drops
    // the socket and passes out unchanged.
    virtual void OpenConnection(int timeout = IdTimeoutDefault);
    // Whether `host` names this machine: "localhost" in any case, 127.0.0.1 or ::1. The mail
    // protocols send a login in clear to no other.
    static bool IsThisMachine(const std::string& host);

    std::string BoundIP;
    int BoundPort = 0;
    int BoundPortLow = 0;
    int BoundPortHigh = 0;
    std::string Host;
    int Port = 0;
    std::string Username;
    std::string Password;
    std::function<void(TIdTCPClient& sender)> OnConnected;

    // Whether the connection runs inside TLS: from the first byte, or since a STARTTLS.
    bool Encrypted() const { return encrypted_; }

protected:
    // The mail protocols' way in, one step for SMTP and IMAP: opens the connection within
    // `timeout`, inside TLS from the first byte when `implicitTLS` (on a transport that is not
    // open yet), then lets the protocol read its greeting and secure the connection further
    // (STARTTLS). A failed connect takes the TLS layer off again; a failed greeting closes the
    // connection through `close`. Either way the first error is the one raised.
    void OpenSecured(int timeout, bool implicitTLS, const std::function<void()>& greet,
                     const std::function<void()>& close);
    // Puts a TLS layer over the transport in place (a new socket transport when there is none)
    // for this connection; UnwrapTLS gives a transport of the caller's back after the close.
    TIdIOHandlerTLS& WrapInTLS();
    // Also marks the connection as no longer encrypted.
    void UnwrapTLS();
    // After the server has agreed to a STARTTLS: wraps the open connection in TLS, runs the
    // handshake for Host, and drops whatever arrived before the handshake finished. That came in
    // clear, where anyone on the way could have put it, so none of it may be read as the
    // server's words from inside TLS (RFC 3207 §6, RFC 9051 §11.1).
    void StartTLSOverOpenConnection();

private:
    bool wrapped_ = false;
    bool encrypted_ = false;
    bool wrappedCallersTransport_ = false;
};

}  // namespace quillory
