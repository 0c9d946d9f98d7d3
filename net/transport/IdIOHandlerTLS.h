#pragma once

#include <exception>
#include <memory>
#include <string>

#include "net/transport/IdIOHandler.h"
#include "net/transport/IdTLSHandles.h"

namespace quillory {

// A TLS session (TLS 1.2 or newer, OpenSSL) over another transport, which carries the encrypted
// bytes: the socket transport, say, or one that reaches the server through a proxy. The server's
// certificate chain is checked against the system's certificate store (SSL_CERT_FILE and
// SSL_CERT_DIR are honoured) and must be made out for the host name that was asked for.
//
// Either the session starts right after the connect (EstablishConnection: TLS from the first
// byte), or the inner transport is already connected and StartSession runs the handshake later
// (after STARTTLS).
class TIdIOHandlerTLS : public TIdIOHandler {
public:
    explicit TIdIOHandlerTLS(std::unique_ptr<TIdIOHandler> inner);
    ~TIdIOHandlerTLS() override;

    // Connects the inner transport, then runs the handshake for `host`.
    void EstablishConnection(const std::string& host, int port, const std::string& boundIP, int boundPort,
                             int boundPortLow, int boundPortHigh, int timeout) override;
    // Runs the handshake over the connected inner transport; the certificate must be made out for
    // `host` (a name, or an IPv4 or IPv6 address). Raises EIdTLSCertificateUntrusted,
    // EIdTLSNameMismatch, EIdTLSHandshakeFailed, or EIdReadTimeout when the server does not
    // answer within HandshakeTimeout.
    void StartSession(const std::string& host);
    void OpenHandler() override;
    void CloseHandler() override;
    bool IsOpen() const override;
    bool WaitReadable(int ms) override;
    // Also the limit of each wait for the rest of a record that has begun to arrive.
    void SetWriteTimeout(int ms) override;
    long ReceiveBytes(void* buffer, std::size_t length) override;
    long SendBytes(const void* buffer, std::size_t length) override;
    void SetInterrupt(TIdInterrupt* interrupt) override;

    // Hands the inner transport back (the session ends) and leaves this one without.
    std::unique_ptr<TIdIOHandler> ReleaseInner();

    // Milliseconds the handshake waits for each answer of the server (0: no limit).
    int HandshakeTimeout = 60000;

private:
    // The transport's side of OpenSSL's I/O: these run inside OpenSSL calls, so nothing may be
    // thrown from them; an error is kept and raised again once the call has returned.
    static int BioRead(BIO* bio, char* buffer, int length);
    static int BioWrite(BIO* bio, const char* buffer, int length);
    static long BioControl(BIO* bio, int command, long number, void* pointer);
    template <class Transfer>
    static int KeepingErrors(BIO* bio, Transfer transfer);
    int ReadRaw(char* buffer, int length);
    int WriteRaw(const char* buffer, int length);
    void RaiseKeptError();
    [[noreturn]] void RaiseHandshakeError(const std::string& host, SSL* session);
    TIdIOHandler& Inner() const;

    std::unique_ptr<TIdIOHandler> inner_;
    TIdBIOMethodPtr bioMethod_;
    TIdSSLContextPtr context_;
    TIdSSLPtr session_;
    int readLimit_ = 0;
    bool timedOut_ = false;
    bool transportFailed_ = false;
    std::exception_ptr keptError_;
};

}  // namespace quillory
