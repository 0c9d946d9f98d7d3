#pragma once

#include <string>

#include "mail/IdException.h"

namespace quillory {

// A secure connection (TLS) that could not be set up or broke off. The messages are meant for
// the user, in plain words.
class EIdTLSError : public EIdException {
public:
    using EIdException::EIdException;
};

// The server's certificate does not lead to an authority this system trusts, or is not valid.
class EIdTLSCertificateUntrusted : public EIdTLSError {
public:
    explicit EIdTLSCertificateUntrusted(const std::string& reason)
        : EIdTLSError("The server's certificate is not trusted (" + reason + ")") {}
};

// The certificate is trusted but made out for another name than the server that was asked for.
class EIdTLSNameMismatch : public EIdTLSError {
public:
    explicit EIdTLSNameMismatch(const std::string& host)
        : EIdTLSError("The server's certificate is not made out for the name " + host) {}
};

class EIdTLSHandshakeFailed : public EIdTLSError {
public:
    explicit EIdTLSHandshakeFailed(const std::string& reason)
        : EIdTLSError("The secure connection (TLS) to the server could not be set up (" + reason + ")") {}
};

}  // namespace quillory
