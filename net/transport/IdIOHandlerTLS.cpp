#include "net/transport/IdIOHandlerTLS.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <climits>
#include <utility>

#include "net/transport/IdSocketExceptions.h"
#include "net/transport/IdTLSExceptions.h"

namespace quillory {

namespace {

bool IsIPAddress(const std::string& host) {
    unsigned char bytes[16];
    return ::inet_pton(AF_INET, host.c_str(), bytes) == 1 || ::inet_pton(AF_INET6, host.c_str(), bytes) == 1;
}

// OpenSSL's words for the last error of this thread, or `fallback` when it has none.
std::string OpenSSLReason(const char* fallback) {
    const unsigned long code = ERR_peek_last_error();
    const char* reason = code != 0 ? ERR_reason_error_string(code) : nullptr;
    return reason != nullptr ? reason : fallback;
}

int ClampedLength(std::size_t length) { return static_cast<int>(std::min<std::size_t>(length, INT_MAX)); }

}  // namespace

TIdIOHandlerTLS::TIdIOHandlerTLS(std::unique_ptr<TIdIOHandler> inner) : inner_(std::move(inner)) {}

TIdIOHandlerTLS::~TIdIOHandlerTLS() = default;

TIdIOHandler& TIdIOHandlerTLS::Inner() const {
    if (!inner_) throw EIdClosedSocket();
    return *inner_;
}

void TIdIOHandlerTLS::EstablishConnection(const std::string& host, int port, const std::string& boundIP,
                                          int boundPort, int boundPortLow, int boundPortHigh, int timeout) {
    Inner().EstablishConnection(host, port, boundIP, boundPort, boundPortLow, boundPortHigh, timeout);
    StartSession(host);
}

void TIdIOHandlerTLS::StartSession(const std::string& host) {
    session_.reset();
    context_.reset(SSL_CTX_new(TLS_client_method()));
    if (!context_) throw EIdTLSHandshakeFailed(OpenSSLReason("no TLS context"));
    SSL_CTX* context = context_.get();
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    // The system's store; OpenSSL reads SSL_CERT_FILE and SSL_CERT_DIR here.
    SSL_CTX_set_default_verify_paths(context);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    // A server that closes without the TLS goodbye reads as a closed connection; SMTP's replies
    // end in their own line ends, so a cut-off reply cannot pass for a whole one.
    SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);

    if (!bioMethod_) {
        bioMethod_.reset(BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "transport"));
        if (!bioMethod_) throw EIdTLSHandshakeFailed(OpenSSLReason("no I/O method"));
        BIO_meth_set_read(bioMethod_.get(), BioRead);
        BIO_meth_set_write(bioMethod_.get(), BioWrite);
        BIO_meth_set_ctrl(bioMethod_.get(), BioControl);
    }
    TIdSSLPtr session(SSL_new(context));
    BIO* bio = session ? BIO_new(bioMethod_.get()) : nullptr;
    if (bio == nullptr) throw EIdTLSHandshakeFailed(OpenSSLReason("no TLS session"));
    BIO_set_data(bio, this);
    BIO_set_init(bio, 1);
    SSL_set_bio(session.get(), bio, bio);  // the session owns the BIO from here
    SSL_set_mode(session.get(), SSL_MODE_AUTO_RETRY);

    X509_VERIFY_PARAM* check = SSL_get0_param(session.get());
    X509_VERIFY_PARAM_set_hostflags(check, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
    if (IsIPAddress(host)) {
        X509_VERIFY_PARAM_set1_ip_asc(check, host.c_str());
    } else {
        SSL_set_tlsext_host_name(session.get(), host.c_str());
        X509_VERIFY_PARAM_set1_host(check, host.c_str(), 0);
    }

    NotifyStatus(TIdStatus::hsStatusText, "Securing the connection (TLS).");
    readLimit_ = HandshakeTimeout;
    timedOut_ = false;
    transportFailed_ = false;
    ERR_clear_error();
    const int result = SSL_connect(session.get());
    session_ = std::move(session);
    if (result != 1) {
        const std::exception_ptr kept = std::exchange(keptError_, nullptr);
        TIdSSLPtr failed = std::move(session_);
        if (kept) std::rethrow_exception(kept);
        if (timedOut_) throw EIdReadTimeout();
        RaiseHandshakeError(host, failed.get());
    }
}

void TIdIOHandlerTLS::RaiseHandshakeError(const std::string& host, SSL* session) {
    const long verdict = SSL_get_verify_result(session);
    if (verdict == X509_V_ERR_HOSTNAME_MISMATCH || verdict == X509_V_ERR_IP_ADDRESS_MISMATCH) {
        throw EIdTLSNameMismatch(host);
    }
    if (verdict != X509_V_OK) throw EIdTLSCertificateUntrusted(X509_verify_cert_error_string(verdict));
    if (transportFailed_) throw EIdTLSHandshakeFailed("the connection broke off");
    throw EIdTLSHandshakeFailed(OpenSSLReason("the server ended the connection"));
}

void TIdIOHandlerTLS::OpenHandler() {
    session_.reset();
    Inner().OpenHandler();
}

void TIdIOHandlerTLS::CloseHandler() {
    // No TLS goodbye: the connection may be closing because the server stopped answering.
    session_.reset();
    if (inner_) inner_->CloseHandler();
}

bool TIdIOHandlerTLS::IsOpen() const { return inner_ && inner_->IsOpen(); }

bool TIdIOHandlerTLS::WaitReadable(int ms) {
    if (session_ && SSL_pending(session_.get()) > 0) return true;
    return Inner().WaitReadable(ms);
}

void TIdIOHandlerTLS::SetWriteTimeout(int ms) {
    readLimit_ = ms;
    Inner().SetWriteTimeout(ms);
}

void TIdIOHandlerTLS::SetInterrupt(TIdInterrupt* interrupt) {
    if (inner_) inner_->SetInterrupt(interrupt);
}

long TIdIOHandlerTLS::ReceiveBytes(void* buffer, std::size_t length) {
    if (!session_ || !IsOpen()) throw EIdClosedSocket();
    timedOut_ = false;
    transportFailed_ = false;
    ERR_clear_error();
    const int received = SSL_read(session_.get(), buffer, ClampedLength(length));
    RaiseKeptError();
    if (received > 0) return received;
    if (timedOut_) throw EIdReadTimeout();
    if (transportFailed_) return -1;  // the inner transport's error number stands
    const int error = SSL_get_error(session_.get(), received);
    if (error == SSL_ERROR_ZERO_RETURN || error == SSL_ERROR_SYSCALL) return 0;
    throw EIdTLSError("The secure connection to the server broke off (" + OpenSSLReason("TLS error") + ")");
}

long TIdIOHandlerTLS::SendBytes(const void* buffer, std::size_t length) {
    if (!session_ || !IsOpen()) throw EIdClosedSocket();
    transportFailed_ = false;
    ERR_clear_error();
    const int sent = SSL_write(session_.get(), buffer, ClampedLength(length));
    RaiseKeptError();
    if (sent > 0) return sent;
    if (transportFailed_) return -1;
    throw EIdTLSError("The secure connection to the server broke off (" + OpenSSLReason("TLS error") + ")");
}

std::unique_ptr<TIdIOHandler> TIdIOHandlerTLS::ReleaseInner() {
    session_.reset();
    return std::move(inner_);
}

void TIdIOHandlerTLS::RaiseKeptError() {
    if (keptError_) std::rethrow_exception(std::exchange(keptError_, nullptr));
}

int TIdIOHandlerTLS::ReadRaw(char* buffer, int length) {
    if (!Inner().WaitReadable(readLimit_ > 0 ? readLimit_ : IdTimeoutInfinite)) {
        timedOut_ = true;
        return -1;
    }
    const long received = Inner().ReceiveBytes(buffer, static_cast<std::size_t>(length));
    transportFailed_ = received < 0;
    return static_cast<int>(received);
}

int TIdIOHandlerTLS::WriteRaw(const char* buffer, int length) {
    const long sent = Inner().SendBytes(buffer, static_cast<std::size_t>(length));
    transportFailed_ = sent < 0;
    return static_cast<int>(sent);
}

template <class Transfer>
int TIdIOHandlerTLS::KeepingErrors(BIO* bio, Transfer transfer) {
    auto* self = static_cast<TIdIOHandlerTLS*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    try {
        return transfer(*self);
    } catch (...) {
        self->keptError_ = std::current_exception();
        return -1;
    }
}

int TIdIOHandlerTLS::BioRead(BIO* bio, char* buffer, int length) {
    return KeepingErrors(bio, [&](TIdIOHandlerTLS& self) { return self.ReadRaw(buffer, length); });
}

int TIdIOHandlerTLS::BioWrite(BIO* bio, const char* buffer, int length) {
    return KeepingErrors(bio, [&](TIdIOHandlerTLS& self) { return self.WriteRaw(buffer, length); });
}

long TIdIOHandlerTLS::BioControl(BIO*, int command, long, void*) {
    // Writes go straight to the transport: a flush has nothing left to do.
    return command == BIO_CTRL_FLUSH ? 1 : 0;
}

}  // namespace quillory
